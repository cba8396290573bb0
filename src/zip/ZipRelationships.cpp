#include "zip/ZipRelationships.h"

#include <QDir>
#include <QUrl>
#include <QXmlStreamReader>

namespace zippackage {

namespace {

const QLatin1StringView kRelationshipsNs{
    "http://schemas.openxmlformats.org/package/2006/relationships"};

} // namespace

bool Relationship::is(QStringView kind) const {
    return type.size() > kind.size() && type.endsWith(kind) &&
           type[type.size() - kind.size() - 1] == u'/';
}

QString relationshipsPartOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return QStringLiteral("%1_rels/%2.rels").arg(part.left(slash + 1), part.mid(slash + 1));
}

QString resolveTarget(const QString& source, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QString path;
    if (decoded.startsWith(u'/'))
        path = decoded.mid(1);
    else
        path = source.left(source.lastIndexOf(u'/') + 1) + decoded;
    path = QDir::cleanPath(path);
    if (path.isEmpty() || path == u"." || path.startsWith(u"..") || path.startsWith(u'/'))
        return QString();
    return path;
}

QString targetPart(const QString& source, const Relationship& relationship) {
    return relationship.external ? QString() : resolveTarget(source, relationship.target);
}

void RelationshipsReader::take(const QXmlStreamReader& reader) {
    if (reader.isEndElement()) {
        --m_depth;
        return;
    }
    if (!reader.isStartElement())
        return;
    ++m_depth;
    if (m_depth == 1) {
        m_rootIsList =
            reader.name() == u"Relationships" && reader.namespaceUri() == kRelationshipsNs;
    } else if (m_depth == 2 && reader.name() == u"Relationship") {
        const QXmlStreamAttributes attributes = reader.attributes();
        m_relationships.append({attributes.value(QStringLiteral("Id")).toString(),
                                attributes.value(QStringLiteral("Type")).toString(),
                                attributes.value(QStringLiteral("Target")).toString(),
                                attributes.value(QStringLiteral("TargetMode"))
                                        .compare(u"External", Qt::CaseInsensitive) == 0});
    }
}

} // namespace zippackage
