#include "batch/BatchReport.h"

#include "common/ShortText.h"

#include <algorithm>

#include <QCoreApplication>

namespace {

using batchrow::CellFault;

// What each column holds, as the fields call it.
const char* const kColumnCaptions[] = {
    QT_TRANSLATE_NOOP("batch", "测试段"), QT_TRANSLATE_NOOP("batch", "驻波比"),
    QT_TRANSLATE_NOOP("batch", "馈线长（0.110dB/m）"),
    QT_TRANSLATE_NOOP("batch", "馈线长（0.070dB/m）"), QT_TRANSLATE_NOOP("batch", "测试时间")};
const char* const kCarriedCaptions[] = {
    QT_TRANSLATE_NOOP("batch", "测试段"), QT_TRANSLATE_NOOP("batch", "驻波比"),
    QT_TRANSLATE_NOOP("batch", "馈线长"), QT_TRANSLATE_NOOP("batch", "馈线长"),
    QT_TRANSLATE_NOOP("batch", "测试时间")};

QString quotedCell(const QString& text) {
    return QCoreApplication::translate("batch", "“%1”").arg(shorttext::cut(text, 40));
}

QString faultText(const CellFault& fault) {
    const QString column = batchreport::columnName(fault.column);
    switch (fault.cause) {
    case CellFault::Cause::Empty:
        return column + QCoreApplication::translate("batch", "为空");
    case CellFault::Cause::NoLength:
        return QCoreApplication::translate("batch", "C列和D列（馈线长）都为空");
    case CellFault::Cause::NotANumber:
        return column + quotedCell(fault.text) + QCoreApplication::translate("batch", "不是数字");
    case CellFault::Cause::TooLarge:
        return column + quotedCell(fault.text) +
               QCoreApplication::translate("batch", "超出数值范围");
    case CellFault::Cause::BelowOne:
        return column + quotedCell(fault.text) + QCoreApplication::translate("batch", "小于1");
    case CellFault::Cause::NotPositive:
        return column + quotedCell(fault.text) + QCoreApplication::translate("batch", "不大于0");
    }
    return column;
}

QString rowName(const RowReport& report) {
    const QString row = QCoreApplication::translate("batch", "第%1行").arg(report.sheetRow);
    return report.segment.isEmpty() ? row
                                    : row + QCoreApplication::translate("batch", "（%1）")
                                                .arg(shorttext::cut(report.segment, 60));
}

QString refusedLine(const RowReport& report) {
    QStringList causes;
    for (const CellFault& fault : report.faults)
        causes.append(faultText(fault));
    if (!report.failure.isEmpty())
        causes.append(report.failure);
    return rowName(report) + QCoreApplication::translate("batch", "：") +
           causes.join(QCoreApplication::translate("batch", "；")) +
           QCoreApplication::translate("batch", "，该行未生成驻波图");
}

QString carriedLine(const RowReport& report) {
    QStringList values;
    for (const batchrow::Carried& carried : report.carried)
        values.append(
            QCoreApplication::translate("batch", "%1为空，沿用上一行的 %2")
                .arg(QCoreApplication::translate("batch", kCarriedCaptions[carried.column]),
                     shorttext::cut(carried.value, 60)));
    return QCoreApplication::translate("batch", "第%1行 ").arg(report.sheetRow) +
           values.join(QCoreApplication::translate("batch", "；"));
}

QString headline(const BatchSummary& summary) {
    if (!summary.readFailure.isEmpty())
        return QCoreApplication::translate(
            "batch", "未能读取工作簿，本次共生成0条驻波。原因见随后的错误报告。");
    if (!summary.abortCause.isEmpty())
        return QCoreApplication::translate(
                   "batch", "批处理已中止：处理了 %1/%2 行，本次共生成%3条驻波。\r\n原因：%4")
            .arg(summary.read)
            .arg(summary.total)
            .arg(summary.plotted)
            .arg(summary.abortCause);
    if (summary.stopped)
        return QCoreApplication::translate("batch",
                                           "批处理已停止：处理了 %1/%2 行，本次共生成%3条驻波！")
            .arg(summary.read)
            .arg(summary.total)
            .arg(summary.plotted);
    if (!summary.complete())
        return QCoreApplication::translate(
                   "batch", "批处理已完成，但并非每一行都生成并写入了驻波图！本次共生成%1条驻波。")
            .arg(summary.plotted);
    return QCoreApplication::translate("batch", "已完成所有驻波图的生成！本次共生成%1条驻波！")
        .arg(summary.plotted);
}

} // namespace

QString batchreport::columnName(int column) {
    return QCoreApplication::translate("batch", "%1列（%2）")
        .arg(QChar(u'A' + column))
        .arg(QCoreApplication::translate("batch", kColumnCaptions[column]));
}

QString batchreport::line(const RowReport& report) {
    switch (report.kind) {
    case RowReport::Kind::Refused:
        return refusedLine(report);
    case RowReport::Kind::Skipped:
        if (report.lastSheetRow > report.sheetRow)
            return QCoreApplication::translate("batch", "第%1–%2行：空行，已跳过")
                .arg(report.sheetRow)
                .arg(report.lastSheetRow);
        return QCoreApplication::translate("batch", "第%1行：空行，已跳过").arg(report.sheetRow);
    case RowReport::Kind::Carried:
        return carriedLine(report);
    }
    return {};
}

