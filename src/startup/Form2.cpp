#include "startup/Form2.h"

#include "platform/AppIcon.h"
#include "platform/AppInfo.h"
#include "startup/WavePicture.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr QSize kClientSize(461, 352);
constexpr QPoint kDesignPosition(431, 249);
constexpr int kTickMs = 600;

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

// Largest pixel size of the window's font at which the text fits the label.
void fitFont(QLabel* label) {
    QFont font = label->font();
    for (int pixels = 13; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(QPoint(0, 0), label->size()), int(label->alignment()), label->text());
        if (needed.height() <= label->height() && needed.width() <= label->width())
            break;
    }
    label->setFont(font);
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
    m_title->setGeometry(104, 176, 305, 65);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    makeWhiteOnBlack(m_title);

    m_status = new QLabel(picture);
    m_status->setObjectName(QStringLiteral("Label2"));
    m_status->setGeometry(104, 248, 217, 17);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    makeWhiteOnBlack(m_status);

    m_enter = new QPushButton(QStringLiteral("进入"), picture);
    m_enter->setObjectName(QStringLiteral("Command1"));
    m_enter->setGeometry(88, 280, 89, 33);
    m_enter->hide();
    connect(m_enter, &QPushButton::clicked, this, &Form2::enter);

    m_exit = new QPushButton(QStringLiteral("退出"), picture);
    m_exit->setObjectName(QStringLiteral("Command2"));
    m_exit->setGeometry(272, 280, 89, 33);
    m_exit->hide();
    connect(m_exit, &QPushButton::clicked, this, &Form2::exit);

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
    fitFont(m_title);
    m_status->setFont(m_title->font());
    m_timer->start();
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
    static const QString texts[] = {
        QStringLiteral("正在载入主程序..."),
        QStringLiteral("正在载入主瓣波形处理函数..."),
        QStringLiteral("正在载入辅助波形处理函数..."),
        QStringLiteral("正在载入 DOC Word文档处理函数..."),
        QStringLiteral("正在载入 EXL Excel文档处理函数.."),
        QStringLiteral("正在载入批处理函数..."),
        QStringLiteral("载入完成！"),
    };
    if (m_step >= 1 && m_step <= 7) {
        m_status->setText(texts[m_step - 1]);
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
