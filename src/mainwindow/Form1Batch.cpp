// Import and batch: the rows of a test-data workbook, each turned into a
// plot in the report document by the batch controller, shown here.
#include "mainwindow/Form1.h"

#include "batch/BatchController.h"
#include "batch/BatchReport.h"
#include "batch/ReportSession.h"
#include "mainwindow/PlotView.h"
#include "mainwindow/RepaintingYield.h"
#include "mainwindow/ReportTexts.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"
#include "workbook/Workbook.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString kBatchCaption = QStringLiteral("处理以上数据");
const QString kListHeading = QStringLiteral("驻波段           驻波比");
const QString kListGap = QStringLiteral("      ");
const QString kQuietOption = QStringLiteral("本次批处理中不再显示此类消息（处理结束后一并列出）");

} // namespace

// The batch as the window shows it: progress on the batch button, the plot
// as it is drawn, a box for each problem until the user asks for quiet.
class Form1::BatchWindow : public BatchFrontEnd {
public:
    explicit BatchWindow(Form1& form) : m_form(form) {}
    void progress(int read, int total) override {
        m_form.m_batch->read = read;
        m_form.m_batchButton->setText(QStringLiteral("正在处理： %1/%2").arg(read).arg(total));
        m_form.m_plot->showDrawing();
        m_form.m_platform.yield->yieldEvents();
    }
    void rowRefused(const RowReport& report) override {
        m_form.batchProblem(batchreport::refusalMessage(report));
    }
    void writeDelayed(const QString& description) override {
        m_form.batchProblem(errorreport::text(description, errorreport::ContactLine::Save));
    }
    bool stopRequested() const override { return m_form.m_batch->stopRequested; }
    EventYield& events() override { return *m_form.m_platform.yield; }

private:
    Form1& m_form;
};

void Form1::batchProblem(const QString& text) {
    if (m_batch->quiet)
        return;
    const MessageBox box{MessageBox::Icon::Critical, text, {}, {}, 0, kQuietOption};
    m_batch->quiet = m_platform.dialogs->show(box).optionTicked;
}

void Form1::importData() {
    if (isBatchRunning() || m_drawing)
        return;
    if (m_saveLocation->text().isEmpty()) {
        m_platform.dialogs->information(QStringLiteral(
            "对不起，您必须先手动生成一个驻波并保存到一个WORD文档内，作为程序参考驻波！"));
        return;
    }
    readxsl();
}

void Form1::readxsl() {
    const QString path = m_platform.dialogs->openFileName(
        QStringLiteral("选择驻波数据工作簿"),
        QStringLiteral("Excel 工作簿 (*.xls *.xlsx);;所有文件 (*)"), Dialogs::FileKind::Workbook);
    if (!path.isEmpty())
        importWorkbook(path);
}

// By value: the path may be the waiting workbook that this forgets.
void Form1::importWorkbook(QString path) {
    m_workbookAfterSave.clear();
    m_platform.dialogs->noteUsed(Dialogs::FileKind::Workbook, path);
    m_importedPath = path;
    m_importedRows = 0;
    m_importedEmptyRows = 0;
    m_workbookLabel->setText(path);
    m_workbookLabel->setToolTip(path);
    m_list->clear();
    m_list->addItem(kListHeading);

    Workbook workbook;
    const Outcome opened = workbook.open(path);
    if (!opened.isOk()) {
        m_platform.dialogs->critical(errorreport::text(opened.message()));
        return;
    }
    if (!workbook.atEnd()) {
        m_batchAvailable = true;
        updateCommands();
    }
    m_importedRows = workbook.rowCount();
    m_importedEmptyRows = workbook.emptyRowCount();
    for (; !workbook.atEnd(); workbook.moveNext())
        m_list->addItem(workbook.field(0).toText() + kListGap + workbook.field(1).toText());
    workbook.close();
    if (m_importedEmptyRows > 0)
        m_batchReport->setText(QStringLiteral("导入%1行数据，其中%2行是空行；\r\n"
                                              "批处理时将跳过空行。")
                                   .arg(m_importedRows)
                                   .arg(m_importedEmptyRows));
}

// A batch of very many rows starts only when the user confirms it.
bool Form1::confirmLargeBatch() {
    const int withValues = m_importedRows - m_importedEmptyRows;
    if (withValues <= kConfirmRowsAbove)
        return true;
    const QString text = QStringLiteral("将处理%1行数据；每一行都会生成一张驻波图并保存到文档。\r\n"
                                        "确定要开始批处理吗？")
                             .arg(withValues);
    return m_platform.dialogs->ask(MessageBox::Icon::Question, text,
                                   {QStringLiteral("取消"), QStringLiteral("开始批处理")}, 0) == 1;
}

