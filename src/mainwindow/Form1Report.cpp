// Save, import and batch: the commands that put plots into the report
// document and take rows from a test-data workbook.
#include "mainwindow/Form1.h"

#include "batch/BatchReport.h"
#include "batch/BatchRun.h"
#include "batch/ReportSession.h"
#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"
#include "workbook/Workbook.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kBatchCaption = QStringLiteral("处理以上数据");
const QString kListHeading = QStringLiteral("驻波段           驻波比");
const QString kListGap = QStringLiteral("      ");
const QString kQuietOption = QStringLiteral("本次批处理中不再显示此类消息（处理结束后一并列出）");
const QString kOpenDocument = QStringLiteral("打开文档");
// Opening the document must not cost a plot: a document open in an office
// program is seen by its lock file, and what is saved meanwhile waits.
const QString kOpenHint =
    QStringLiteral("文档在其他程序中打开期间，再保存的驻波图先保留，在该程序中关闭文档后"
                   "再保存时一并写入。");

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

void Form1::save() {
    if (isBatchRunning() || m_drawing)
        return;
    saveOperation(false);
}

QString Form1::chooseTarget() {
    QString chosen =
        m_platform.dialogs->openFileName(QStringLiteral("选择要添加驻波图的报告文档"),
                                         QStringLiteral("Word 文档 (*.docx);;所有文件 (*)"), true);
    if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".docx");
    return chosen;
}

QString Form1::pendingHint() const {
    return QStringLiteral("这些驻波图仍然保留：排除问题后，再保存一次或关闭窗口时会再次写入。");
}

// Pictures stay with the document they were saved for: before the target
// changes they are written, and when that fails the user decides between
// keeping them (and the old target) and giving them up.
bool Form1::switchTarget(const QString& path) {
    if (m_report->pendingPictures() == 0 || path == m_report->targetPath())
        return true;
    const Outcome written = m_report->flushYielding(*m_platform.yield);
    if (written.isOk())
        return true;
    const QString old = nativePath(m_report->targetPath());
    const int waiting = m_report->pendingPictures();
    const int answer = m_platform.dialogs->ask(
        MessageBox::Icon::Critical,
        errorreport::text(written.message() +
                              QStringLiteral("\r\n文档“%1”还有 %2 张驻波图未能写入。改为保存到“%3”"
                                             "将放弃这些驻波图；本次的驻波图尚未保存，"
                                             "已放到剪贴板。")
                                  .arg(old)
                                  .arg(waiting)
                                  .arg(nativePath(path)),
                          errorreport::ContactLine::Save),
        {QStringLiteral("保留，仍用原文档"), QStringLiteral("放弃 %1 张并改用新文档").arg(waiting)},
        0);
    if (answer == 0) {
        m_saveLocation->setText(m_report->targetPath());
        return false;
    }
    m_report->discardPending();
    return true;
}

void Form1::saveOperation(bool duringBatch) {
    // The plot goes on the clipboard in every case, so that the user can
    // paste it by hand should the document refuse it.
    const QImage picture = m_canvas.Image();
    QString clipboardFailure;
    QString path = m_saveLocation->text();
    if (path.isEmpty()) {
        path = chooseTarget();
        if (path.isEmpty())
            return; // cancelled: nothing happens, nothing is shown
    }
    m_platform.clipboard->clear();
    if (!m_platform.clipboard->setImage(picture))
        clipboardFailure = QStringLiteral("无法将驻波图放到剪贴板：剪贴板不可用或被其他程序占用");
    if (!switchTarget(path))
        return;
    m_saveLocation->setText(path);

    Outcome outcome = Outcome::ok();
    if (path != m_report->targetPath())
        outcome = m_report->setTarget(path);
    if (outcome.isOk() || outcome.kind() == Outcome::Kind::Busy)
        outcome = m_report->append(picture, text(Field::Segment));
    if (outcome.isOk())
        outcome = duringBatch ? m_report->flushIfDue() : m_report->flushYielding(*m_platform.yield);

    if (duringBatch) {
        if (!outcome.isOk() || outcome.note() == Outcome::Note::Recreated)
            documentProblem(outcome);
        else if (!clipboardFailure.isEmpty())
            reportProblem(clipboardFailure, nullptr);
        return;
    }
    showSaveResult(outcome);
    showTemplateNotices();
    const QString failure = !outcome.isOk() ? outcome.message() : clipboardFailure;
    if (failure.isEmpty())
        return;
    QString shown = failure;
    if (!outcome.isOk() && m_report->pendingPictures() > 0)
        shown +=
            QStringLiteral("\r\n还有 %1 张驻波图尚未写入文档。").arg(m_report->pendingPictures()) +
            pendingHint();
    m_platform.dialogs->critical(errorreport::text(shown, errorreport::ContactLine::Save));
}

