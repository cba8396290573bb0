#pragma once

#include <QString>

#include <optional>

// One cell of a workbook row as the import and the batch see it.
struct CellValue {
    enum class Kind { Empty, Number, Text, DateTime };
    // Which parts of a date-time value the cell's number format shows.
    enum class DateParts { Date, Time, DateAndTime };

    Kind kind = Kind::Empty;
    // Number: the value. DateTime: the serial day number of the 1900 date system
    // (1.0 is 1900-01-01, the fraction is the time of day).
    double number = 0;
    // Text: the text. DateTime: the display text ("2026-12-07", "14:05:09" or both).
    QString text;
    // A number read as text because its column mixes numbers and texts: the text
    // is the number's spreadsheet form and `number` still holds the value.
    bool wasNumber = false;

    bool isEmpty() const { return kind == Kind::Empty; }

    // The value as a spreadsheet user expects to read it: numbers in their shortest
    // form with at most 15 significant digits (1.18, 25, 25.36), dates as
    // "2026-12-07", times of day as "14:05:09", empty as "".
    QString toText() const;

    static CellValue fromNumber(double value);
    // An empty text is an empty cell: a user cannot tell them apart.
    static CellValue fromText(const QString& text);
    // A number read as text (its column mixes kinds), keeping its value.
    static CellValue numberAsText(double value);
    // The value of a number, or of a number read as text.
    std::optional<double> numberValue() const;
    // A serial day number shown through a date or time format. Serials of the 1904
    // date system count from 1904-01-01. Empty when the serial is outside the dates
    // a spreadsheet can show (before 1900 or after 9999-12-31).
    static std::optional<CellValue> fromSerial(double serial, DateParts parts,
                                               bool date1904 = false);
    // "2026-12-07", "2026-12-07 14:05:09", "2026-12-07T14:05:09[.fff][Z]" or
    // "14:05:09". Empty when the text is none of these.
    static std::optional<CellValue> fromIsoText(const QString& text);

    bool operator==(const CellValue&) const = default;
};

// Shortest text that reads back as the value when rounded to 15 significant digits;
// plain decimal notation from 1e-9 up to 1e21, "1.5E+25" style outside that range.
QString cellNumberText(double value);
