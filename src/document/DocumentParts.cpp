#include "document/DocumentParts.h"

#include "document/DocxPackage.h"
#include "document/DocxXml.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QUrl>

namespace documentparts {

namespace {

// The part an officeDocument relationship of the package points to.
std::optional<QString> mainPartTarget(const docx::RelationshipsScan& rels) {
    for (const docx::Relationship& relationship : rels.relationships) {
        if (relationship.external || !relationship.type.endsWith(u"/officeDocument"))
            continue;
        QString target = QUrl::fromPercentEncoding(relationship.target.toUtf8());
        while (target.startsWith(u'/'))
            target.remove(0, 1);
        target = QDir::cleanPath(target);
        if (!target.isEmpty() && !target.startsWith(u"..") && target != u".")
            return target;
    }
    return std::nullopt;
}

// The part a relationship of a part in folder points to, or an empty string.
QString targetIn(const QString& folder, const docx::Relationship& relationship) {
    if (relationship.external)
        return {};
    QString target = QUrl::fromPercentEncoding(relationship.target.toUtf8());
    target = target.startsWith(u'/') ? target.mid(1) : folder + target;
    target = QDir::cleanPath(target);
    return target.startsWith(u"..") ? QString() : target;
}

// The parts the main part refers to that appending only reads (see
// docx::sidePartKind), styles and numbering first. However often the
// relationships name a part, it is read once, and all of them together at
// most as much as one part may be: a part past that, or one that cannot be
// read, is left out and said so. They are never written.
void readSideParts(const DocxPackage& package, docx::AppendInput* input) {
    docx::XmlPart part;
    docx::RelationshipsScan rels;
    if (!input->rels || !docx::decodePart(*input->rels, &part).isEmpty() ||
        !docx::scanRelationships(part.text, &rels).isEmpty())
        return;
    const QString folder = input->mainPart.left(input->mainPart.lastIndexOf(u'/') + 1);
    QSet<QString> seen{input->mainPart, input->relsPart};
    QList<docx::AppendInput::SidePart> wanted;
    for (const docx::Relationship& relationship : rels.relationships) {
        const auto kind = docx::sidePartKind(relationship.type);
        const auto located = kind ? package.locate(targetIn(folder, relationship)) : std::nullopt;
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
std::optional<QString> findMainPart(const DocxPackage& package, QString* cause) {
    if (const auto packageRels = package.locate(QStringLiteral("_rels/.rels"))) {
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
QString readParts(const DocxPackage& package, const QString& main, docx::AppendInput* input) {
    for (qint64 i = 0; i < package.entryCount(); ++i)
        input->takenNames.insert(package.entryName(i).toLower());
    input->mainPart = main;
    QString cause = package.read(main, &input->document);
    if (!cause.isEmpty())
        return cause;

    input->relsPart = docx::relationshipsPartOf(main);
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
