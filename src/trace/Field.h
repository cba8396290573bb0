#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <array>
#include <optional>

// The fourteen parameter fields, in the main window's order: Field::Segment is
// the window's Text1_0, Field::Cw its Text1_13. The command line's "--field N"
// and the window's control names use that index.
enum class Field {
    Segment,
    FeederLength,
    Vswr,
    TestDistance,
    Site,
    InsertionLoss,
    PropagationVelocity,
    Resolution,
    Date,
    Model,
    Calibration,
    Time,
    SerialNumber,
    Cw,
};

inline constexpr int kFieldCount = 14;

constexpr int indexOf(Field field) {
    return static_cast<int>(field);
}

// The field with that index, none outside 0..13.
constexpr std::optional<Field> fieldAt(int index) {
    if (index < 0 || index >= kFieldCount)
        return std::nullopt;
    return static_cast<Field>(index);
}

// Every field, in index order.
constexpr std::array<Field, kFieldCount> allFields() {
    std::array<Field, kFieldCount> fields{};
    for (int i = 0; i < kFieldCount; ++i)
        fields[static_cast<size_t>(i)] = static_cast<Field>(i);
    return fields;
}

// How the program writes dates and times, in the fields and on the clock.
namespace fieldformat {

// The date field: month/day/year without leading zeros (12/7/2026).
inline QString date(const QDate& date) {
    return date.toString(QStringLiteral("M/d/yyyy"));
}

// The time field and the clock: 14:05:09, without a time zone.
inline QString time(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace fieldformat