// Where the picture went, without a box to click away: the file, how many
// pictures it has received from this window, and a word on a new document.
void Form1::showSaveResult(const Outcome& outcome) {
    const QString name = QFileInfo(m_report->targetPath()).fileName();
    const QFontMetrics metrics(m_batchReport->font());
    const QString shownName =
        metrics.elidedText(name, Qt::ElideMiddle, m_batchReport->width() - 70);
    QString report;
    if (outcome.isOk()) {
        report = QStringLiteral("已保存到：%1\r\n本窗口已存入%2张驻波图")
                     .arg(shownName)
                     .arg(m_report->writtenPictures());
        if (outcome.note() == Outcome::Note::Created)
            report += QStringLiteral("\r\n（新建的文档）");
        else if (outcome.note() == Outcome::Note::Recreated)
            report += QStringLiteral("\r\n原文档已不见，已重新新建！");
    } else {
        report = QStringLiteral("未能保存到：%1").arg(shownName);
        if (m_report->pendingPictures() > 0)
            report += QStringLiteral("\r\n%1张驻波图等待写入").arg(m_report->pendingPictures());
    }
    m_batchReport->setText(report);
    QString tip = nativePath(m_report->targetPath());
    if (m_report->writtenPictures() > 0)
        tip += QLatin1Char('\n') + batchreport::placesLine(m_report->places());
    if (outcome.note() != Outcome::Note::None)
        tip += QLatin1Char('\n') + m_report->noteText(outcome.note());
    m_batchReport->setToolTip(tip);
    showOpenLink();
    // A document that vanished took the earlier plots with it: worth a box.
    if (outcome.note() == Outcome::Note::Recreated)
        m_platform.dialogs->critical(m_report->noteText(outcome.note()));
}

void Form1::showTemplateNotices() {
    const QStringList notices = m_report->takeNotices();
    if (!notices.isEmpty())
        m_platform.dialogs->critical(
            QStringLiteral("保存到文档“%1”时：\r\n").arg(nativePath(m_report->targetPath())) +
            notices.join(QStringLiteral("\r\n")));
}

// A link under the report opens the document in the desktop's program for
// it, once the document is on disk.
void Form1::buildOpenLink(QWidget* console) {
    m_openLink = new QLabel(QStringLiteral("<a href=\"open\">%1</a>").arg(kOpenDocument), console);
    m_openLink->setObjectName(QStringLiteral("openDocument"));
    m_openLink->setGeometry(97, 446, 80, 16);
    m_openLink->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_openLink->setTextFormat(Qt::RichText);
    m_openLink->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_openLink->setToolTip(QStringLiteral("用默认程序打开文档。") + kOpenHint);
    m_openLink->hide();
    connect(m_openLink, &QLabel::linkActivated, this, [this] { openDocument(); });
}

void Form1::showOpenLink() {
    m_openLink->setVisible(!isBatchRunning() && m_report->hasTarget() &&
                           QFileInfo::exists(m_report->targetPath()));
}

