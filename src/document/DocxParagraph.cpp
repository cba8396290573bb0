#include "document/DocxParagraph.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace docx {

namespace {

// A measure in twips of the first of the attributes that is given.
std::optional<double> measure(const QXmlStreamReader& reader, const QStringList& names,
                              double factor = 1) {
    for (const QString& name : names) {
        const QString value = wordAttribute(reader, name);
        if (value.isEmpty())
            continue;
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok && std::isfinite(number))
            return number * factor;
    }
    return std::nullopt;
}

// Indents are given in twips, or in hundredths of a character: taken at 12
// points a character when nothing else is said.
void readIndents(const QXmlStreamReader& reader, ParagraphFormat* format) {
    constexpr double kTwipsPerHundredthChar = 2.4;
    const auto side = [&](const QString& name, const QString& alias) {
        const auto twips = measure(reader, {name, alias});
        return twips ? twips
                     : measure(reader,
                               {name + QStringLiteral("Chars"), alias + QStringLiteral("Chars")},
                               kTwipsPerHundredthChar);
    };
    if (const auto left = side(QStringLiteral("start"), QStringLiteral("left")))
        format->left = left;
    if (const auto right = side(QStringLiteral("end"), QStringLiteral("right")))
        format->right = right;
    const auto hanging = side(QStringLiteral("hanging"), QStringLiteral("hanging"));
    const auto firstLine = side(QStringLiteral("firstLine"), QStringLiteral("firstLine"));
    if (hanging)
        format->firstLine = -*hanging;
    else if (firstLine)
        format->firstLine = firstLine;
}

// A line given without a rule keeps the rule it inherits: LibreOffice reads
// it so, and a picture must show whole there too.
void readSpacing(const QXmlStreamReader& reader, ParagraphFormat* format) {
    const auto line = measure(reader, {QStringLiteral("line")});
    const QString rule = wordAttribute(reader, QStringLiteral("lineRule"));
    if (line)
        format->line = line;
    if (!rule.isEmpty())
        format->lineRule = rule;
}

// The elements of pPr that come after spacing in the schema's order.
bool followsSpacing(QStringView name) {
    static const QStringView names[] = {u"ind",
                                        u"contextualSpacing",
                                        u"mirrorIndents",
                                        u"suppressOverlap",
                                        u"jc",
                                        u"textDirection",
                                        u"textAlignment",
                                        u"textboxTightWrap",
                                        u"outlineLvl",
                                        u"divId",
                                        u"cnfStyle",
                                        u"rPr",
                                        u"sectPr",
                                        u"pPrChange"};
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

} // namespace

void ParagraphFormat::inherit(const ParagraphFormat& other) {
    if (style.isEmpty())
        style = other.style;
    numId = numId ? numId : other.numId;
    level = level ? level : other.level;
    line = line ? line : other.line;
    lineRule = lineRule ? lineRule : other.lineRule;
    left = left ? left : other.left;
    right = right ? right : other.right;
    firstLine = firstLine ? firstLine : other.firstLine;
}

void readFormat(const QXmlStreamReader& reader, ParagraphFormat* format) {
    if (reader.namespaceUri() != kWordNs)
        return;
    const QStringView name = reader.name();
    const QString value = wordAttribute(reader, QStringLiteral("val"));
    if (name == u"pStyle")
        format->style = value;
    else if (name == u"numId")
        format->numId = value.toInt();
    else if (name == u"ilvl")
        format->level = std::clamp(value.toInt(), 0, 8);
    else if (name == u"spacing")
        readSpacing(reader, format);
    else if (name == u"ind")
        readIndents(reader, format);
}

bool readPlaceProperty(XmlScanner& scanner, const QString& text, bool inNumbering,
                       ParagraphPlace* place) {
    const QXmlStreamReader& reader = scanner.reader();
    readFormat(reader, &place->format);
    if (inNumbering || reader.namespaceUri() != kWordNs)
        return true;
    const QStringView name = reader.name();
    if (name == u"spacing" && place->spacing.start < 0) {
        if (!scanner.startSpan(&place->spacing))
            return false;
        place->spacingTag =
            text.mid(place->spacing.start, place->spacing.startTagEnd - place->spacing.start);
        place->lineName = writtenName(reader, QStringLiteral("line"));
        place->ruleName = writtenName(reader, QStringLiteral("lineRule"));
    }
    if (place->spacingAt < 0 && followsSpacing(name)) {
        ElementSpan tag;
        if (!scanner.startSpan(&tag))
            return false;
        place->spacingAt = tag.start;
    }
    return true;
}

} // namespace docx
