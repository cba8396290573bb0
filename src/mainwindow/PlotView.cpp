#include "mainwindow/PlotView.h"

#include "trace/Canvas.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFocusFrameWidth = 2;
// A frame of a 60 Hz screen.
constexpr int kFrameMs = 16;

const QString kPictureRatioKey = QStringLiteral("plot/pictureRatio");

struct RatioChoice {
    int ratio;
    const char16_t* text;
};

constexpr RatioChoice kRatioChoices[] = {
    {1, u"标准（1 倍）"},
    {2, u"高清（2 倍）"},
    {3, u"超清（3 倍）"},
};

} // namespace

PlotView::PlotView(Canvas& canvas, QSettings& settings, QWidget* parent)
    : QWidget(parent), m_canvas(canvas), m_settings(settings) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // A stored value the canvas does not draw at (or no number) leaves it as it is.
    m_canvas.setPictureRatio(m_settings.value(kPictureRatioKey).toInt());
    m_menu = buildMenu();
    m_nextFrame.setSingleShot(true);
    connect(&m_nextFrame, &QTimer::timeout, this, [this] { showDrawing(); });
}

void PlotView::showDrawing() {
    if (!m_sinceFrame.isValid() || m_sinceFrame.elapsed() >= kFrameMs) {
        m_nextFrame.stop();
        m_sinceFrame.start();
        update();
    } else if (!m_nextFrame.isActive()) {
        m_nextFrame.start(int(kFrameMs - m_sinceFrame.elapsed()));
    }
}

QMenu* PlotView::buildMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("p1Menu"));
    QMenu* ratios = menu->addMenu(QStringLiteral("图片清晰度"));
    ratios->setToolTipsVisible(true);
    auto* group = new QActionGroup(ratios);
    for (const RatioChoice& choice : kRatioChoices) {
        QAction* action = ratios->addAction(QString::fromUtf16(choice.text));
        action->setObjectName(QStringLiteral("pictureRatio%1").arg(choice.ratio));
        action->setToolTip(QStringLiteral("复制和保存的驻波图为 %1×%2 像素，在文档中的大小不变")
                               .arg(m_canvas.imageWidth() * choice.ratio)
                               .arg(m_canvas.imageHeight() * choice.ratio));
        action->setCheckable(true);
        action->setChecked(choice.ratio == m_canvas.pictureRatio());
        group->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, ratio = choice.ratio] { choosePictureRatio(ratio); });
    }
    return menu;
}

void PlotView::choosePictureRatio(int ratio) {
    if (!m_canvas.setPictureRatio(ratio))
        return;
    m_settings.setValue(kPictureRatioKey, ratio);
    m_settings.sync();
}

void PlotView::paintEvent(QPaintEvent*) {
    // The canvas draws at the screen's pixel ratio, rounded up (a hair below
    // a whole ratio counts as it): after a move to another screen the plot is
    // drawn again at that screen's ratio, once.
    const int screenRatio =
        std::clamp(int(std::ceil(devicePixelRatioF() - 0.01)), 1, Canvas::kMaxPixelRatio);
    m_canvas.setPixelRatio(screenRatio);
    QPainter painter(this);
    // Scaled only on a screen between whole ratios.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0, 0), m_canvas.drawing());
    // The view is the first stop of the window's tab order: with the focus it
    // shows a frame in the highlight colour, drawn over the view only, never
    // into the plot that is copied or saved.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), kFocusFrameWidth, Qt::SolidLine,
                            Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        // The pen's middle runs half its width inside the edge.
        const double inset = kFocusFrameWidth / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}

void PlotView::contextMenuEvent(QContextMenuEvent* event) {
    m_menu->popup(event->globalPos());
}
