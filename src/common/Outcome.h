#pragma once

#include <QString>

// What an operation on a workbook or a report document came to. A failure
// carries a Chinese description for the user (naming the file and the cause)
// and a kind that tells the caller what to do next.
class [[nodiscard]] Outcome {
public:
    enum class Kind {
        Ok,
        // The file cannot be used as it is (missing, not a workbook or a
        // document, damaged): nothing was read or written.
        Unusable,
        // Another program holds the document now; what waits is kept and
        // tried again later.
        Busy,
        // Writing fails for a reason that does not go away by itself (no
        // space, no permission, a limit reached); what waits is kept.
        Lasting,
    };

    // Something to tell the user even when a write succeeded.
    enum class Note {
        None,
        // The document did not exist and was made.
        Created,
        // The document was there before and has gone (deleted or moved); it
        // was made anew and holds only what was written since.
        Recreated,
    };

    Outcome() = default;
    static Outcome ok(Note note = Note::None) { return Outcome(Kind::Ok, {}, note); }
    static Outcome failure(Kind kind, const QString& message) {
        return Outcome(kind, message, Note::None);
    }

    bool isOk() const { return m_kind == Kind::Ok; }
    Kind kind() const { return m_kind; }
    // Empty when the operation succeeded.
    const QString& message() const { return m_message; }
    Note note() const { return m_note; }

private:
    Outcome(Kind kind, const QString& message, Note note)
        : m_kind(kind), m_message(message), m_note(note) {}

    Kind m_kind = Kind::Ok;
    QString m_message;
    Note m_note = Note::None;
};