// The batch's document is settled before its first row: chosen when none
// is, and when plots wait for another one, the user decides now whether
// they are given up or the batch goes to that one too. No question comes
// while the rows run, so none can cost a row its plot.
bool Form1::prepareBatchTarget() {
    QString path = m_saveLocation->text();
    if (path.isEmpty()) {
        path = chooseTarget();
        if (path.isEmpty())
            return false;
        m_saveLocation->setText(path);
    }
    if (switchTarget(path, QStringLiteral("批处理的驻波图")) == Switch::KeepOld)
        return true;
    if (path == m_report->targetPath())
        return true;
    m_platform.dialogs->noteUsed(Dialogs::FileKind::Document, path);
    const Outcome outcome = m_report->setTarget(path);
    if (outcome.isOk() || outcome.kind() == Outcome::Kind::Busy)
        return true;
    m_platform.dialogs->critical(errorreport::text(outcome.message()));
    return false;
}

void Form1::runBatch() {
    if (m_batch) {
        askToStopBatch(false);
        return;
    }
    if (m_drawing || !m_batchAvailable || !confirmLargeBatch() || !prepareBatchTarget())
        return;
    m_batch = std::make_unique<BatchState>();
    m_batchReport->clear();
    m_batchReport->setToolTip(QString());
    showOpenLink();
    m_saveLocation->setReadOnly(true);
    updateCommands();
    processBatch();
    m_batch.reset();
    m_saveLocation->setReadOnly(false);
    m_batchButton->setText(kBatchCaption);
    updateCommands();
    showOpenLink();
    if (m_closeRequested)
        close();
}

bool Form1::askToStopBatch(bool closing) {
    if (m_batch->stopRequested)
        return true;
    const QString progress =
        QStringLiteral("（已处理 %1/%2 行）").arg(m_batch->read).arg(m_importedRows);
    const QString question =
        closing
            ? QStringLiteral("批处理尚未完成%1。\r\n要停止批处理并关闭窗口吗？当前行处理完后，"
                             "已生成的驻波图先写入文档，然后关闭窗口。")
                  .arg(progress)
            : QStringLiteral("要停止批处理吗？%1\r\n当前行处理完后停止，已生成的驻波图写入文档，"
                             "文档中保留已处理的各行。")
                  .arg(progress);
    const QString stop = closing ? QStringLiteral("停止并关闭") : QStringLiteral("停止批处理");
    const int answer = m_platform.dialogs->ask(MessageBox::Icon::Question, question,
                                               {QStringLiteral("继续批处理"), stop}, 0);
    if (answer == 1 && m_batch)
        m_batch->stopRequested = true;
    return answer == 1;
}

void Form1::processBatch() {
    BatchWindow window(*this);
    applyTemplateOptions();
    BatchController controller(*m_fieldSet, m_canvas, *m_platform.random, *m_report, window);
    controller.setClipboard(m_platform.clipboard);
    controller.setReportDate(m_platform.clock->now().date().toString(Qt::ISODate));
    RepaintingYield drawing(m_plot, *m_platform.yield,
                            [this] { return m_closeRequested || m_batch->stopRequested; });
    controller.setDrawYield(&drawing);
    const BatchSummary summary = controller.run(m_importedPath, m_importedRows,
                                                {m_check2->isChecked(), m_carryEmpty->isChecked()});
    m_plot->showDrawing();
    if (summary.drew)
        m_plotState = summary.lastPlotQueued ? PlotState::Queued : PlotState::Drawn;
    finishBatch(summary);
}

void Form1::finishBatch(const BatchSummary& summary) {
    const QString now = dateTimeText();
    const QStringList lines = batchreport::lines(summary);
    m_batchReport->setText(batchreport::label(summary, now));
    m_batchReport->setToolTip(lines.join(QLatin1Char('\n')));
    markProblemRows(summary);
    if (!m_closeRequested) {
        // The report is one click away once it is on disk.
        const bool openable = QFileInfo::exists(m_report->targetPath());
        MessageBox box{batchreport::isWarning(summary) ? MessageBox::Icon::Critical
                                                       : MessageBox::Icon::Information,
                       batchreport::message(summary, m_report->targetPath(), now, pendingHint()),
                       lines.join(QStringLiteral("\r\n")),
                       {},
                       0,
                       {},
                       openable ? reporttexts::kOpenDocument : QString()};
        if (openable)
            box.text +=
                QStringLiteral("\r\n点击“%1”用默认程序查看。").arg(reporttexts::kOpenDocument) +
                reporttexts::kOpenHint;
        if (m_platform.dialogs->show(box).action)
            openDocument();
    }
    if (!summary.readFailure.isEmpty())
        m_platform.dialogs->critical(errorreport::text(summary.readFailure));
}

// The rows of the list that gave no plot stand out, with the reason as
// their tooltip; rows that took values from above say so in theirs.
void Form1::markProblemRows(const BatchSummary& summary) {
    for (int i = 1; i < m_list->count(); ++i) {
        m_list->item(i)->setData(Qt::ForegroundRole, QVariant());
        m_list->item(i)->setToolTip(QString());
    }
    for (const RowReport& report : summary.rows) {
        const int item = report.sheetRow - 1;
        if (report.kind == RowReport::Kind::Skipped || item < 1 || item >= m_list->count())
            continue;
        if (report.kind == RowReport::Kind::Refused)
            m_list->item(item)->setForeground(QColor(200, 0, 0));
        m_list->item(item)->setToolTip(batchreport::line(report));
    }
}
