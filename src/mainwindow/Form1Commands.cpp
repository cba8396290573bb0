// Generate, copy and close.
#include "mainwindow/Form1.h"

#include "batch/ReportSession.h"
#include "mainwindow/PlotView.h"
#include "mainwindow/RepaintingYield.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"
#include "trace/Numbers.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

bool Form1::generate() {
    // The batch draws every row itself; a click in between must not interleave.
    if (isBatchRunning())
        return false;
    // A number beyond its bounds gives no plot: the plot would draw through
    // its labels or reverse its axis.
    if (!m_drawing) {
        if (const auto refusal = m_fieldSet->checkBounds()) {
            showRefusal(refusal);
            return false;
        }
    }
    const bool drawn = drawPlot();
    // A close asked for while the plot was drawn happens now that it is done.
    if (m_closeRequested && !m_drawing)
        close();
    return drawn;
}

bool Form1::drawPlot() {
    // A generate asked for while a plot is being drawn is ignored: two
    // drawings must never interleave on one canvas.
    if (m_drawing)
        return false;
    m_drawing = true;
    updateCommands();
    const bool drawn = drawFrameAndTrace();
    m_plotState = PlotState::Drawn;
    m_drawing = false;
    updateCommands();
    return drawn;
}

bool Form1::drawFrameAndTrace() {
    const QString frameFailure = cycs(m_canvas, *m_fieldSet);
    m_plot->showDrawing();
    if (!frameFailure.isEmpty()) {
        // A number too large for the scale gets other advice than a text.
        const QString distance = text(Field::TestDistance);
        const QString advice = numbers::isNumeric(distance) || numbers::isOutOfRange(distance)
                                   ? QStringLiteral("。请在“测试距离”中填写较小的数字！")
                                   : QStringLiteral("。请在“测试距离”中填写数字！");
        m_platform.dialogs->critical(QStringLiteral("无法生成驻波图：") + frameFailure + advice);
        return false;
    }
    RepaintingYield yield(m_plot, *m_platform.yield, [this] { return m_closeRequested; });
    const QString failure = mainwave(m_canvas, *m_fieldSet, *m_platform.random, yield);
    m_plot->showDrawing();
    // A drawing cut short for a close reports nothing.
    if (!failure.isEmpty() && !m_closeRequested)
        m_platform.dialogs->critical(errorreport::text(failure));
    return true;
}

void Form1::updateCommands() {
    const bool busy = m_drawing || isBatchRunning();
    for (QPushButton* button : {m_generateButton, m_saveButton, m_importButton})
        button->setEnabled(!busy);
    // While a batch runs its button shows the progress and offers to stop it.
    m_batchButton->setEnabled(isBatchRunning() || (m_batchAvailable && !m_drawing));
    m_stopShortcut->setEnabled(isBatchRunning());
}

void Form1::copy() {
    m_platform.clipboard->clear();
    if (!m_platform.clipboard->setImage(m_canvas.Image())) {
        m_platform.dialogs->critical(
            QStringLiteral("无法将驻波图放到剪贴板：剪贴板不可用或被其他程序占用，请稍后再试！"));
        return;
    }
    m_platform.dialogs->information(QStringLiteral("已复制当前驻波图形，请粘贴到所需要位置！"));
}

void Form1::closeEvent(QCloseEvent* event) {
    // A running batch is stopped after its current row, if the user wants
    // that, and the window closes once its pictures are written; a plot being
    // drawn is finished first. The window must outlive both.
    if (isBatchRunning() || m_drawing) {
        if (!isBatchRunning() || askToStopBatch(true))
            m_closeRequested = true;
        event->ignore();
        return;
    }
    m_closeRequested = false;
    const Outcome failure = m_report->flush();
    if (!failure.isOk() && m_report->pendingPictures() > 0 && !confirmCloseWithUnwritten(failure)) {
        event->ignore();
        return;
    }
    m_report->release();
    m_clock->stop();
    event->accept();
}

// Pictures that could not be written would be lost with the window: the user
// is told how many, every time, and decides.
bool Form1::confirmCloseWithUnwritten(const Outcome& failure) {
    const int waiting = m_report->pendingPictures();
    const QString text = errorreport::text(
        failure.message() +
            QStringLiteral("\r\n还有 %1 张驻波图未能写入文档。关闭窗口将丢失这些驻波图；"
                           "不关闭窗口，排除问题后再关闭即可写入。")
                .arg(waiting),
        errorreport::ContactLine::Save);
    return m_platform.dialogs->ask(
               MessageBox::Icon::Critical, text,
               {QStringLiteral("不关闭"), QStringLiteral("放弃 %1 张驻波图并关闭").arg(waiting)},
               0) == 1;
}
