#include "document/DocxPictureRun.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace docx {

namespace {

// Whether elements can be named with the prefix. Qt's reader lets some
// malformed prefixes pass in a namespace declaration (a control character,
// say) that it refuses in an element's name, so the reader itself is asked.
bool namesElements(const QString& prefix) {
    QXmlStreamReader reader(QStringLiteral("<%1:x xmlns:%1=\"urn:x\"/>").arg(prefix));
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

// A prefix bound to uri inside the body; when there is none that can name
// elements, a free one that is declared on the root element.
QString prefixFor(const DocumentScan& scan, QLatin1String uri, const QString& preferred,
                  QList<std::pair<QString, QString>>* declarations) {
    if (scan.namespaces.value(preferred) == uri)
        return preferred;
    for (auto it = scan.namespaces.cbegin(); it != scan.namespaces.cend(); ++it) {
        if (!it.key().isEmpty() && it.value() == uri && namesElements(it.key()))
            return it.key();
    }
    QString candidate = preferred;
    for (int n = 1; scan.namespaces.contains(candidate); ++n)
        candidate = preferred + QString::number(n);
    declarations->append({candidate, uri});
    return candidate;
}

} // namespace

Prefixes prefixesFor(const DocumentScan& scan, QList<std::pair<QString, QString>>* declarations) {
    Prefixes prefixes;
    prefixes.w = scan.wordPrefix;
    prefixes.wp = prefixFor(scan, kWpNs, QStringLiteral("wp"), declarations);
    prefixes.a = prefixFor(scan, kDrawingNs, QStringLiteral("a"), declarations);
    prefixes.pic = prefixFor(scan, kPictureNs, QStringLiteral("pic"), declarations);
    prefixes.r = prefixFor(scan, kRelNs, QStringLiteral("r"), declarations);
    return prefixes;
}

PictureRunWriter::PictureRunWriter(const Prefixes& p) {
    // %1..%5: prefixes with their colon; %6 id, %7 %8 size, %9
    // alternative text, %10 media file name, %11 relationship id, %12 name.
    static const QString kRun = QStringLiteral(
        "<%1r><%1drawing><%2inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
        "<%2extent cx=\"%7\" cy=\"%8\"/><%2effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/>"
        "<%2docPr id=\"%6\" name=\"%12\" descr=\"%9\"/>"
        "<%2cNvGraphicFramePr><%3graphicFrameLocks noChangeAspect=\"1\"/>"
        "</%2cNvGraphicFramePr><%3graphic>"
        "<%3graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
        "<%4pic><%4nvPicPr><%4cNvPr id=\"%6\" name=\"%10\" descr=\"%9\"/>"
        "<%4cNvPicPr><%3picLocks noChangeAspect=\"1\"/></%4cNvPicPr></%4nvPicPr>"
        "<%4blipFill><%3blip %5embed=\"%11\"/><%3stretch><%3fillRect/></%3stretch>"
        "</%4blipFill><%4spPr><%3xfrm><%3off x=\"0\" y=\"0\"/>"
        "<%3ext cx=\"%7\" cy=\"%8\"/></%3xfrm><%3prstGeom prst=\"rect\"><%3avLst/>"
        "</%3prstGeom></%4spPr></%4pic></%3graphicData></%3graphic></%2inline>"
        "</%1drawing></%1r>");
    const QString prefixes[] = {p.w, p.wp, p.a, p.pic, p.r};
    QString literal;
    for (qsizetype i = 0; i < kRun.size(); ++i) {
        if (kRun.at(i) != u'%') {
            literal += kRun.at(i);
            continue;
        }
        int number = kRun.at(++i).digitValue();
        if (i + 1 < kRun.size() && kRun.at(i + 1).isDigit())
            number = number * 10 + kRun.at(++i).digitValue();
        if (number <= 5) {
            const QString& prefix = prefixes[number - 1];
            if (!prefix.isEmpty())
                literal += prefix + QLatin1Char(':');
            continue;
        }
        m_pieces.append({literal, number});
        literal.clear();
    }
    m_pieces.append({literal, 0});
}

void PictureRunWriter::write(const PlacedPicture& picture, QString* out) const {
    const QString values[] = {QString::number(picture.id), QString::number(picture.cx),
                              QString::number(picture.cy), escapeXml(picture.description),
                              escapeXml(picture.fileName), escapeXml(picture.relationshipId),
                              escapeXml(picture.name)};
    for (const Piece& piece : m_pieces) {
        *out += piece.literal;
        if (piece.value >= 6)
            *out += values[piece.value - 6];
    }
}

IdAllocator::IdAllocator(const QSet<quint32>& used) : m_used(used) {
    for (quint32 id : used)
        m_next = std::max<quint64>(m_next, quint64(id) + 1);
}

quint32 IdAllocator::next() {
    while (m_next > 0xFFFFFFFFu || m_used.contains(static_cast<quint32>(m_next)))
        m_next = m_next > 0xFFFFFFFFu ? 1 : m_next + 1;
    m_used.insert(static_cast<quint32>(m_next));
    return static_cast<quint32>(m_next++);
}

} // namespace docx
