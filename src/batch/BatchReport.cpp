#include "batch/BatchReport.h"

#include "common/ShortText.h"

#include <algorithm>

namespace {

using batchrow::CellFault;

// What each column holds, as the fields call it.
const char16_t* const kColumnCaptions[] = {u"测试段", u"驻波比", u"馈线长（0.110dB/m）",
                                           u"馈线长（0.070dB/m）", u"测试时间"};
const char16_t* const kCarriedCaptions[] = {u"测试段", u"驻波比", u"馈线长", u"馈线长",
                                            u"测试时间"};

QString quotedCell(const QString& text) {
    return QStringLiteral("“%1”").arg(shorttext::cut(text, 40));
}

QString faultText(const CellFault& fault) {
    const QString column = batchreport::columnName(fault.column);
    switch (fault.cause) {
    case CellFault::Cause::Empty:
        return column + QStringLiteral("为空");
    case CellFault::Cause::NoLength:
        return QStringLiteral("C列和D列（馈线长）都为空");
    case CellFault::Cause::NotANumber:
        return column + quotedCell(fault.text) + QStringLiteral("不是数字");
    case CellFault::Cause::TooLarge:
        return column + quotedCell(fault.text) + QStringLiteral("超出数值范围");
    case CellFault::Cause::BelowOne:
        return column + quotedCell(fault.text) + QStringLiteral("小于1");
    case CellFault::Cause::NotPositive:
        return column + quotedCell(fault.text) + QStringLiteral("不大于0");
    }
    return column;
}

QString rowName(const RowReport& report) {
    const QString row = QStringLiteral("第%1行").arg(report.sheetRow);
    return report.segment.isEmpty()
               ? row
               : row + QStringLiteral("（%1）").arg(shorttext::cut(report.segment, 60));
}

QString refusedLine(const RowReport& report) {
    QStringList causes;
    for (const CellFault& fault : report.faults)
        causes.append(faultText(fault));
    if (!report.failure.isEmpty())
        causes.append(report.failure);
    return rowName(report) + QStringLiteral("：") + causes.join(QStringLiteral("；")) +
           QStringLiteral("，该行未生成驻波图");
}

QString carriedLine(const RowReport& report) {
    QStringList values;
    for (const batchrow::Carried& carried : report.carried)
        values.append(QStringLiteral("%1为空，沿用上一行的 %2")
                          .arg(QString::fromUtf16(kCarriedCaptions[carried.column]),
                               shorttext::cut(carried.value, 60)));
    return QStringLiteral("第%1行 ").arg(report.sheetRow) + values.join(QStringLiteral("；"));
}

QString headline(const BatchSummary& summary) {
    if (!summary.readFailure.isEmpty())
        return QStringLiteral("未能读取工作簿，本次共生成0条驻波。原因见随后的错误报告。");
    if (!summary.abortCause.isEmpty())
        return QStringLiteral("批处理已中止：处理了 %1/%2 行，本次共生成%3条驻波。\r\n原因：%4")
            .arg(summary.read)
            .arg(summary.total)
            .arg(summary.plotted)
            .arg(summary.abortCause);
    if (summary.stopped)
        return QStringLiteral("批处理已停止：处理了 %1/%2 行，本次共生成%3条驻波！")
            .arg(summary.read)
            .arg(summary.total)
            .arg(summary.plotted);
    if (!summary.complete())
        return QStringLiteral(
                   "批处理已完成，但并非每一行都生成并写入了驻波图！本次共生成%1条驻波。")
            .arg(summary.plotted);
    return QStringLiteral("已完成所有驻波图的生成！本次共生成%1条驻波！").arg(summary.plotted);
}

} // namespace

QString batchreport::columnName(int column) {
    return QStringLiteral("%1列（%2）")
        .arg(QChar(u'A' + column))
        .arg(QString::fromUtf16(kColumnCaptions[column]));
}

