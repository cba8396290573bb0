#include "document/DocxBookmark.h"

#include "document/DocxXml.h"

#include <QCoreApplication>

namespace docx {

namespace {

const QString kBookmarkName = QStringLiteral("veltrace");
QString spans() {
    return QCoreApplication::translate("document", "跨越了多个段落或表格，只能标记一个段落");
}

} // namespace

void BookmarkTracker::start(const QXmlStreamReader& reader, const ScannedParagraph* open,
                            Notices* notices) {
    if (wordAttribute(reader, QStringLiteral("name")).compare(kBookmarkName, Qt::CaseInsensitive) !=
        0)
        return;
    if (m_state != None) {
        if (notices->count(Notices::Kind::SecondBookmark) == 0)
            notices->add(Notices::Kind::SecondBookmark);
        return;
    }
    m_id = wordAttribute(reader, QStringLiteral("id"));
    if (reader.attributes().hasAttribute(QString(kWordNs), QStringLiteral("colFirst")))
        m_problem = QCoreApplication::translate("document", "标记的是表格中的列，不是一个段落");
    m_state = open ? Open : Waiting;
    if (open)
        m_paragraph = open->serial;
}

// The bookmark's end must lie in its paragraph or right after it (Word ends
// a bookmark of a whole paragraph at the start of the next one).
void BookmarkTracker::end(const QXmlStreamReader& reader, const ScannedParagraph* open) {
    if (m_state == None || m_ended || wordAttribute(reader, QStringLiteral("id")) != m_id)
        return;
    m_ended = true;
    if (m_state != Placed || m_contentSince == 0)
        return;
    const bool nextParagraphStarts =
        m_contentSince == 1 && open && open->runs == 0 && open->parentSerial == m_followParent;
    if (!nextParagraphStarts && m_problem.isEmpty())
        m_problem = spans();
}

void BookmarkTracker::runStarted() {
    if (counting())
        ++m_contentSince;
}

void BookmarkTracker::paragraphStarted(int serial) {
    if (counting())
        ++m_contentSince;
    if (m_state == Waiting) {
        m_state = Open;
        m_paragraph = serial;
    }
}

void BookmarkTracker::tableStarted(int parentSerial) {
    if (counting())
        ++m_contentSince;
    if (m_state == Waiting && m_problem.isEmpty())
        m_problem = spans();
    if (m_following && parentSerial == m_followParent)
        m_following = false;
}

void BookmarkTracker::elementEnded(int serial) {
    if (m_state != Placed || serial != m_followParent)
        return;
    m_following = false;
    // Its paragraph's table cell (or the body) ends before the bookmark.
    if (!m_ended)
        m_contentSince = 2;
}

void BookmarkTracker::paragraphEnded(const ScannedParagraph& paragraph, int placeholder) {
    if (m_state == Open && m_paragraph == paragraph.serial) {
        m_state = Placed;
        if (paragraph.inTextBox)
            m_problem = QCoreApplication::translate("document", "位于文本框中");
        else if (!paragraph.hidden.isEmpty())
            m_problem = paragraph.hidden;
        else if (paragraph.scopeDeclares)
            m_problem = QCoreApplication::translate(
                "document", "所在的表格或内容控件声明了自己的 XML 命名空间");
        m_point.after = paragraph.span.end;
        m_point.cellWidth = paragraph.place.cellWidth;
        m_point.section = paragraph.place.section + (paragraph.endsSection ? 1 : 0);
        m_point.rows = paragraph.place.rows;
        m_following = true;
        m_followParent = paragraph.parentSerial;
        return;
    }
    if (m_following && paragraph.parentSerial == m_followParent)
        follow(paragraph, placeholder);
}

// The pictures put after the bookmark before, and placeholders right after
// it, are passed over: new pictures go behind them.
void BookmarkTracker::follow(const ScannedParagraph& paragraph, int placeholder) {
    const bool own = paragraph.ownPictures > 0 && paragraph.text.trimmed().isEmpty();
    if (!own && placeholder < 0) {
        m_following = false;
        return;
    }
    m_point.followers.append({paragraph.span.end, own ? -1 : placeholder});
    // A bookmark Word ends at the start of the paragraph after its own ends
    // there still once pictures stand between them.
    if (!m_ended)
        m_contentSince = 0;
}

std::optional<BookmarkPoint> BookmarkTracker::finish(Notices* notices) {
    if (m_state == None)
        return std::nullopt;
    if (m_state != Placed && m_problem.isEmpty())
        m_problem = QCoreApplication::translate("document", "后面没有可以标记的段落");
    if (m_problem.isEmpty())
        return m_point;
    notices->add(Notices::Kind::BookmarkUnusable, m_problem);
    return std::nullopt;
}

} // namespace docx
