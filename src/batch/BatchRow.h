#pragma once

#include "trace/Field.h"
#include "workbook/CellValue.h"

#include <QList>
#include <QString>

#include <array>

class Workbook;

// What one workbook row writes into the parameter fields, in writing order.
struct FieldWrite {
    Field field;
    QString text;
    bool operator==(const FieldWrite&) const = default;
};

namespace batchrow {

constexpr int kSegment = 0;     // column A
constexpr int kVswr = 1;        // column B
constexpr int kLengthThick = 2; // column C, the 0.110 dB/m feeder
constexpr int kLengthThin = 3;  // column D, the 0.070 dB/m feeder
constexpr int kTestTime = 4;    // column E

// Columns A to E of one row.
using Row = std::array<CellValue, 5>;
Row currentRow(const Workbook& workbook);

// The writes for one row. A cell without a value writes nothing, so its field
// keeps what it held. The time is written only when specifiedTime is set.
QList<FieldWrite> writes(const Row& row, bool specifiedTime);

// A feeder length as written: one decimal place (in the locale's form, as
// the field reads it) when it reads as a number, the text unchanged otherwise.
QString lengthText(const QString& text);

} // namespace batchrow
