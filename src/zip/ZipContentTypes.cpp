#include "zip/ZipContentTypes.h"

#include <QXmlStreamReader>

namespace zippackage {

namespace {

const QLatin1StringView kContentTypesNs{
    "http://schemas.openxmlformats.org/package/2006/content-types"};

} // namespace

void ContentTypesReader::take(const QXmlStreamReader& reader) {
    if (reader.isEndElement()) {
        --m_depth;
        return;
    }
    if (!reader.isStartElement())
        return;
    ++m_depth;
    if (m_depth == 1) {
        m_rootIsList = reader.name() == u"Types" && reader.namespaceUri() == kContentTypesNs;
        return;
    }
    if (m_depth != 2)
        return;
    const QXmlStreamAttributes attributes = reader.attributes();
    const QString type = attributes.value(QStringLiteral("ContentType")).toString();
    if (reader.name() == u"Default") {
        m_defaults.insert(attributes.value(QStringLiteral("Extension")).toString().toLower(), type);
    } else if (reader.name() == u"Override") {
        QString part = attributes.value(QStringLiteral("PartName")).toString().toLower();
        if (part.startsWith(u'/'))
            part.remove(0, 1);
        m_overrides.insert(part, type);
    }
}

bool ContentTypesReader::hasDefault(const QString& extension) const {
    return m_defaults.contains(extension.toLower());
}

QStringList ContentTypesReader::overridesOf(const QString& part) const {
    return m_overrides.values(part.toLower());
}

} // namespace zippackage
