#include "batch/BatchReport.h"

#include <algorithm>

void BatchProblems::add(int sheetRow, const QString& segment, const QString& description) {
    if (m_entries.isEmpty() || m_entries.last().sheetRow != sheetRow)
        m_entries.append({sheetRow, segment, {}});
    QStringList& descriptions = m_entries.last().descriptions;
    if (!descriptions.contains(description))
        descriptions.append(description);
}

int BatchProblems::rowCount() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const Entry& entry) { return entry.sheetRow > 0; }));
}

QStringList BatchProblems::lines() const {
    QStringList result;
    for (const Entry& entry : m_entries) {
        const QString where =
            entry.sheetRow > 0
                ? QStringLiteral("第%1行（%2）").arg(entry.sheetRow).arg(entry.segment)
                : QStringLiteral("文档");
        result.append(where + QStringLiteral("：") + entry.descriptions.join(QStringLiteral("；")));
    }
    return result;
}

namespace {

QString outcomeLine(const BatchSummary& summary) {
    if (!summary.abortCause.isEmpty())
        return QStringLiteral("已中止：处理了%1/%2行").arg(summary.processed).arg(summary.total);
    if (summary.stopped)
        return QStringLiteral("已停止：处理了%1/%2行").arg(summary.processed).arg(summary.total);
    return QStringLiteral("处理完成！");
}

QString countLine(const BatchSummary& summary) {
    if (summary.unwritten > 0)
        return QStringLiteral("生成%1条驻波，%2条未写入文档！")
            .arg(summary.processed)
            .arg(summary.unwritten);
    return QStringLiteral("本次共生成%1条驻波！").arg(summary.processed);
}

} // namespace

QString batchreport::label(const BatchSummary& summary, const QString& now) {
    QString text = outcomeLine(summary) + QStringLiteral("\r\n") + countLine(summary) +
                   QStringLiteral("\r\n") + now;
    if (summary.problems.rowCount() > 0)
        text += QStringLiteral("\r\n%1行数据有问题").arg(summary.problems.rowCount());
    return text;
}

QString batchreport::placesLine(const PicturePlaces& places) {
    QString line = QStringLiteral("其中%1张放入占位符，").arg(places.placeholders);
    if (places.bookmark > 0)
        line += QStringLiteral("%1张放在书签“veltrace”之后，").arg(places.bookmark);
    return line + QStringLiteral("%1张追加到文末").arg(places.end);
}

bool batchreport::isWarning(const BatchSummary& summary) {
    return summary.unwritten > 0 || !summary.abortCause.isEmpty();
}

QString batchreport::message(const BatchSummary& summary, const QString& target, const QString& now,
                             const QString& pendingHint) {
    QString text;
    if (!summary.abortCause.isEmpty())
        text = QStringLiteral("批处理已中止：处理了 %1/%2 行，本次共生成%1条驻波。\r\n原因：%3")
                   .arg(summary.processed)
                   .arg(summary.total)
                   .arg(summary.abortCause);
    else if (summary.stopped)
        text = QStringLiteral("批处理已停止：处理了 %1/%2 行，本次共生成%1条驻波！")
                   .arg(summary.processed)
                   .arg(summary.total);
    else if (summary.unwritten > 0)
        text = QStringLiteral("驻波图已生成，但没有全部写入文档！本次共生成%1条驻波！")
                   .arg(summary.processed);
    else
        text =
            QStringLiteral("已完成所有驻波图的生成！本次共生成%1条驻波！").arg(summary.processed);
    text += QStringLiteral("\r\n驻波图保存位置：") + target + QStringLiteral("\r\n") + now;
    if (summary.places.total() > 0)
        text += QStringLiteral("\r\n") + placesLine(summary.places);
    if (summary.unwritten > 0) {
        text += QStringLiteral("\r\n已写入文档%1条，尚未写入%2条")
                    .arg(summary.processed - summary.unwritten)
                    .arg(summary.unwritten);
        if (!summary.writeFailure.isEmpty())
            text += QStringLiteral("，原因：") + summary.writeFailure;
        text += QStringLiteral("\r\n") + pendingHint;
    }
    for (const QString& notice : summary.templateNotices)
        text += QStringLiteral("\r\n") + notice;
    // Problems of the document itself are few: they are said in full.
    for (const BatchProblems::Entry& entry : summary.problems.entries()) {
        for (const QString& description : entry.descriptions) {
            if (entry.sheetRow == 0 && description != summary.writeFailure)
                text += QStringLiteral("\r\n") + description;
        }
    }
    if (summary.problems.rowCount() > 0)
        text +=
            QStringLiteral("\r\n有%1行数据有问题，详见详细信息。").arg(summary.problems.rowCount());
    return text;
}
