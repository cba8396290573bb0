// Generate, copy and close.
#include "mainwindow/Form1.h"

#include "mainwindow/PlotView.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/ErrorReport.h"
#include "platform/EventYield.h"
#include "report/ReportSession.h"
#include "trace/Frame.h"
#include "trace/MainWave.h"

#include <QCloseEvent>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

// Lets pending events run with the plot shown as drawn so far.
class RepaintingYield : public EventYield {
public:
    RepaintingYield(QWidget* view, EventYield& inner) : m_view(view), m_inner(inner) {}
    void yieldEvents() override {
        m_view->update();
        m_inner.yieldEvents();
    }

private:
    QWidget* m_view;
    EventYield& m_inner;
};

} // namespace

bool Form1::generate() {
    // The batch draws every row itself; a click in between must not interleave.
    if (m_batchRunning)
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
    QScopedValueRollback drawing(m_drawing, true);

    const QString frameFailure = cycs(m_canvas, *this);
    m_plot->update();
    if (!frameFailure.isEmpty()) {
        if (reportFrameFailure)
            m_platform.dialogs->critical(QStringLiteral("无法生成驻波图：") + frameFailure +
                                         QStringLiteral("。请在“测试距离”中填写数字！"));
        return false;
    }
    RepaintingYield yield(m_plot, *m_platform.yield);
    const QString failure = mainwave(m_canvas, *this, *m_platform.random, yield);
    m_plot->update();
    if (!failure.isEmpty())
        m_platform.dialogs->critical(errorreport::text(failure));
    return true;
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
    // A running batch ends after its current row and then closes the window;
    // a plot being drawn is finished first. The window must outlive both.
    if (m_batchRunning || m_drawing) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    const QString failure = m_report->flush();
    if (!failure.isEmpty() && !m_closeRefusedOnce) {
        // The pictures not yet written would be lost: say so once and stay
        // open, so the user can remove the cause; a second close gives them up.
        m_closeRefusedOnce = true;
        m_platform.dialogs->critical(errorreport::text(
            failure + QStringLiteral("\r\n还有 %1 张驻波图未能写入文档，窗口未关闭；"
                                     "排除问题后再关闭窗口即可写入，"
                                     "再次关闭将放弃这些驻波图。")
                          .arg(m_report->pendingPictures()),
            errorreport::ContactLine::Save));
        event->ignore();
        return;
    }
    m_report->release();
    m_clock->stop();
    event->accept();
}
