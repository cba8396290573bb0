// Save, import and batch: the commands that put plots into the report
// document and take rows from a test-data workbook.
#include "mainwindow/Form1.h"

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"
#include "report/BatchRun.h"
#include "report/ReportSession.h"
#include "report/Workbook.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

const QString kBatchCaption = QStringLiteral("处理以上数据");
const QString kListHeading = QStringLiteral("驻波段           驻波比");
const QString kListGap = QStringLiteral("      ");

} // namespace

void Form1::save() {
    if (m_batchRunning || m_drawing)
        return;
    saveOperation(false);
}

QString Form1::chooseTarget() {
    QString chosen =
        m_platform.dialogs->openFileName(QStringLiteral("Word 文档 (*.docx);;所有文件 (*)"), true);
    if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".docx");
    return chosen;
}

void Form1::saveOperation(bool duringBatch) {
    QString failure;
    if (m_saveLocation->text().isEmpty()) {
        const QString chosen = chooseTarget();
        if (chosen.isEmpty())
            return; // cancelled: nothing happens, nothing is shown
        m_saveLocation->setText(chosen);
        failure = m_report->setTarget(chosen);
    } else if (m_report->targetPath() != m_saveLocation->text()) {
        failure = m_report->setTarget(m_saveLocation->text());
    }

    // The plot goes on the clipboard in every case, so that the user can
    // paste it by hand should the document refuse it.
    const QImage picture = m_canvas.Image();
    m_platform.clipboard->clear();
    if (!m_platform.clipboard->setImage(picture))
        failure = QStringLiteral("无法将驻波图放到剪贴板：剪贴板不可用或被其他程序占用");
    const QString appendFailure = m_report->append(picture, text(0));
    if (!appendFailure.isEmpty())
        failure = appendFailure;
    const QString writeFailure = duringBatch ? m_report->flushIfDue() : m_report->flush();
    if (!writeFailure.isEmpty())
        failure = writeFailure;

    if (!failure.isEmpty())
        m_platform.dialogs->critical(errorreport::text(failure, errorreport::ContactLine::Save));
}

void Form1::importData() {
    if (m_batchRunning || m_drawing)
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
        QStringLiteral("Excel 工作簿 (*.xls *.xlsx);;所有文件 (*)"), false);
    if (path.isEmpty())
        return;
    m_workbookLabel->setText(path);
    m_list->clear();
    m_list->addItem(kListHeading);

    Workbook workbook;
    const QString failure = workbook.open(path);
    if (!failure.isEmpty()) {
        m_platform.dialogs->critical(errorreport::text(failure));
        return;
    }
    if (!workbook.atEnd())
        m_batchButton->setEnabled(true);
    for (; !workbook.atEnd(); workbook.moveNext())
        m_list->addItem(workbook.field(0).toText() + kListGap + workbook.field(1).toText());
    workbook.close();
}

void Form1::runBatch() {
    if (m_batchRunning || m_drawing)
        return;
    {
        QScopedValueRollback running(m_batchRunning, true);
        processBatch();
        m_batchButton->setText(kBatchCaption);
    }
    if (m_closeRequested)
        close();
}

// The batch as the window runs it: fields written like edits, the plot drawn
// and saved, progress on the batch button and events let run after each row.
class Form1::BatchRows : public BatchHost {
public:
    explicit BatchRows(Form1& form) : m_form(form) {}
    void writeField(int index, const QString& text) override { m_form.setFieldText(index, text); }
    bool specifiedTime() const override { return m_form.m_check2->isChecked(); }
    // A frame that fails part-way is saved as far as it was drawn.
    void generate() override { m_form.drawPlot(false); }
    void save() override { m_form.saveOperation(true); }
    void rowDone(int row) override {
        m_form.m_batchButton->setText(
            QStringLiteral("正在处理： %1/%2").arg(row).arg(m_form.m_list->count() - 1));
        m_form.m_platform.yield->yieldEvents();
    }
    bool stopRequested() const override { return m_form.m_closeRequested; }

private:
    Form1& m_form;
};

void Form1::processBatch() {
    BatchRows rows(*this);
    const BatchResult result = ::runBatch(m_workbookLabel->text(), rows);
    // Whatever the last rows appended is written before the report.
    const QString writeFailure = m_report->flushYielding(*m_platform.yield);
    if (!writeFailure.isEmpty())
        m_platform.dialogs->critical(
            errorreport::text(writeFailure, errorreport::ContactLine::Save));
    finishBatch(result.processed, result.failure);
}

void Form1::finishBatch(int processed, const QString& failure) {
    const QString now = dateTimeText();
    m_batchReport->setText(QStringLiteral("处理完成！\r\n本次共生成%1条驻波！\r\n").arg(processed) +
                           now);
    if (!m_closeRequested)
        m_platform.dialogs->information(
            QStringLiteral("已完成所有驻波图的生成！本次共生成%1条驻波！\r\n驻波图保存位置：")
                .arg(processed) +
            m_saveLocation->text() + QStringLiteral("\r\n") + now);
    if (!failure.isEmpty())
        m_platform.dialogs->critical(errorreport::text(failure));
}