void Form1::openDocument() {
    const QString path = m_report->targetPath();
    if (!m_platform.desktop->openFile(path))
        m_platform.dialogs->critical(
            QStringLiteral("无法打开文档“%1”：系统中没有能打开它的程序，或该程序无法启动。")
                .arg(nativePath(path)));
}

void Form1::reportProblem(const QString& description, const MessageBox* box) {
    if (!m_batch) {
        if (box)
            m_platform.dialogs->show(*box);
        return;
    }
    m_batch->problems.add(m_batch->sheetRow, text(Field::Segment).left(60), description);
    if (!box || m_batch->quiet)
        return;
    MessageBox withOption = *box;
    withOption.option = kQuietOption;
    m_batch->quiet = m_platform.dialogs->show(withOption).optionTicked;
}

// A write of the document that failed during a batch. One that will not go
// away by itself ends the batch; one that may (another program holds the
// document) is said once and tried again at the next write.
void Form1::documentProblem(const Outcome& outcome) {
    const QString description =
        outcome.isOk() ? m_report->noteText(outcome.note()) : outcome.message();
    if (!outcome.isOk())
        m_batch->lastWriteFailure = description;
    if (!outcome.isOk() && outcome.kind() != Outcome::Kind::Busy) {
        m_batch->abortCause = description;
        m_batch->stopRequested = true;
        return;
    }
    if (m_batch->writeFailuresShown.contains(description))
        return;
    m_batch->writeFailuresShown.append(description);
    m_batch->problems.add(0, QString(), description);
    if (m_batch->quiet)
        return;
    const MessageBox box{MessageBox::Icon::Critical,
                         errorreport::text(description, errorreport::ContactLine::Save),
                         {},
                         {},
                         0,
                         kQuietOption};
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
        QStringLiteral("Excel 工作簿 (*.xls *.xlsx);;所有文件 (*)"), false);
    if (path.isEmpty())
        return;
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
    // Empty rows inside the sheet's used range give plots too: the user sees
    // how many before any batch starts.
    if (m_importedEmptyRows > 0)
        m_batchReport->setText(QStringLiteral("导入%1行数据，其中%2行是空行；\r\n"
                                              "批处理时空行也会生成驻波图。")
                                   .arg(m_importedRows)
                                   .arg(m_importedEmptyRows));
}

// A batch of very many rows, or of mostly empty ones, starts only when the
// user confirms it.
bool Form1::confirmLargeBatch() {
    if (m_importedRows <= kConfirmRowsAbove && m_importedEmptyRows * 2 <= m_importedRows)
        return true;
    const QString text =
        QStringLiteral("将处理%1行数据，其中%2行是空行；每一行都会生成一张驻波图并保存到文档。"
                       "\r\n确定要开始批处理吗？")
            .arg(m_importedRows)
            .arg(m_importedEmptyRows);
    return m_platform.dialogs->ask(MessageBox::Icon::Question, text,
                                   {QStringLiteral("取消"), QStringLiteral("开始批处理")}, 0) == 1;
}

