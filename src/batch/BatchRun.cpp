#include "batch/BatchRun.h"

#include "batch/BatchRow.h"
#include "workbook/Workbook.h"

#include <chrono>
#include <future>

BatchResult runBatch(const QString& workbookPath, BatchHost& host) {
    BatchResult result;
    Workbook workbook;
    std::future<Outcome> opened =
        std::async(std::launch::async, [&] { return workbook.open(workbookPath); });
    while (opened.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        host.letEventsRun();
    result.failure = opened.get();
    if (!result.failure.isOk())
        return result;
    return runBatch(workbook, host);
}

BatchResult runBatch(Workbook& workbook, BatchHost& host) {
    BatchResult result;
    for (; !workbook.atEnd() && !host.stopRequested(); workbook.moveNext()) {
        // Data rows start under the heading, in the sheet's second row.
        host.rowStarted(result.processed + 2);
        const auto writes = batchrow::writes(batchrow::currentRow(workbook), host.specifiedTime());
        for (const FieldWrite& write : writes)
            host.writeField(write.field, write.text);
        if (!host.generate())
            break;
        host.save();
        host.rowDone(++result.processed);
    }
    workbook.close();
    return result;
}
