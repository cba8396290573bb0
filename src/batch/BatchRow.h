#pragma once

#include "trace/Field.h"
#include "workbook/CellValue.h"

#include <QList>
#include <QString>

#include <array>

class FieldReader;
class Workbook;

// What one workbook row writes into the parameter fields, in writing order.
struct FieldWrite {
    Field field;
    QString text;
    bool operator==(const FieldWrite&) const = default;
};

// The rules that turn one workbook row into field writes, or say why it
// gives no plot.
namespace batchrow {

constexpr int kSegment = 0;     // column A
constexpr int kVswr = 1;        // column B
constexpr int kLengthThick = 2; // column C, the 0.110 dB/m feeder
constexpr int kLengthThin = 3;  // column D, the 0.070 dB/m feeder
constexpr int kTestTime = 4;    // column E

// Columns A to E of one row.
using Row = std::array<CellValue, 5>;
Row currentRow(const Workbook& workbook);

// A cell that keeps its row from being plotted.
struct CellFault {
    enum class Cause {
        Empty,
        // Columns C and D are both empty: the row has no feeder length.
        NoLength,
        NotANumber,
        TooLarge,
        BelowOne,
        NotPositive,
    };
    int column;
    Cause cause;
    // The cell's text as it stands in the workbook.
    QString text;
    bool operator==(const CellFault&) const = default;
};

// An empty cell whose value was taken from the row above.
struct Carried {
    int column;
    QString value;
    bool operator==(const Carried&) const = default;
};

struct Options {
    // The test time is taken from column E.
    bool specifiedTime = false;
    // An empty cell keeps the field's value, as the previous row left it,
    // instead of keeping the row from being plotted.
    bool carryEmpty = false;
};

struct Plan {
    enum class Fate { Plot, Skip, Refuse };
    Fate fate = Fate::Plot;
    // The segment the row stands for.
    QString segment;
    // For a plot: the writes, in order.
    QList<FieldWrite> writes;
    // For a refusal: every cell that keeps the row from a plot.
    QList<CellFault> faults;
    // Values taken from above.
    QList<Carried> carried;
};

// The plan for one row. fields: the parameter fields as the rows above left
// them (what an empty cell keeps with carryEmpty). segmentAbove: the last
// segment the rows above named, which an empty segment cell takes.
//
// A row empty in columns A to E is skipped. A row whose VSWR cell, or both
// feeder-length cells, are empty, not numbers, or impossible (a VSWR below
// 1, a length not above 0) is refused, and so is one without a segment of
// its own or above it.
Plan plan(const Row& row, const FieldReader& fields, const QString& segmentAbove,
          const Options& options);

} // namespace batchrow