void Form1::runBatch() {
    if (m_batch) {
        askToStopBatch(false);
        return;
    }
    if (m_drawing || !m_batchAvailable || !confirmLargeBatch())
        return;
    m_batch = std::make_unique<BatchState>();
    m_batch->writtenBefore = m_report->writtenPictures();
    m_batch->placesBefore = m_report->places();
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
        QStringLiteral("（已处理 %1/%2 行）").arg(m_batch->processed).arg(m_list->count() - 1);
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

// The batch as the window runs it: fields written like edits, the plot drawn
// and saved, progress on the batch button and events let run after each row.
class Form1::BatchRows : public BatchHost {
public:
    explicit BatchRows(Form1& form) : m_form(form) {}
    void rowStarted(int sheetRow) override { m_form.m_batch->sheetRow = sheetRow; }
    void writeField(Field field, const QString& text) override { m_form.writeField(field, text); }
    bool specifiedTime() const override { return m_form.m_check2->isChecked(); }
    // A frame that fails part-way is saved as far as it was drawn.
    bool generate() override {
        m_form.drawPlot(false);
        return !m_form.m_drawingAbandoned;
    }
    void save() override { m_form.saveOperation(true); }
    void rowDone(int row) override {
        m_form.m_batch->processed = row;
        m_form.m_batchButton->setText(
            QStringLiteral("正在处理： %1/%2").arg(row).arg(m_form.m_list->count() - 1));
        m_form.m_platform.yield->yieldEvents();
    }
    bool stopRequested() const override { return m_form.m_batch->stopRequested; }
    void letEventsRun() override { m_form.m_platform.yield->yieldEvents(); }

private:
    Form1& m_form;
};

void Form1::processBatch() {
    BatchRows rows(*this);
    m_report->beginRun();
    const BatchResult result = ::runBatch(m_workbookLabel->text(), rows);
    // Whatever the last rows appended is written before the report.
    const Outcome written = m_report->flushYielding(*m_platform.yield);
    m_report->endRun();
    if (!written.isOk())
        m_batch->lastWriteFailure = written.message();
    else if (written.note() == Outcome::Note::Recreated)
        m_batch->problems.add(0, QString(), m_report->noteText(written.note()));
    finishBatch(result.failure);
}

void Form1::finishBatch(const Outcome& readFailure) {
    BatchSummary summary;
    summary.processed = m_batch->processed;
    summary.total = m_list->count() - 1;
    summary.abortCause = m_batch->abortCause;
    summary.stopped =
        m_batch->stopRequested && summary.abortCause.isEmpty() && summary.processed < summary.total;
    const int written = m_report->writtenPictures() - m_batch->writtenBefore;
    summary.unwritten = summary.processed - std::clamp(written, 0, summary.processed);
    summary.writeFailure = m_batch->lastWriteFailure;
    summary.problems = m_batch->problems;
    summary.places = m_report->places() - m_batch->placesBefore;
    summary.templateNotices = m_report->takeNotices();

    const QString now = dateTimeText();
    m_batchReport->setText(batchreport::label(summary, now));
    m_batchReport->setToolTip(summary.problems.lines().join(QLatin1Char('\n')));
    markProblemRows();
    if (!m_closeRequested) {
        // The report is one click away once it is on disk.
        const bool openable = QFileInfo::exists(m_report->targetPath());
        MessageBox box{batchreport::isWarning(summary) ? MessageBox::Icon::Critical
                                                       : MessageBox::Icon::Information,
                       batchreport::message(summary, m_saveLocation->text(), now, pendingHint()),
                       summary.problems.lines().join(QStringLiteral("\r\n")),
                       {},
                       0,
                       {},
                       openable ? kOpenDocument : QString()};
        if (openable)
            box.text +=
                QStringLiteral("\r\n点击“%1”用默认程序查看。").arg(kOpenDocument) + kOpenHint;
        if (m_platform.dialogs->show(box).action)
            openDocument();
    }
    if (!readFailure.isOk())
        m_platform.dialogs->critical(errorreport::text(readFailure.message()));
}

// The rows of the list that had a problem stand out, with the problem as
// their tooltip.
void Form1::markProblemRows() {
    for (int i = 1; i < m_list->count(); ++i) {
        m_list->item(i)->setData(Qt::ForegroundRole, QVariant());
        m_list->item(i)->setToolTip(QString());
    }
    const BatchProblems& problems = m_batch->problems;
    for (int i = 0; i < problems.entries().size(); ++i) {
        const int item = problems.entries().at(i).sheetRow - 1;
        if (item < 1 || item >= m_list->count())
            continue;
        m_list->item(item)->setForeground(QColor(200, 0, 0));
        m_list->item(item)->setToolTip(problems.lines().at(i));
    }
}
