// Generate, copy and close.
#include "mainwindow/Form1.h"

#include "batch/ReportSession.h"
#include "mainwindow/PlotView.h"
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

#include <functional>

namespace {

// Lets pending events run with the plot shown as drawn so far.
// A long drawing is abandoned when the window is to close or the batch to
// stop.
class RepaintingYield : public EventYield {
public:
    RepaintingYield(PlotView* view, EventYield& inner, std::function<bool()> stop)
        : m_view(view), m_inner(inner), m_stop(std::move(stop)) {}
    void yieldEvents() override {
        m_view->showDrawing();
        m_inner.yieldEvents();
    }
    bool abandoned() const override {
        m_abandoned = m_abandoned || m_stop();
        return m_abandoned;
    }
    // Whether the drawing was told to stop (only a long one asks).
    bool wasAbandoned() const { return m_abandoned; }

private:
    PlotView* m_view;
    EventYield& m_inner;
    std::function<bool()> m_stop;
    mutable bool m_abandoned = false;
};

} // namespace

bool Form1::generate() {
    // The batch draws every row itself; a click in between must not interleave.
    if (isBatchRunning())
        return false;
    const bool drawn = drawPlot(true);
    // A close asked for while the plot was drawn happens now that it is done.
    if (m_closeRequested && !m_drawing)
        close();
    return drawn;
}

bool Form1::drawPlot(bool reportFrameFailure) {
    // A generate asked for while a plot is being drawn is ignored: two
    // drawings must never interleave on one canvas.
    if (m_drawing)
        return false;
    m_drawing = true;
    updateCommands();
    const bool drawn = drawFrameAndTrace(reportFrameFailure);
    m_drawing = false;
    updateCommands();
    return drawn;
}

bool Form1::drawFrameAndTrace(bool reportFrameFailure) {
    const QString frameFailure = cycs(m_canvas, *this);
    m_plot->showDrawing();
    if (!frameFailure.isEmpty()) {
        // A number too large for the scale gets other advice than a text.
        const QString distance = text(Field::TestDistance);
        const QString advice = numbers::isNumeric(distance) || numbers::isOutOfRange(distance)
                                   ? QStringLiteral("。请在“测试距离”中填写较小的数字！")
                                   : QStringLiteral("。请在“测试距离”中填写数字！");
        const QString text = QStringLiteral("无法生成驻波图：") + frameFailure + advice;
        const MessageBox box{MessageBox::Icon::Critical, text, {}, {}, 0, {}};
        reportProblem(frameFailure, reportFrameFailure ? &box : nullptr);
        return false;
    }
    RepaintingYield yield(m_plot, *m_platform.yield, [this] {
        return m_closeRequested || (m_batch && m_batch->stopRequested);
    });
    const QString failure = mainwave(m_canvas, *this, *m_platform.random, yield);
    m_plot->showDrawing();
    m_drawingAbandoned = yield.wasAbandoned();
    if (!failure.isEmpty() && !m_drawingAbandoned) {
        const MessageBox box{MessageBox::Icon::Critical, errorreport::text(failure), {}, {}, 0, {}};
        reportProblem(failure, &box);
    }
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
