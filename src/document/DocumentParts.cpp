#include "document/DocumentParts.h"

#include "document/DocxPackage.h"
#include "document/DocxXml.h"
#include "zip/ZipRelationships.h"

#include <QCoreApplication>
#include <QSet>

namespace documentparts {

namespace {

// The part an officeDocument relationship of the package points to.
std::optional<QString> mainPartTarget(const docx::RelationshipsScan& rels) {
    for (const docx::Relationship& relationship : rels.relationships) {
        if (!relationship.is(u"officeDocument"))
            continue;
        if (const QString target = zippackage::targetPart(QString(), relationship);
            !target.isEmpty())
            return target;
    }
    return std::nullopt;
}

// The parts the main part refers to that appending only reads (see
// docx::sidePartKind), styles and numbering first. However often the
// relationships name a part, it is read once, and all of them together at
// most as much as one part may be: a part past that, or one that cannot be
// read, is left out and said so. They are never written.
void readSideParts(DocxPackage& package, docx::AppendInput* input) {
    if (!input->rels)
        return;
    const Result<docx::XmlPart> part = docx::decodePart(*input->rels);
    const Result<docx::RelationshipsScan> rels =
        part ? docx::scanRelationships(part->text) : part.failed();
    if (!rels)
        return;
    QSet<QString> seen{input->mainPart, input->relsPart};
    // The content types are read after these, and no part is read twice.
    if (const auto types = package.locate(kContentTypesPart))
        seen.insert(*types);
    QList<docx::AppendInput::SidePart> wanted;
    for (const docx::Relationship& relationship : rels->relationships) {
        const auto kind = docx::sidePartKind(relationship.type);
        const auto located =
            kind ? package.locate(zippackage::targetPart(input->mainPart, relationship))
                 : std::nullopt;
        if (located && !seen.contains(*located)) {
            seen.insert(*located);
            wanted.append({*kind, *located, {}});
        }
    }
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const auto& a, const auto& b) { return a.kind < b.kind; });
    QStringList leftOut;
    qint64 budget = DocxPackage::kMaxPartSize;
    for (docx::AppendInput::SidePart& side : wanted) {
        if (Result<QByteArray> bytes = package.read(side.name, budget)) {
            side.bytes = std::move(bytes).value();
            budget -= side.bytes.size();
            input->sideParts.append(side);
        } else {
            leftOut.append(side.name);
        }
    }
    for (const QString& name : leftOut)
        input->notices.add(docx::Notices::Kind::PartsLeftOut, name);
}

// The package's own relationships, read from the part name.
Result<docx::RelationshipsScan> packageRelationships(DocxPackage& package, const QString& name) {
    const Result<QByteArray> bytes = package.read(name);
    const Result<docx::XmlPart> part = bytes ? docx::decodePart(*bytes) : bytes.failed();
    Result<docx::RelationshipsScan> rels =
        part ? docx::scanRelationships(part->text) : part.failed();
    if (!rels)
        return Failed{
            QCoreApplication::translate("document", "部件 %1 %2").arg(name, rels.cause())};
    return rels;
}

} // namespace

Result<std::optional<QString>> findMainPart(DocxPackage& package) {
    if (const auto packageRels = package.locate(zippackage::relationshipsPartOf(QString()))) {
        const Result<docx::RelationshipsScan> rels = packageRelationships(package, *packageRels);
        if (!rels)
            return rels.failed();
        if (const auto target = mainPartTarget(*rels))
            if (const auto main = package.locate(*target))
                return main;
    }
    return package.locate(kMainPartFallback);
}

Result<docx::AppendInput> readParts(DocxPackage& package, const QString& main) {
    docx::AppendInput input;
    for (qint64 i = 0; i < package.entryCount(); ++i)
        input.takenNames.insert(package.entryName(i).toLower());
    input.mainPart = main;
    Result<QByteArray> document = package.read(main);
    if (!document)
        return document.failed();
    input.document = std::move(document).value();

    input.relsPart = zippackage::relationshipsPartOf(main);
    if (const auto rels = package.locate(input.relsPart)) {
        input.relsPart = *rels;
        Result<QByteArray> relsBytes = package.read(*rels);
        if (!relsBytes)
            return relsBytes.failed();
        input.rels = std::move(relsBytes).value();
        readSideParts(package, &input);
    }
    const auto types = package.locate(kContentTypesPart);
    if (!types)
        return Failed{QCoreApplication::translate("document", "缺少 %1，不是有效的 Office 文档")
                          .arg(kContentTypesPart)};
    Result<QByteArray> contentTypes = package.read(*types);
    if (!contentTypes)
        return contentTypes.failed();
    input.contentTypes = std::move(contentTypes).value();
    return input;
}

} // namespace documentparts
