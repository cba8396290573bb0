#pragma once

#include "document/DocxNotices.h"

#include "document/DocxParagraph.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <optional>
#include <utility>

// The bookmark "veltrace", followed through one pass over the main part:
// which paragraph it marks, whether it marks that paragraph alone, and the
// pictures and placeholders that already follow it.
namespace docx {

// Where the bookmark "veltrace" puts pictures: after the paragraph it marks,
// behind the pictures put there before.
struct BookmarkPoint {
    qsizetype after = -1; // the end of the bookmarked paragraph
    // The paragraphs that directly follow it while they are pictures of this
    // program (-1) or placeholders (their index), with their ends.
    QList<std::pair<qsizetype, int>> followers;
    double cellWidth = -1;
    int section = 0;
    QList<Edit> rows; // the exact heights of the table rows around, made minimums
};

class BookmarkTracker {
public:
    // A bookmarkStart or bookmarkEnd; open is the innermost open paragraph,
    // if any. A notice goes to notices once.
    void start(const QXmlStreamReader& reader, const ScannedParagraph* open, Notices* notices);
    void end(const QXmlStreamReader& reader, const ScannedParagraph* open);
    // What starts after the marked paragraph tells whether the bookmark
    // spans more than it.
    void runStarted();
    void paragraphStarted(int serial);
    void tableStarted(int parentSerial);
    void elementEnded(int serial);
    // placeholder: the paragraph's index among the placeholders, or -1.
    void paragraphEnded(const ScannedParagraph& paragraph, int placeholder);
    // The point after the whole scan, or nothing (and a notice why).
    std::optional<BookmarkPoint> finish(Notices* notices);

private:
    enum State { None, Waiting, Open, Placed };
    void follow(const ScannedParagraph& paragraph, int placeholder);
    bool counting() const { return m_state == Placed && !m_ended; }

    State m_state = None;
    QString m_id;
    int m_paragraph = -1; // the serial of the paragraph it marks
    bool m_ended = false; // its end was seen
    // Paragraphs, tables and runs started since its paragraph (or the
    // pictures after it) ended; 2 when its table cell ended.
    int m_contentSince = 0;
    bool m_following = false;
    int m_followParent = -1;
    BookmarkPoint m_point;
    QString m_problem;
};

} // namespace docx
