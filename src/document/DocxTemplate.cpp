#include "document/DocxTemplate.h"

#include "document/DocxAppend.h"
#include "document/DocxBody.h"
#include "document/DocxParagraph.h"

#include <QHash>
#include <QRegularExpression>

#include <deque>

namespace docx {

namespace {

// How much of a placeholder's text a message quotes.
constexpr qsizetype kQuoted = 40;

QString quoted(const QString& text) {
    return text.size() > kQuoted ? text.left(kQuoted - 1) + QChar(0x2026) : text;
}

bool isKeyword(QStringView word) {
    return word == u"驻波图" || word.compare(u"VSWR", Qt::CaseInsensitive) == 0;
}

// Where a paragraph's placeholders wait, by the segment they name.
struct Queues {
    QHash<QString, std::deque<int>> named;
    std::deque<int> plain;
};

Queues queuesOf(const DocumentScan& scan) {
    Queues queues;
    for (int i = 0; i < scan.placeholders.size(); ++i) {
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
QStringList duplicateNotices(const DocumentScan& scan, const Queues& queues) {
    QStringList notices;
    for (const Placeholder& placeholder : scan.placeholders) {
        if (placeholder.segment.isEmpty())
            continue;
        const auto count = queues.named.value(segmentKey(placeholder.segment)).size();
        const QString notice =
            QStringLiteral("文档中的占位符“%1”有 %2 个：只有第一个放入测试段“%3”的驻波图，"
                           "其余的保持原样（这个测试段再次保存时才会用到）。")
                .arg(placeholder.text)
                .arg(count)
                .arg(placeholder.segment);
        if (count > 1 && !notices.contains(notice))
            notices.append(notice);
    }
    return notices;
}

int takeFirst(std::deque<int>* queue) {
    const int first = queue->front();
    queue->pop_front();
    return first;
}

} // namespace

std::optional<QString> placeholderSegment(QStringView text) {
    text = text.trimmed();
    if (!text.startsWith(u"{{") || !text.endsWith(u"}}") || text.size() < 4)
        return std::nullopt;
    const QStringView inner = text.mid(2, text.size() - 4);
    qsizetype colon = inner.indexOf(u':');
    const qsizetype wide = inner.indexOf(u'：');
    if (colon < 0 || (wide >= 0 && wide < colon))
        colon = wide;
    if (!isKeyword(inner.left(colon < 0 ? inner.size() : colon).trimmed()))
        return std::nullopt;
    const QStringView segment = colon < 0 ? QStringView() : inner.mid(colon + 1).trimmed();
    if (segment.contains(u"{{") || segment.contains(u"}}"))
        return std::nullopt;
    return segment.toString();
}

bool mentionsPlaceholder(QStringView text) {
    static const QRegularExpression start(QStringLiteral("\\{\\{\\s*(驻波图|VSWR)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return start.match(text).hasMatch();
}

QString segmentKey(QStringView name) {
    return name.toString().normalized(QString::NormalizationForm_KC).simplified().toCaseFolded();
}

PlaceholderVerdict judgePlaceholder(const ScannedParagraph& paragraph) {
    const QString text = paragraph.text.trimmed();
    const std::optional<QString> segment =
        paragraph.textCut ? std::nullopt : placeholderSegment(text);
    if (!segment && !mentionsPlaceholder(text))
        return {};
    if (paragraph.inTextBox)
        return {std::nullopt, QStringLiteral("文档的文本框中有占位符“%1”：文本框中的占位符不会"
                                             "放入驻波图，保持原样。")
                                  .arg(quoted(text))};
    if (!paragraph.hidden.isEmpty())
        return {std::nullopt, QStringLiteral("文档中的占位符“%1”%2，Word 和 LibreOffice 不会在那里"
                                             "显示驻波图：占位符保持原样。")
                                  .arg(quoted(text), paragraph.hidden)};
    if (!segment)
        return {std::nullopt, QStringLiteral("文档中的段落“%1”含有占位符，但还有其他文字："
                                             "占位符必须单独成段，这个段落保持原样。")
                                  .arg(quoted(text))};
    if (!paragraph.simple || paragraph.content.isEmpty())
        return {std::nullopt, QStringLiteral("文档中的占位符“%1”所在的段落还有其他内容（修订、"
                                             "超链接、域、图片等），不能替换，保持原样。")
                                  .arg(quoted(text))};
    return {segment, {}};
}

void Placement::add(const Placement& later) {
    placeholders += later.placeholders;
    bookmark += later.bookmark;
    end += later.end;
    for (const QString& notice : later.notices) {
        if (!notices.contains(notice))
            notices.append(notice);
    }
    unusedSegments = later.unusedSegments;
    unusedPlain = later.unusedPlain;
}

Assignment assign(const DocumentScan& scan, const QList<Picture>& pictures,
                  const QList<QList<int>>& paragraphs) {
    Assignment result;
    result.placeholderParagraph = QList<int>(scan.placeholders.size(), -1);
    Queues queues = queuesOf(scan);
    result.placement.notices = scan.notices + duplicateNotices(scan, queues);
    for (int i = 0; i < paragraphs.size(); ++i) {
        const QList<int>& paragraph = paragraphs.at(i);
        const bool plot = i + 1 < paragraphs.size() && !paragraph.isEmpty();
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
        if (result.placeholderParagraph.at(i) >= 0)
            continue;
        if (segment.isEmpty())
            ++result.placement.unusedPlain;
        else
            result.placement.unusedSegments.append(segment);
    }
    return result;
}

} // namespace docx
