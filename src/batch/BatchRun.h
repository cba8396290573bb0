#pragma once

#include "common/Outcome.h"
#include "trace/Field.h"

#include <QString>

// What a batch needs from whoever runs it: the parameter fields, the generate
// and save operations, and a place to show progress and let events run.
class BatchHost {
public:
    virtual ~BatchHost() = default;
    // Called before a row's writes with the row's number in the sheet (the
    // heading is row 1).
    virtual void rowStarted(int sheetRow) { (void)sheetRow; }
    // Writes a parameter field as a user's edit would (the field rules run).
    virtual void writeField(Field field, const QString& text) = 0;
    // Whether the test time is taken from the workbook.
    virtual bool specifiedTime() const = 0;
    // Draws the row's plot; false when the drawing was abandoned part-way (a
    // stop asked for during a long one): the row is then left out.
    virtual bool generate() = 0;
    virtual void save() = 0;
    // Called after each row's save with the 1-based row number.
    virtual void rowDone(int row) = 0;
    // Checked before each row; true ends the batch there.
    virtual bool stopRequested() const { return false; }
    // Lets the window's events run while the workbook is read.
    virtual void letEventsRun() {}
};

struct BatchResult {
    int processed = 0;
    // Why the rows could not be read; Ok when they could.
    Outcome failure;
};

class Workbook;

// Turns every data row of the workbook into field writes, a plot and a save.
// The workbook is read on a worker thread while the host lets events run.
BatchResult runBatch(const QString& workbookPath, BatchHost& host);
// The same for a workbook already read; it is closed at the end.
BatchResult runBatch(Workbook& workbook, BatchHost& host);
