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
    docx::XmlPart part;
    docx::RelationshipsScan rels;
    if (!input->rels || !docx::decodePart(*input->rels, &part).isEmpty() ||
        !docx::scanRelationships(part.text, &rels).isEmpty())
        return;
    QSet<QString> seen{input->mainPart, input->relsPart};
    // The content types are read after these, and no part is read twice.
    if (const auto types = package.locate(kContentTypesPart))
        seen.insert(*types);
    QList<docx::AppendInput::SidePart> wanted;
    for (const docx::Relationship& relationship : rels.relationships) {
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
        if (package.read(side.name, &side.bytes, budget).isEmpty()) {
            budget -= side.bytes.size();
            input->sideParts.append(side);
        } else {
            leftOut.append(side.name);
        }
    }
    for (const QString& name : leftOut)
        input->notices.add(docx::Notices::Kind::PartsLeftOut, name);
}

} // namespace

// Where the main document part is: the package's officeDocument
// relationship, or the usual name. Empty with a cause when the package
// relationships cannot be read, empty without one when there is no such part.
std::optional<QString> findMainPart(DocxPackage& package, QString* cause) {
    if (const auto packageRels = package.locate(zippackage::relationshipsPartOf(QString()))) {
        QByteArray bytes;
        docx::XmlPart part;
        docx::RelationshipsScan rels;
        *cause = package.read(*packageRels, &bytes);
        if (cause->isEmpty())
            *cause = docx::decodePart(bytes, &part);
        if (cause->isEmpty())
            *cause = docx::scanRelationships(part.text, &rels);
        if (!cause->isEmpty()) {
            *cause =
                QCoreApplication::translate("document", "部件 %1 %2").arg(*packageRels, *cause);
            return std::nullopt;
        }
        if (const auto target = mainPartTarget(rels))
            if (const auto main = package.locate(*target))
                return main;
    }
    return package.locate(kMainPartFallback);
}

// Reads the parts appending needs, the main part being main. Returns the
// cause, or an empty string.
QString readParts(DocxPackage& package, const QString& main, docx::AppendInput* input) {
    for (qint64 i = 0; i < package.entryCount(); ++i)
        input->takenNames.insert(package.entryName(i).toLower());
    input->mainPart = main;
    QString cause = package.read(main, &input->document);
    if (!cause.isEmpty())
        return cause;

    input->relsPart = zippackage::relationshipsPartOf(main);
    if (const auto rels = package.locate(input->relsPart)) {
        input->relsPart = *rels;
        input->rels.emplace();
        cause = package.read(*rels, &*input->rels);
        if (!cause.isEmpty())
            return cause;
        readSideParts(package, input);
    }
    const auto types = package.locate(kContentTypesPart);
    if (!types)
        return QCoreApplication::translate("document", "缺少 %1，不是有效的 Office 文档")
            .arg(kContentTypesPart);
    return package.read(*types, &input->contentTypes);
}

} // namespace documentparts
