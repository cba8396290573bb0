#include "document/DocxTemplateScan.h"

#include "document/DocxParagraph.h"
#include "document/DocxPicture.h"
#include "document/DocxPlaceholders.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <algorithm>

namespace docx {

namespace {

bool startsBefore(const ElementSpan& a, const ElementSpan& b) {
    return a.start < b.start;
}

} // namespace

QString pictureName(const QString& segmentName) {
    // A name from a workbook cell may be megabytes long: a long one is told
    // by its start and a digest of the whole.
    constexpr qsizetype kLongest = 120;
    QString key = segmentKey(segmentName);
    if (key.size() > kLongest)
        key = key.left(kLongest - 41) + u'#' +
              QString::fromLatin1(
                  QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex());
    return QStringLiteral("Veltrace ") + key;
}

void TemplateTracker::rowStarted() {
    m_rows.append(OpenRow());
    m_scanner.startSpan(&m_rows.last().span);
}

void TemplateTracker::rowEnded() {
    if (m_rows.isEmpty())
        return;
    OpenRow row = m_rows.takeLast();
    if (m_scanner.endSpan(&row.span) && row.rowFields)
        m_scan.rows.append(row.span);
}

void TemplateTracker::paragraphEnded(const ScannedParagraph& paragraph, bool inCell) {
    LastBlock block{true, -1};
    if (!paragraph.textCut && mentionsField(paragraph.text)) {
        if (const auto kind = sectionMarker(paragraph.text)) {
            marker(paragraph, *kind == FieldName::SectionStart, inCell);
            block.marker = int(m_markers.size()) - 1;
        } else {
            FieldParagraphSpan found{paragraph.span, {}, false};
            for (const FoundField& field : findFields(paragraph.text)) {
                if (field.name.kind == FieldName::SectionStart ||
                    field.name.kind == FieldName::SectionEnd) {
                    m_markers.append(
                        {paragraph.span, false, paragraph.parentSerial,
                         QCoreApplication::translate("document", "与其他文字同在一段")});
                    continue;
                }
                found.rowFields = found.rowFields || field.name.kind == FieldName::Row;
                found.fields.append(field);
            }
            if (found.rowFields && !m_rows.isEmpty())
                m_rows.last().rowFields = true;
            if (!found.fields.isEmpty())
                m_scan.fields.append(found);
        }
    }
    m_lastBlocks.insert(paragraph.parentSerial, block);
}

// A marker's section needs content before its end marker, and one in a table
// cell a paragraph there (a cell ends with one).
void TemplateTracker::marker(const ScannedParagraph& paragraph, bool start, bool inCell) {
    Marker found{paragraph.span, start, paragraph.parentSerial, {}};
    if (paragraph.endsSection)
        found.problem = QCoreApplication::translate("document", "所在段落带有分节符");
    if (!start) {
        const LastBlock before = m_lastBlocks.value(paragraph.parentSerial);
        if (before.marker >= 0 && m_markers.at(before.marker).start)
            found.problem = QCoreApplication::translate("document", "两个标记之间没有内容");
        else if (inCell && !before.paragraph)
            found.problem = QCoreApplication::translate("document", "单元格中的结束标记前不是段落");
    }
    m_markers.append(found);
}

void TemplateTracker::tableEnded(int parentSerial) {
    m_lastBlocks.insert(parentSerial, {false, -1});
}

void TemplateTracker::drawingElement(const QXmlStreamReader& reader) {
    if (reader.name() == u"docPr" && reader.namespaceUri() == kWpNs) {
        const QXmlStreamAttributes attributes = reader.attributes();
        const QStringView name = attributes.value(QStringLiteral("name"));
        m_ownDrawing = -1;
        if (name.startsWith(u"Veltrace ") &&
            attributes.value(QStringLiteral("descr")).endsWith(pictureMark())) {
            m_ownDrawing = int(m_scan.ownDrawings.size());
            m_scan.ownDrawings.append({name.toString(), {}, {}});
        }
    } else if (reader.name() == u"blip" && reader.namespaceUri() == kDrawingNs) {
        const QString embed =
            reader.attributes().value(QString(kRelNs), QStringLiteral("embed")).toString();
        if (embed.isEmpty())
            return;
        ++m_scan.embedUses[embed];
        if (m_ownDrawing >= 0 && m_scan.ownDrawings[m_ownDrawing].embed.isEmpty()) {
            OwnDrawing& own = m_scan.ownDrawings[m_ownDrawing];
            own.embed = embed;
            m_scanner.startSpan(&own.blip);
        }
        m_ownDrawing = -1;
    }
}

// A start marker and the next marker, an end marker beside it, make a
// section; markers nested or alone are left, with the notice why.
void TemplateTracker::finish(TemplateScan* scan, Notices* notices) {
    const auto refuse = [&](const Marker& marker, const QString& why) {
        notices->add(Notices::Kind::SectionMarkers,
                     (marker.start ? QStringLiteral("{{#每段}}") : QStringLiteral("{{/每段}}")) +
                         QCoreApplication::translate("document", "：") +
                         (marker.problem.isEmpty() ? why : marker.problem));
    };
    for (qsizetype i = 0; i < m_markers.size();) {
        if (!m_markers.at(i).start) {
            refuse(m_markers.at(i++),
                   QCoreApplication::translate("document", "前面没有对应的开始标记"));
            continue;
        }
        qsizetype end = i + 1;
        for (int depth = 1; end < m_markers.size() && depth > 0; ++end)
            depth += m_markers.at(end).start ? 1 : -1;
        const Marker& first = m_markers.at(i);
        const Marker& last = m_markers.at(end - 1);
        if (end - i == 2 && !last.start && first.parent == last.parent && first.problem.isEmpty() &&
            last.problem.isEmpty()) {
            m_scan.sections.append({first.span, last.span});
        } else {
            const QString why =
                end - i == 1 ? QCoreApplication::translate("document", "后面没有对应的结束标记")
                : end - i > 2 ? QCoreApplication::translate("document", "标记相互嵌套")
                : last.start ? QCoreApplication::translate("document", "后面没有对应的结束标记")
                : first.parent != last.parent
                    ? QCoreApplication::translate("document",
                                                  "开始和结束标记不在同一处（正文或同一单元格）")
                    : QString();
            for (qsizetype m = i; m < end; ++m)
                refuse(m_markers.at(m), why);
        }
        i = end;
    }
    std::sort(m_scan.rows.begin(), m_scan.rows.end(), startsBefore);
    std::sort(m_scan.fields.begin(), m_scan.fields.end(),
              [](const auto& a, const auto& b) { return a.span.start < b.span.start; });
    *scan = std::move(m_scan);
}

} // namespace docx
