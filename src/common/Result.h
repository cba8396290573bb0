#pragma once

#include <QString>

#include <optional>
#include <utility>

// Why an operation on a workbook, a document or one of their parts produced
// nothing: a sentence for the user that names the file or part and the cause,
// phrased through the translation catalogue in the language of the front end
// that runs. `return Failed{cause};` makes a failed Result of any type.
struct Failed {
    QString cause;
};

// The value an operation produced, or the cause that kept it from one. The
// readers and writers below the front ends return this and take no
// out-parameters for their errors; at the boundary a Result becomes an Outcome,
// which adds what the caller does next.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failed failed) : m_cause(std::move(failed.cause)) {}

    bool isOk() const { return m_value.has_value(); }
    explicit operator bool() const { return isOk(); }
    // Only on success.
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }
    // Empty on success.
    const QString& cause() const { return m_cause; }
    // The failure as it is, to pass on from a Result of another type.
    Failed failed() const { return Failed{m_cause}; }

private:
    std::optional<T> m_value;
    QString m_cause;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failed failed) : m_ok(false), m_cause(std::move(failed.cause)) {}

    bool isOk() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString& cause() const { return m_cause; }
    Failed failed() const { return Failed{m_cause}; }

private:
    bool m_ok = true;
    QString m_cause;
};
