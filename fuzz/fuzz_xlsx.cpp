// Reads arbitrary bytes saved as a .xlsx workbook: the reader must refuse or read
// them without a crash, a hang or a leak.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzz::readWorkbook(
        fuzz::writeInput(QStringLiteral("input.xlsx"), fuzz::withStoredChecksums(bytes)));
    return 0;
}
