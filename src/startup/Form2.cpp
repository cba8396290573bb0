#include "startup/Form2.h"

#include "platform/AppIcon.h"
#include "platform/AppInfo.h"
#include "platform/widgets/EnterKey.h"
#include "startup/WavePicture.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtMath>

namespace {

constexpr QSize kClientSize(461, 352);
constexpr QPoint kDesignPosition(431, 249);
constexpr int kTickMs = 600;
// Designed places of the labels and buttons, in pixels.
constexpr QRect kTitleRect(104, 176, 305, 65);
constexpr QRect kStatusRect(104, 248, 217, 17);
constexpr QRect kEnterRect(88, 280, 89, 33);
constexpr QRect kExitRect(272, 280, 89, 33);
// A font too large for the window is made smaller, down to this size.
constexpr double kSmallestPoints = 6;

// Shows a canvas's persistent image; the window's other controls sit on it.
class PictureBox : public QWidget {
public:
    PictureBox(const Canvas& canvas, QWidget* parent) : QWidget(parent), m_canvas(canvas) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_canvas.Image());
    }

private:
    const Canvas& m_canvas;
};

void makeWhiteOnBlack(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

const QStringList& statusTexts() {
    static const QStringList texts{
        QStringLiteral("正在载入主程序..."),
        QStringLiteral("正在载入主瓣波形处理函数..."),
        QStringLiteral("正在载入辅助波形处理函数..."),
        QStringLiteral("正在载入 DOC Word文档处理函数..."),
        QStringLiteral("正在载入 EXL Excel文档处理函数.."),
        QStringLiteral("正在载入批处理函数..."),
        QStringLiteral("载入完成！"),
    };
    return texts;
}

// Grows a label to what the widest and tallest of its texts need in its font,
// so that every line shows whole; it never shrinks below its designed size.
// Returns how many pixels taller it became.
int growToFit(QLabel* label, const QStringList& texts) {
    const QFontMetricsF metrics(label->font());
    QSizeF needed;
    for (const QString& text : texts)
        needed =
            needed.expandedTo(metrics.boundingRect(QRectF(), int(label->alignment()), text).size());
    const int designedHeight = label->height();
    label->resize(label->size().expandedTo(QSize(qCeil(needed.width()), qCeil(needed.height()))));
    return label->height() - designedHeight;
}

} // namespace

Form2::Form2(MainWindowFactory mainWindowFactory, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_mainWindowFactory(std::move(mainWindowFactory)), m_canvas(wavepicture::makeCanvas()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowIcon(appicon::windowIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientSize);

    // The picture box is one pixel taller than the window, as designed.
    auto* picture = new PictureBox(m_canvas, this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(0, 0, m_canvas.Image().width(), m_canvas.Image().height());

    m_title = new QLabel(picture);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setGeometry(kTitleRect);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    makeWhiteOnBlack(m_title);

    m_status = new QLabel(picture);
    m_status->setObjectName(QStringLiteral("Label2"));
    m_status->setGeometry(kStatusRect);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    makeWhiteOnBlack(m_status);

    m_enter = new QPushButton(QStringLiteral("进入"), picture);
    m_enter->setObjectName(QStringLiteral("Command1"));
    m_enter->setGeometry(kEnterRect);
    m_enter->hide();
    connect(m_enter, &QPushButton::clicked, this, &Form2::enter);

    m_exit = new QPushButton(QStringLiteral("退出"), picture);
    m_exit->setObjectName(QStringLiteral("Command2"));
    m_exit->setGeometry(kExitRect);
    m_exit->hide();
    connect(m_exit, &QPushButton::clicked, this, &Form2::exit);
    enterkey::clicksFocusedButton(this);

    m_timer = new QTimer(picture);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &Form2::tick);

    // Load: everything is drawn and filled before the window is first shown.
    m_step = 1;
    wavepicture::draw(m_canvas);
    m_title->setText(QStringList{QStringLiteral("Quorvex Veltrace Emulator Ver2.0"), QString(),
                                 QStringLiteral("作者：") + appinfo::authors(), QString(),
                                 QStringLiteral("联系：") + appinfo::contactAddress()}
                         .join(QLatin1Char('\n')));
    arrange();
    m_timer->start();
}

// The labels keep their designed places as far as the font allows: a font
// whose lines are taller than the design's makes a label taller, and what
// stands below it moves down as far as it grew, keeping the designed gaps.
// Only a font so large that the buttons would leave the window is made smaller.
void Form2::arrange() {
    QFont font = m_title->font();
    while (!arrangeFor(font) && font.pointSizeF() > kSmallestPoints)
        font.setPointSizeF(font.pointSizeF() - 0.5);
}

bool Form2::arrangeFor(const QFont& font) {
    m_title->setFont(font);
    m_status->setFont(font);
    m_title->setGeometry(kTitleRect);
    m_status->setGeometry(kStatusRect);
    const int titleGrowth = growToFit(m_title, {m_title->text()});
    const int statusGrowth = growToFit(m_status, statusTexts());
    m_status->move(kStatusRect.topLeft() + QPoint(0, titleGrowth));
    m_enter->setGeometry(kEnterRect.translated(0, titleGrowth + statusGrowth));
    m_exit->setGeometry(kExitRect.translated(0, titleGrowth + statusGrowth));
    return rect().contains(m_enter->geometry()) && rect().contains(m_status->geometry()) &&
           rect().contains(m_title->geometry());
}

QPoint Form2::openingPosition(const QRect& availableScreen) {
    const QRect designed(kDesignPosition, kClientSize);
    if (availableScreen.contains(designed))
        return kDesignPosition;
    QRect centred(QPoint(0, 0), kClientSize);
    centred.moveCenter(availableScreen.center());
    return centred.topLeft();
}

void Form2::tick() {
    if (m_step >= 1 && m_step <= statusTexts().size()) {
        m_status->setText(statusTexts().at(m_step - 1));
    } else {
        m_enter->show();
        m_exit->show();
        m_timer->stop();
    }
    ++m_step;
}

void Form2::enter() {
    if (m_mainWindowFactory) {
        if (QWidget* mainWindow = m_mainWindowFactory())
            mainWindow->show();
    }
    close();
}

void Form2::exit() {
    close();
}
