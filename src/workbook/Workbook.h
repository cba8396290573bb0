#pragma once

#include "common/Outcome.h"
#include "workbook/CellValue.h"
#include "workbook/WorkbookGrid.h"

#include <QString>

// A forward cursor over the data rows of a test-data workbook: the sheet named
// "Sheet1", its first row taken as column headings. Rows run from the sheet's row 2
// to its last row holding a value; an empty row in between is a row of empty cells.
// A column that mixes numbers and texts reads as text throughout.
//
// .xls is read through FreeXL, .xlsx through libzip and XML readers (a fast one of
// its own for the sheet, Qt's for the rest; see XlsxReader.h); which one
// is decided by the file's content, so a workbook with the wrong extension still
// opens. The whole sheet is read by open(); nothing stays open on the file.
class Workbook {
public:
    // A failure (Unusable) carries a Chinese description that names the file and the
    // cause; the cursor is then at its end with no rows.
    Outcome open(const QString& path);
    bool atEnd() const;
    // Columns A.. by index 0..; beyond the row's last value, or at the end, Empty.
    CellValue field(int index) const;
    void moveNext();
    void close();
    // Data rows, the heading row not counted.
    int rowCount() const;
    // Data rows without a value in columns A to E, the columns the import and the
    // batch read. Counted from the cells the sheet holds, so a sheet whose one value
    // sits in its last row costs no more than any other small sheet.
    int emptyRowCount() const;

    static constexpr int kDataColumns = 5;

private:
    WorkbookGrid m_grid;
    int m_lastRow = 0; // 0-based sheet row of the last data row
    int m_emptyRows = 0;
    int m_row = 1; // 0-based sheet row under the cursor
};
