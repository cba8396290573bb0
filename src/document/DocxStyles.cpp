#include "document/DocxStyles.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace docx {

namespace {

// Where a walk over a part stands: the local names of the open elements of
// WordprocessingML ("" for others).
class Path {
public:
    void follow(const QXmlStreamReader& reader) {
        if (reader.isStartElement())
            m_names.append(reader.namespaceUri() == kWordNs ? reader.name().toString() : QString());
        else if (reader.isEndElement() && !m_names.isEmpty())
            m_names.removeLast();
    }
    // The name n levels up from the element just started (0: itself).
    QStringView up(int n) const {
        return n < m_names.size() ? QStringView(m_names.at(m_names.size() - 1 - n)) : QStringView();
    }
    // Inside paragraph properties held by an element of that name: the
    // properties' own children and those of their numPr.
    bool inPropertiesOf(QStringView holder) const {
        return (up(1) == u"pPr" && up(2) == holder) ||
               (up(1) == u"numPr" && up(2) == u"pPr" && up(3) == holder);
    }

private:
    QStringList m_names;
};

int intValue(const QXmlStreamReader& reader, const QString& name) {
    return wordAttribute(reader, name).toInt();
}

} // namespace

void StyleSheet::readStyles(const QByteArray& bytes) {
    Path path;
    QString style; // the paragraph style being read, empty in others
    walkXml(bytes, [&](const QXmlStreamReader& reader) {
        path.follow(reader);
        if (!reader.isStartElement() || reader.namespaceUri() != kWordNs)
            return;
        const QStringView name = reader.name();
        if (name == u"style" && path.up(1) == u"styles") {
            const bool paragraph = wordAttribute(reader, QStringLiteral("type")) == u"paragraph";
            style = paragraph ? wordAttribute(reader, QStringLiteral("styleId")) : QString();
            if (paragraph && m_defaultStyle.isEmpty() &&
                wordAttribute(reader, QStringLiteral("default")) == u"1")
                m_defaultStyle = style;
        } else if (!style.isEmpty() && name == u"basedOn" && path.up(1) == u"style") {
            m_styles[style].basedOn = wordAttribute(reader, QStringLiteral("val"));
        } else if (!style.isEmpty() && path.inPropertiesOf(u"style")) {
            readFormat(reader, &m_styles[style].format);
        } else if (path.inPropertiesOf(u"pPrDefault")) {
            readFormat(reader, &m_defaults);
        }
    });
}

void StyleSheet::readNumbering(const QByteArray& bytes) {
    Path path;
    int abstractId = -1;
    int numId = -1;
    int level = 0;
    walkXml(bytes, [&](const QXmlStreamReader& reader) {
        path.follow(reader);
        if (!reader.isStartElement() || reader.namespaceUri() != kWordNs)
            return;
        const QStringView name = reader.name();
        if (name == u"abstractNum") {
            abstractId = intValue(reader, QStringLiteral("abstractNumId"));
            numId = -1;
        } else if (name == u"num") {
            numId = intValue(reader, QStringLiteral("numId"));
            abstractId = -1;
        } else if (name == u"abstractNumId" && numId >= 0) {
            m_numberings[numId].abstractId = intValue(reader, QStringLiteral("val"));
        } else if (name == u"lvl" || name == u"lvlOverride") {
            level = std::clamp(intValue(reader, QStringLiteral("ilvl")), 0, 8);
        } else if (path.inPropertiesOf(u"lvl") && path.up(3) != u"lvlOverride" &&
                   path.up(4) != u"lvlOverride") {
            if (abstractId >= 0)
                readFormat(reader, &m_abstracts[abstractId][level]);
        } else if (path.inPropertiesOf(u"lvl") && numId >= 0) {
            readFormat(reader, &m_numberings[numId].levels[level]);
        }
    });
}

ParagraphFormat StyleSheet::numberingLevel(int numId, int level) const {
    const auto numbering = m_numberings.constFind(numId);
    if (numbering == m_numberings.cend())
        return {};
    ParagraphFormat format = numbering->levels.value(level);
    format.inherit(m_abstracts.value(numbering->abstractId).value(level));
    return format;
}

ParagraphFormat StyleSheet::resolve(const ParagraphFormat& own) const {
    // The chain of styles, guarded against loops and unknown names.
    QList<const ParagraphFormat*> styles;
    QSet<QString> seen;
    QString id = m_styles.contains(own.style) ? own.style : m_defaultStyle;
    for (auto style = m_styles.constFind(id);
         style != m_styles.cend() && !seen.contains(id) && styles.size() < 64;
         style = m_styles.constFind(id)) {
        seen.insert(id);
        styles.append(&style->format);
        id = style->basedOn;
    }
    ParagraphFormat numbered = own;
    for (const ParagraphFormat* style : styles) {
        numbered.numId = numbered.numId ? numbered.numId : style->numId;
        numbered.level = numbered.level ? numbered.level : style->level;
    }
    ParagraphFormat resolved = own;
    if (numbered.numId.value_or(0) > 0)
        resolved.inherit(numberingLevel(*numbered.numId, numbered.level.value_or(0)));
    for (const ParagraphFormat* style : styles)
        resolved.inherit(*style);
    resolved.inherit(m_defaults);
    return resolved;
}

} // namespace docx
