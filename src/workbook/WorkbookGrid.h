#pragma once

#include "workbook/CellValue.h"

#include <QString>
#include <QStringList>

#include <deque>

// The cells of one worksheet as a reader found them. Only cells with a value are kept,
// so memory follows the file's content, never the size a file claims for itself.
class WorkbookGrid {
public:
    // Largest sheet of the .xlsx format: 1,048,576 rows by 16,384 columns (XFD).
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    // row and column count from 0 (row 0 is the sheet's row 1), in any order. Empty
    // values are not stored; a later value for the same cell replaces an earlier one.
    void set(int row, int column, const CellValue& value);
    const CellValue& at(int row, int column) const;
    // The last row holding a value, -1 for an empty sheet.
    int lastRow() const;
    // Rows from `firstRow` to the last row without a value in columns 0 to columns - 1.
    int emptyRows(int firstRow, int columns) const;
    void clear();
    // The same cells with the same values, whatever order they were given in.
    bool operator==(const WorkbookGrid& other) const;

    // Reads a column that mixes kinds of values (numbers and texts, say) as text
    // throughout, from row `firstRow` on; a column of one kind keeps it.
    void textForMixedColumns(int firstRow);

private:
    struct Cell {
        int row;
        int column;
        CellValue value;
    };
    // Puts the cells in order of row, then column, keeping the last value given for
    // a cell. A well-made file gives them in that order, so this is rarely needed.
    void sort() const;
    // The first cell at or after (row, column).
    std::deque<Cell>::const_iterator find(int row, int column) const;

    // A deque rather than a vector: it grows without copying what it holds, so a
    // large sheet never needs room for its cells twice over.
    mutable std::deque<Cell> m_cells;
    mutable bool m_sorted = true;
};

namespace workbookgrid {

// The sheet the program reads.
inline const QString kSheetName = QStringLiteral("Sheet1");

// Index of the sheet named `wanted` (an exact match first, then one that differs only
// in letter case, as sheet names do in a spreadsheet), -1 if there is none.
int findSheet(const QStringList& names, const QString& wanted);

// "没有名为“Sheet1”的工作表（工作簿中的工作表：…）".
QString missingSheetCause(const QStringList& names, const QString& wanted);

// "A1"-style reference to 0-based (row, column); false when malformed or beyond XFD1048576.
bool parseReference(QStringView reference, int& row, int& column);

// Column letters for a 0-based column: 0 -> "A", 16383 -> "XFD".
QString columnName(int column);

} // namespace workbookgrid
