#include "document/NewDocument.h"

#include "document/DocumentFiles.h"
#include "document/DocxAppend.h"
#include "document/DocxPackage.h"
#include "document/ReplaceFile.h"
#include "document/WriteProtocol.h"

#include <QFile>
#include <QFileInfo>

namespace {

using Kind = Outcome::Kind;

const QString kMainPart = QStringLiteral("word/document.xml");
const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");
// What appending sees of the parts of a new, empty document.
docx::AppendInput newDocumentInput(const QList<std::pair<QString, QByteArray>>& parts) {
    docx::AppendInput input;
    input.mainPart = kMainPart;
    input.relsPart = docx::relationshipsPartOf(kMainPart);
    for (const auto& [part, bytes] : parts) {
        input.takenNames.insert(part.toLower());
        if (part == input.mainPart)
            input.document = bytes;
        else if (part == input.relsPart)
            input.rels = bytes;
        else if (part == kContentTypesPart)
            input.contentTypes = bytes;
    }
    return input;
}

// Puts a new document's bytes in place: written to a temporary file and
// renamed to the document's name.
Outcome placeNew(DocumentFiles& files, const QString& file, const QString& name,
                 const QByteArray& bytes) {
    QString cause;
    const QString temporary = files.newTemporary();
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) || out.write(bytes) != bytes.size() ||
        !out.flush())
        cause = out.errorString();
    out.close();
    // Another program may have made the document meanwhile; it is not
    // replaced, the pictures go into it instead.
    if (cause.isEmpty() && QFileInfo(file).size() > 0) {
        QFile::remove(temporary);
        return Outcome::failure(Kind::Busy,
                                QStringLiteral("文档“%1”在写入时被其他程序新建。").arg(name));
    }
    if (cause.isEmpty())
        cause = reportfile::replaceWith(temporary, file);
    QFile::remove(temporary);
    if (!cause.isEmpty())
        return reportfile::writeFailure(name, QFileInfo(file).absolutePath(), bytes.size(), cause,
                                        true);
    return Outcome::ok();
}

} // namespace

namespace reportfile {

Outcome writeNew(DocumentFiles& files, const QString& file, const QString& name,
                 const QList<docx::Picture>& pictures, const QList<QList<int>>& paragraphs,
                 docx::Placement* placement) {
    const QList<std::pair<QString, QByteArray>> parts = docx::newDocumentParts();
    const docx::AppendInput input = newDocumentInput(parts);
    docx::AppendOutput output;
    DocxPackage package;
    QString cause = docx::appendPictures(input, pictures, paragraphs, &output);
    if (cause.isEmpty())
        cause = package.create();
    if (cause.isEmpty()) {
        Outcome limits = checkLimits(name, package, output);
        if (!limits.isOk())
            return limits;
    }
    *placement = output.placement;
    for (const auto& [part, bytes] : parts) {
        if (cause.isEmpty())
            cause = package.write(part,
                                  part == input.mainPart      ? output.document
                                  : part == input.relsPart    ? output.rels
                                  : part == kContentTypesPart ? output.contentTypes
                                                              : bytes,
                                  false);
    }
    for (const auto& [part, png] : output.media) {
        if (cause.isEmpty())
            cause = package.write(part, png, true);
    }
    QByteArray bytes;
    if (cause.isEmpty())
        cause = package.commitToMemory(&bytes);
    if (!cause.isEmpty())
        return writeFailure(name, QFileInfo(file).absolutePath(), 0, cause, true);
    return placeNew(files, file, name, bytes);
}

} // namespace reportfile