QStringList batchreport::lines(const BatchSummary& summary) {
    QStringList result;
    for (const RowReport& report : summary.rows)
        result.append(line(report));
    return result + summary.problems;
}

QString batchreport::refusalMessage(const RowReport& report) {
    const bool notANumber =
        std::any_of(report.faults.begin(), report.faults.end(), [](const CellFault& fault) {
            return fault.cause == CellFault::Cause::NotANumber;
        });
    const QString line = refusedLine(report) + QCoreApplication::translate("batch", "。");
    return notANumber
               ? QCoreApplication::translate("batch", "您的输入有错！请输入纯数字数据！\r\n") + line
               : line;
}

QString batchreport::countsLine(const BatchSummary& summary) {
    QString text = QCoreApplication::translate("batch", "读取%1行：生成%2条驻波")
                       .arg(summary.read)
                       .arg(summary.plotted);
    if (summary.refused > 0)
        text += QCoreApplication::translate("batch", "，%1行未生成").arg(summary.refused);
    if (summary.skipped > 0)
        text += QCoreApplication::translate("batch", "，跳过空行%1行").arg(summary.skipped);
    if (summary.carried > 0)
        text += QCoreApplication::translate("batch", "，%1行沿用了上一行的值").arg(summary.carried);
    text += QCoreApplication::translate("batch", "；已写入文档%1条").arg(summary.written);
    if (summary.unwritten() > 0)
        text += QCoreApplication::translate("batch", "，尚未写入%1条").arg(summary.unwritten());
    if (summary.earlierWritten > 0)
        text += QCoreApplication::translate("batch", "（另有此前保存的%1条一并写入）")
                    .arg(summary.earlierWritten);
    return text + QCoreApplication::translate("batch", "。");
}

QString batchreport::label(const BatchSummary& summary, const QString& now) {
    QString outcome = QCoreApplication::translate("batch", "处理完成！");
    if (!summary.abortCause.isEmpty())
        outcome = QCoreApplication::translate("batch", "已中止：处理了%1/%2行")
                      .arg(summary.read)
                      .arg(summary.total);
    else if (summary.stopped)
        outcome = QCoreApplication::translate("batch", "已停止：处理了%1/%2行")
                      .arg(summary.read)
                      .arg(summary.total);
    QString text =
        outcome +
        QCoreApplication::translate("batch", "\r\n本次共生成%1条驻波！\r\n").arg(summary.plotted) +
        now;
    QStringList missing;
    if (summary.refused > 0)
        missing.append(QCoreApplication::translate("batch", "%1行未生成").arg(summary.refused));
    if (summary.unwritten() > 0)
        missing.append(
            QCoreApplication::translate("batch", "%1条未写入文档").arg(summary.unwritten()));
    if (!missing.isEmpty())
        text += QStringLiteral("\r\n") + missing.join(QCoreApplication::translate("batch", "，")) +
                QCoreApplication::translate("batch", "！");
    return text;
}

QString batchreport::placesLine(const PicturePlaces& places) {
    QString line =
        QCoreApplication::translate("batch", "其中%1张放入占位符，").arg(places.placeholders);
    if (places.bookmark > 0)
        line += QCoreApplication::translate("batch", "%1张放在书签“veltrace”之后，")
                    .arg(places.bookmark);
    return line + QCoreApplication::translate("batch", "%1张追加到文末").arg(places.end);
}

QString batchreport::filledLine(const docx::FillCounts& filled) {
    if (filled.tableRows + filled.sections + filled.summaryValues + filled.replaced == 0)
        return {};
    QString line =
        QCoreApplication::translate("batch", "按模板填写了表格%1行、每段内容%2节、汇总值%3个")
            .arg(filled.tableRows)
            .arg(filled.sections)
            .arg(filled.summaryValues);
    if (filled.replaced > 0)
        line += QCoreApplication::translate("batch", "，替换了%1张同一测试段已有的驻波图")
                    .arg(filled.replaced);
    return line;
}

bool batchreport::isWarning(const BatchSummary& summary) {
    return !summary.complete();
}

QString batchreport::message(const BatchSummary& summary, const QString& target, const QString& now,
                             const QString& pendingHint) {
    QString text = headline(summary);
    text += QCoreApplication::translate("batch", "\r\n驻波图保存位置：") + target +
            QStringLiteral("\r\n") + now;
    const bool plain = summary.complete() && summary.rows.isEmpty() && summary.earlierWritten == 0;
    if (!plain)
        text += QStringLiteral("\r\n") + countsLine(summary);
    if (summary.places.total() > 0)
        text += QStringLiteral("\r\n") + placesLine(summary.places);
    if (const QString filled = filledLine(summary.filled); !filled.isEmpty())
        text += QStringLiteral("\r\n") + filled;
    if (summary.unwritten() > 0) {
        if (!summary.writeFailure.isEmpty())
            text +=
                QCoreApplication::translate("batch", "\r\n未写入的原因：") + summary.writeFailure;
        if (summary.waiting > 0)
            text += QStringLiteral("\r\n") + pendingHint;
    }
    for (const QString& notice : summary.templateNotices)
        text += QStringLiteral("\r\n") + notice;
    for (const QString& problem : summary.problems)
        text += QStringLiteral("\r\n") + problem;
    if (!summary.rows.isEmpty())
        text += QCoreApplication::translate("batch", "\r\n各行的情况详见详细信息。");
    return text;
}
