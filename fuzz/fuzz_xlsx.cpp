// Reads arbitrary bytes saved as a .xlsx workbook: the reader must refuse or read
// them without a crash, a hang or a leak, and its own reader of sheet XML must make of
// them what Qt's XML reader makes: the same cells, or a refusal too.
#include "FuzzSupport.h"

#include "workbook/XlsxReader.h"

#include <cstdlib>

namespace {

void compareSheetReaders(const QString& path) {
    using xlsxreader::SheetXml;
    const Result<WorkbookGrid> own =
        xlsxreader::readSheet(path, workbookgrid::kSheetName, SheetXml::Auto);
    const Result<WorkbookGrid> qt =
        xlsxreader::readSheet(path, workbookgrid::kSheetName, SheetXml::General);
    if (own.isOk() != qt.isOk() || (own.isOk() && !(*own == *qt)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path =
        fuzz::writeInput(QStringLiteral("input.xlsx"), fuzz::withStoredChecksums(bytes));
    fuzz::readWorkbook(path);
    compareSheetReaders(path);
    return 0;
}
