#include "report/BatchRun.h"

#include "report/BatchRow.h"
#include "report/Workbook.h"

BatchResult runBatch(const QString& workbookPath, BatchHost& host) {
    BatchResult result;
    Workbook workbook;
    result.failure = workbook.open(workbookPath);
    if (!result.failure.isEmpty())
        return result;
    for (; !workbook.atEnd() && !host.stopRequested(); workbook.moveNext()) {
        const auto writes = batchrow::writes(batchrow::currentRow(workbook), host.specifiedTime());
        for (const FieldWrite& write : writes)
            host.writeField(write.field, write.text);
        host.generate();
        host.save();
        host.rowDone(++result.processed);
    }
    workbook.close();
    return result;
}
