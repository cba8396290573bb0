#include "document/NewDocument.h"

#include "document/DocumentFiles.h"
#include "document/DocxAppend.h"
#include "document/DocxPackage.h"
#include "document/ReplaceFile.h"
#include "document/WriteProtocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

using Kind = Outcome::Kind;

const QString kMainPart = QStringLiteral("word/document.xml");
const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");
const QByteArray kDeclaration("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
const QByteArray kRelationshipTypes("http://schemas.openxmlformats.org/");

// Word's own settings: tab stops and punctuation as its Chinese documents
// have them, and the compatibility mode of its current version.
QByteArray settingsPart() {
    return kDeclaration +
           "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
           "<w:defaultTabStop w:val=\"420\"/>"
           "<w:characterSpacingControl w:val=\"compressPunctuation\"/>"
           "<w:compat><w:compatSetting w:name=\"compatibilityMode\" "
           "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/></w:compat>"
           "</w:settings>";
}

QByteArray corePropertiesPart(const QDateTime& made) {
    const QByteArray when = made.toUTC().toString(Qt::ISODate).toLatin1();
    return kDeclaration +
           "<cp:coreProperties "
           "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
           "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
           "<dc:creator>Veltrace</dc:creator><cp:lastModifiedBy>Veltrace</cp:lastModifiedBy>"
           "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
           when +
           "</dcterms:created>"
           "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" +
           when + "</dcterms:modified></cp:coreProperties>";
}

QByteArray appPropertiesPart() {
    return kDeclaration +
           "<Properties "
           "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
           "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
           "<Application>Veltrace</Application></Properties>";
}

// Puts markup just before the root element's end tag.
void insertBeforeEnd(QByteArray* part, const QByteArray& endTag, const QByteArray& markup) {
    part->insert(part->lastIndexOf(endTag), markup);
}

// A relationship with an id the part does not use yet.
QByteArray relationship(const QByteArray& rels, const QByteArray& type, const QByteArray& target) {
    int number = 1;
    while (rels.contains("Id=\"rId" + QByteArray::number(number) + '"'))
        ++number;
    return "<Relationship Id=\"rId" + QByteArray::number(number) + "\" Type=\"" +
           kRelationshipTypes + type + "\" Target=\"" + target + "\"/>";
}

QByteArray overrideEntry(const QByteArray& part, const QByteArray& contentType) {
    return "<Override PartName=\"" + part + "\" ContentType=\"" + contentType + "\"/>";
}

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
        return Outcome::failure(
            Kind::Busy,
            QCoreApplication::translate("document", "文档“%1”在写入时被其他程序新建。").arg(name));
    }
    Result<> placed = cause.isEmpty() ? reportfile::replaceWith(temporary, file) : Failed{cause};
    QFile::remove(temporary);
    if (!placed)
        return reportfile::writeFailure(name, QFileInfo(file).absolutePath(), bytes.size(),
                                        placed.cause(), true);
    return Outcome::ok();
}

} // namespace

namespace reportfile {

QList<std::pair<QString, QByteArray>> newDocumentParts(const QDateTime& made) {
    QList<std::pair<QString, QByteArray>> parts = docx::newDocumentParts();
    for (auto& [part, bytes] : parts) {
        if (part == kContentTypesPart)
            insertBeforeEnd(
                &bytes, "</Types>",
                overrideEntry("/word/settings.xml", "application/vnd.openxmlformats-officedocument."
                                                    "wordprocessingml.settings+xml") +
                    overrideEntry("/docProps/core.xml",
                                  "application/vnd.openxmlformats-package.core-properties+xml") +
                    overrideEntry(
                        "/docProps/app.xml",
                        "application/vnd.openxmlformats-officedocument.extended-properties+xml"));
        else if (part == QStringLiteral("_rels/.rels")) {
            insertBeforeEnd(&bytes, "</Relationships>",
                            relationship(bytes,
                                         "package/2006/relationships/metadata/core-properties",
                                         "docProps/core.xml"));
            insertBeforeEnd(&bytes, "</Relationships>",
                            relationship(bytes,
                                         "officeDocument/2006/relationships/extended-properties",
                                         "docProps/app.xml"));
        } else if (part == docx::relationshipsPartOf(kMainPart))
            insertBeforeEnd(
                &bytes, "</Relationships>",
                relationship(bytes, "officeDocument/2006/relationships/settings", "settings.xml"));
    }
    parts.append({QStringLiteral("word/settings.xml"), settingsPart()});
    parts.append({QStringLiteral("docProps/core.xml"), corePropertiesPart(made)});
    parts.append({QStringLiteral("docProps/app.xml"), appPropertiesPart()});
    return parts;
}

Outcome writeNew(DocumentFiles& files, const QString& file, const QString& name,
                 const QList<docx::Picture>& pictures, const QList<QList<int>>& paragraphs,
                 docx::Placement* placement) {
    const QList<std::pair<QString, QByteArray>> parts =
        newDocumentParts(QDateTime::currentDateTimeUtc());
    const docx::AppendInput input = newDocumentInput(parts);
    const Result<docx::AppendOutput> appended = docx::appendPictures(input, pictures, paragraphs);
    if (!appended)
        return writeFailure(name, QFileInfo(file).absolutePath(), 0, appended.cause(), true);
    const docx::AppendOutput& output = *appended;
    DocxPackage package;
    package.create();
    Outcome limits = checkLimits(name, package, output);
    if (!limits.isOk())
        return limits;
    *placement = output.placement;
    for (const auto& [part, bytes] : parts)
        package.write(part,
                      part == input.mainPart      ? output.document
                      : part == input.relsPart    ? output.rels
                      : part == kContentTypesPart ? output.contentTypes
                                                  : bytes,
                      false);
    for (const auto& [part, png] : output.media)
        package.write(part, png, true);
    const Result<QByteArray> bytes = package.commitToMemory();
    if (!bytes)
        return writeFailure(name, QFileInfo(file).absolutePath(), 0, bytes.cause(), true);
    return placeNew(files, file, name, *bytes);
}

} // namespace reportfile
