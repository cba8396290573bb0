#include "document/DocxTemplate.h"

#include "document/DocxBody.h"
#include "document/DocxPicture.h"

#include <QHash>

#include <deque>

namespace docx {

namespace {

// Where a paragraph's placeholders wait, by the segment they name.
struct Queues {
    QHash<QString, std::deque<int>> named;
    std::deque<int> plain;
};

Queues queuesOf(const DocumentScan& scan, const QSet<int>& skipped) {
    Queues queues;
    for (int i = 0; i < scan.placeholders.size(); ++i) {
        if (skipped.contains(i))
            continue;
        const QString& segment = scan.placeholders.at(i).segment;
        if (segment.isEmpty())
            queues.plain.push_back(i);
        else
            queues.named[segmentKey(segment)].push_back(i);
    }
    return queues;
}

// Two placeholders naming one segment: the first takes its plot, a later one
// only a later plot of that segment.
Notices duplicateNotices(const Queues& queues, const DocumentScan& scan) {
    Notices notices;
    for (const std::deque<int>& queue : queues.named)
        if (queue.size() > 1)
            notices.add(Notices::Kind::Duplicate, scan.placeholders.at(queue.front()).segment);
    return notices;
}

int takeFirst(std::deque<int>* queue) {
    const int first = queue->front();
    queue->pop_front();
    return first;
}

} // namespace

void Placement::add(const Placement& later) {
    placeholders += later.placeholders;
    bookmark += later.bookmark;
    end += later.end;
    notices.add(later.notices);
    fill += later.fill;
    unusedSegments = later.unusedSegments;
    unusedPlain = later.unusedPlain;
}

Assignment assign(const DocumentScan& scan, const QList<Picture>& pictures,
                  const QList<QList<int>>& paragraphs, const QSet<int>& taken,
                  const QSet<int>& skipped) {
    Assignment result;
    result.placeholderParagraph = QList<int>(scan.placeholders.size(), -1);
    Queues queues = queuesOf(scan, skipped);
    result.placement.notices = scan.notices;
    result.placement.notices.add(duplicateNotices(queues, scan));
    for (int i = 0; i < paragraphs.size(); ++i) {
        const QList<int>& paragraph = paragraphs.at(i);
        const bool plot = i + 1 < paragraphs.size() && !paragraph.isEmpty();
        if (taken.contains(i))
            continue;
        if (!plot) {
            result.endParagraphs.append(i);
            continue;
        }
        auto named = queues.named.find(segmentKey(pictures.at(paragraph.first()).segmentName));
        if (named != queues.named.end() && !named->empty()) {
            result.placeholderParagraph[takeFirst(&*named)] = i;
            ++result.placement.placeholders;
        } else if (!queues.plain.empty()) {
            result.placeholderParagraph[takeFirst(&queues.plain)] = i;
            ++result.placement.placeholders;
        } else if (scan.bookmark) {
            result.bookmarkParagraphs.append(i);
            ++result.placement.bookmark;
        } else {
            result.endParagraphs.append(i);
            ++result.placement.end;
        }
    }
    for (int i = 0; i < scan.placeholders.size(); ++i) {
        const QString& segment = scan.placeholders.at(i).segment;
        if (result.placeholderParagraph.at(i) >= 0 || skipped.contains(i))
            continue;
        if (segment.isEmpty())
            ++result.placement.unusedPlain;
        else
            result.placement.unusedSegments.append(segment);
    }
    return result;
}

} // namespace docx
