// Opens arbitrary bytes saved as a .docx; when the document layer accepts them,
// puts two pictures into it (each with its paragraph break; into placeholders
// or after a bookmark when it has them) and writes the file. Neither step may
// crash, hang or leak, and a refused write must leave the file as it was.
#include "FuzzSupport.h"

#include "document/ReportDocument.h"

#include <QColor>
#include <QImage>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startApplication();
    return 0;
}

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        fuzz::withStoredChecksums(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString path = fuzz::writeInput(QStringLiteral("input.docx"), bytes);
    ReportDocument document(path);
    if (!document.open().isOk()) {
        // Refused: the file must not have been touched.
        if (contents(path) != bytes)
            std::abort();
        return 0;
    }
    QImage picture(6, 3, QImage::Format_RGB32);
    picture.fill(QColor(20, 40, 200));
    for (const QString& segment : {QStringLiteral("1扇区 <&\"'>"), QStringLiteral("T1-B1F")}) {
        document.paste(picture, segment);
        document.typeParagraphBreak();
    }
    if (!document.flush().isOk()) {
        // A failed write keeps everything pending and the file unchanged.
        if (!document.hasPending() || document.pendingPictures() != 2)
            std::abort();
        if (contents(path) != bytes)
            std::abort();
        return 0;
    }
    if (document.hasPending())
        std::abort();
    // What was written must open again.
    ReportDocument reopened(path);
    if (!reopened.open().isOk())
        std::abort();
    return 0;
}
