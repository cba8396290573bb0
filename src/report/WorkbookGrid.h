#pragma once

#include "report/CellValue.h"

#include <QString>
#include <QStringList>

#include <map>
#include <utility>
#include <vector>

// The cells of one worksheet as a reader found them. Only cells with a value are kept,
// so memory follows the file's content, never the size a file claims for itself.
class WorkbookGrid {
public:
    // Largest sheet of the .xlsx format: 1,048,576 rows by 16,384 columns (XFD).
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    // row and column count from 0 (row 0 is the sheet's row 1). Empty values are
    // not stored; a later value for the same cell replaces an earlier one.
    void set(int row, int column, const CellValue& value);
    const CellValue& at(int row, int column) const;
    // The last row holding a value, -1 for an empty sheet.
    int lastRow() const;
    void clear() { m_rows.clear(); }

    // Reads a column that mixes kinds of values (numbers and texts, say) as text
    // throughout, from row `firstRow` on; a column of one kind keeps it.
    void textForMixedColumns(int firstRow);

private:
    using Row = std::vector<std::pair<int, CellValue>>; // sorted by column
    std::map<int, Row> m_rows;
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