QString batchreport::line(const RowReport& report) {
    switch (report.kind) {
    case RowReport::Kind::Refused:
        return refusedLine(report);
    case RowReport::Kind::Skipped:
        if (report.lastSheetRow > report.sheetRow)
            return QStringLiteral("第%1–%2行：空行，已跳过")
                .arg(report.sheetRow)
                .arg(report.lastSheetRow);
        return QStringLiteral("第%1行：空行，已跳过").arg(report.sheetRow);
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
    const QString line = refusedLine(report) + QStringLiteral("。");
    return notANumber ? QStringLiteral("您的输入有错！请输入纯数字数据！\r\n") + line : line;
}

QString batchreport::countsLine(const BatchSummary& summary) {
    QString text = QStringLiteral("读取%1行：生成%2条驻波").arg(summary.read).arg(summary.plotted);
    if (summary.refused > 0)
        text += QStringLiteral("，%1行未生成").arg(summary.refused);
    if (summary.skipped > 0)
        text += QStringLiteral("，跳过空行%1行").arg(summary.skipped);
    if (summary.carried > 0)
        text += QStringLiteral("，%1行沿用了上一行的值").arg(summary.carried);
    text += QStringLiteral("；已写入文档%1条").arg(summary.written);
    if (summary.unwritten() > 0)
        text += QStringLiteral("，尚未写入%1条").arg(summary.unwritten());
    if (summary.earlierWritten > 0)
        text += QStringLiteral("（另有此前保存的%1条一并写入）").arg(summary.earlierWritten);
    return text + QStringLiteral("。");
}

QString batchreport::label(const BatchSummary& summary, const QString& now) {
    QString outcome = QStringLiteral("处理完成！");
    if (!summary.abortCause.isEmpty())
        outcome = QStringLiteral("已中止：处理了%1/%2行").arg(summary.read).arg(summary.total);
    else if (summary.stopped)
        outcome = QStringLiteral("已停止：处理了%1/%2行").arg(summary.read).arg(summary.total);
    QString text =
        outcome + QStringLiteral("\r\n本次共生成%1条驻波！\r\n").arg(summary.plotted) + now;
    QStringList missing;
    if (summary.refused > 0)
        missing.append(QStringLiteral("%1行未生成").arg(summary.refused));
    if (summary.unwritten() > 0)
        missing.append(QStringLiteral("%1条未写入文档").arg(summary.unwritten()));
    if (!missing.isEmpty())
        text += QStringLiteral("\r\n") + missing.join(QStringLiteral("，")) + QStringLiteral("！");
    return text;
}

QString batchreport::placesLine(const PicturePlaces& places) {
    QString line = QStringLiteral("其中%1张放入占位符，").arg(places.placeholders);
    if (places.bookmark > 0)
        line += QStringLiteral("%1张放在书签“veltrace”之后，").arg(places.bookmark);
    return line + QStringLiteral("%1张追加到文末").arg(places.end);
}

QString batchreport::filledLine(const docx::FillCounts& filled) {
    if (filled.tableRows + filled.sections + filled.summaryValues + filled.replaced == 0)
        return {};
    QString line = QStringLiteral("按模板填写了表格%1行、每段内容%2节、汇总值%3个")
                       .arg(filled.tableRows)
                       .arg(filled.sections)
                       .arg(filled.summaryValues);
    if (filled.replaced > 0)
        line += QStringLiteral("，替换了%1张同一测试段已有的驻波图").arg(filled.replaced);
    return line;
}

bool batchreport::isWarning(const BatchSummary& summary) {
    return !summary.complete();
}

QString batchreport::message(const BatchSummary& summary, const QString& target, const QString& now,
                             const QString& pendingHint) {
    QString text = headline(summary);
    text += QStringLiteral("\r\n驻波图保存位置：") + target + QStringLiteral("\r\n") + now;
    const bool plain = summary.complete() && summary.rows.isEmpty() && summary.earlierWritten == 0;
    if (!plain)
        text += QStringLiteral("\r\n") + countsLine(summary);
    if (summary.places.total() > 0)
        text += QStringLiteral("\r\n") + placesLine(summary.places);
    if (const QString filled = filledLine(summary.filled); !filled.isEmpty())
        text += QStringLiteral("\r\n") + filled;
    if (summary.unwritten() > 0) {
        if (!summary.writeFailure.isEmpty())
            text += QStringLiteral("\r\n未写入的原因：") + summary.writeFailure;
        if (summary.waiting > 0)
            text += QStringLiteral("\r\n") + pendingHint;
    }
    for (const QString& notice : summary.templateNotices)
        text += QStringLiteral("\r\n") + notice;
    for (const QString& problem : summary.problems)
        text += QStringLiteral("\r\n") + problem;
    if (!summary.rows.isEmpty())
        text += QStringLiteral("\r\n各行的情况详见详细信息。");
    return text;
}
