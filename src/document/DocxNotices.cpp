#include "document/DocxNotices.h"

#include "common/ShortText.h"

#include <algorithm>

#include <QCoreApplication>

namespace docx {

namespace {

// The sentence of a kind: %1 is how many, %2 the examples.
QString sentence(Notices::Kind kind) {
    using Kind = Notices::Kind;
    switch (kind) {
    case Kind::InTextBox:
        return QCoreApplication::translate(
            "document", "文档的文本框中有 %1 个占位符（%2）：文本框中的占位符不会放入驻波图，"
                        "保持原样。");
    case Kind::Hidden:
        return QCoreApplication::translate(
            "document", "文档中有 %1 个占位符在 Word 和 LibreOffice 不显示图片的地方（%2）："
                        "占位符保持原样。");
    case Kind::WithOtherText:
        return QCoreApplication::translate(
            "document", "文档中有 %1 个段落含有占位符，但还有其他文字（%2）：占位符必须单独"
                        "成段，这些段落保持原样。");
    case Kind::WithOtherContent:
        return QCoreApplication::translate(
            "document", "文档中有 %1 个占位符所在的段落还有其他内容（修订、超链接、域、图片等）"
                        "（%2），不能替换，保持原样。");
    case Kind::Duplicate:
        return QCoreApplication::translate(
            "document", "文档中有 %1 个测试段的占位符不止一个（%2）：只有第一个放入这个测试段的"
                        "驻波图，其余的保持原样（这个测试段再次保存时才会用到）。");
    case Kind::InHeaderOrFooter:
        return QCoreApplication::translate(
            "document", "文档的页眉或页脚中有占位符：驻波图只放到正文中的占位符处，"
                        "页眉和页脚中的占位符保持原样。");
    case Kind::SecondBookmark:
        return QCoreApplication::translate("document",
                                           "文档中有多个名为“veltrace”的书签：只使用第一个。");
    case Kind::BookmarkUnusable:
        return QCoreApplication::translate(
            "document", "文档中的书签“veltrace”%2：不按书签放置驻波图，改为放到占位符处或"
                        "文档末尾。");
    case Kind::PartsLeftOut:
        return QCoreApplication::translate(
            "document", "文档的 %1 个部件没有读取（%2；无法读取，或样式、编号、页眉、页脚、"
                        "脚注和尾注合计超过限度）：其中的占位符、图片编号和段落格式没有核对。");
    case Kind::UnusedSegment:
        return QCoreApplication::translate(
            "document", "文档中为 %1 个测试段留的占位符没有用上（%2）：本次处理的数据中没有"
                        "这些测试段，占位符保持原样。");
    case Kind::UnusedPlain:
        return QCoreApplication::translate(
            "document", "文档中还有 %1 个不指定测试段的占位符没有用上，保持原样。");
    case Kind::SectionMarkers:
        return QCoreApplication::translate(
            "document", "文档中有 %1 个每段重复的标记不能配对使用（%2）：这些标记和它们"
                        "之间的内容保持原样。");
    case Kind::DocumentLimit:
        return QCoreApplication::translate(
            "document", "文档中写明的驻波比上限与设置的不同（%2）：按文档中的上限判定"
                        "结论。");
    }
    return {};
}

} // namespace

Notices::Entry& Notices::entry(Kind kind) {
    if (!m_entries.contains(kind))
        m_order.append(kind);
    return m_entries[kind];
}

void Notices::add(Kind kind, const QString& example) {
    Entry& found = entry(kind);
    if (example.isEmpty()) {
        ++found.count;
        return;
    }
    const QString shortened = shorttext::cut(example, kExampleLength);
    if (found.seen.contains(shortened))
        return;
    found.seen.insert(shortened);
    ++found.count;
    if (found.examples.size() < kExamples)
        found.examples.append(shortened);
}

void Notices::addCount(Kind kind, int count) {
    if (count > 0)
        entry(kind).count += count;
}

void Notices::add(const Notices& other) {
    for (const Kind kind : other.m_order) {
        const Entry& theirs = other.m_entries.value(kind);
        if (theirs.seen.isEmpty()) {
            Entry& ours = entry(kind);
            ours.count = std::max(ours.count, theirs.count);
            continue;
        }
        // The examples shown first stay first.
        for (const QString& example : theirs.examples)
            add(kind, example);
        for (const QString& example : theirs.seen)
            add(kind, example);
    }
}

QString Notices::line(Kind kind) const {
    const Entry found = m_entries.value(kind);
    QString examples;
    for (const QString& example : found.examples)
        examples +=
            (examples.isEmpty() ? QString() : QCoreApplication::translate("document", "、")) +
            QStringLiteral("“%1”").arg(example);
    if (found.count > found.examples.size() && !found.examples.isEmpty())
        examples += QCoreApplication::translate("document", "等");
    // Replaced in turn: an example may hold anything, a percent sign too.
    return sentence(kind)
        .replace(QStringLiteral("%1"), QString::number(found.count))
        .replace(QStringLiteral("%2"), examples);
}

QStringList Notices::lines() const {
    QStringList result;
    for (const Kind kind : m_order)
        result.append(line(kind));
    return result;
}

} // namespace docx
