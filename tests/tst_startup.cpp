#include "mainwindow/Form1.h"
#include "platform/AppIcon.h"
#include "platform/AppInfo.h"
#include "platform/UiLanguage.h"
#include "startup/Form2.h"
#include "support/Controls.h"
#include "support/Fakes.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;

// Whether any pixel within one pixel of p has the colour.
bool colourNear(const QImage& image, QPoint p, QRgb colour) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && (image.pixel(q) & 0xffffff) == (colour & 0xffffff))
                return true;
        }
    return false;
}

// The smallest rectangle holding every non-black pixel of the picture.
QRect drawnArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != 0)
                area |= QRect(x, y, 1, 1);
    return area;
}

// A start-up window that tracks its own deletion.
struct StartupWindow {
    explicit StartupWindow(Form2::MainWindowFactory factory = {})
        : form(new Form2(std::move(factory))) {}
    ~StartupWindow() { delete form; }

    template <typename T> T* child(const char* name) const {
        return controls::control<T>(*form, QLatin1String(name));
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            form->tick();
    }

    QPointer<Form2> form;
};

// Runs pending deletions, as the event loop would after a handler returns.
void runDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void window();
    void titleBlock_data();
    void titleBlock();
    void statusSteps_data();
    void statusSteps();
    void picture_data();
    void picture();
    void leave_data();
    void leave();
    void enterOpensMainWindowWithTodaysDate();
    void openingPosition_data();
    void openingPosition();
    void icon_data();
    void icon();
    void qtTextsAreChinese();
};

void TestStartup::window() {
    StartupWindow w;
    QVERIFY(w.form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.form->size(), QSize(461, 352));
    QCOMPARE(w.form->minimumSize(), w.form->maximumSize());
    QVERIFY(!w.form->windowIcon().isNull());

    // The picture box covers the whole window and shows the drawing of load.
    auto* picture = w.child<QWidget>("Picture1");
    QVERIFY(picture);
    QVERIFY(picture->geometry().contains(w.form->rect()));
    QCOMPARE(w.form->canvas().Image().size(), picture->size());
    const QRect drawing = drawnArea(w.form->canvas().Image());
    QCOMPARE(picture->grab(drawing).toImage().convertToFormat(QImage::Format_RGB32),
             w.form->canvas().Image().copy(drawing));

    auto* timer = w.child<QTimer>("Timer1");
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 600);
    QCOMPARE(w.form->stepCounter(), 1);
}

void TestStartup::titleBlock_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::newRow("application font") << QString() << 0.0;
    // Debian's CJK face has taller lines than the design's Song face.
    QTest::newRow("Noto Sans CJK 9 pt") << "Noto Sans CJK SC" << 9.0;
    QTest::newRow("Noto Sans CJK 14 pt") << "Noto Sans CJK SC" << 14.0;
}

void TestStartup::titleBlock() {
    QFETCH(QString, family);
    QFETCH(double, points);
    const QFont applicationFont = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(applicationFont); });
    if (!family.isEmpty()) {
        QFont font(family);
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    StartupWindow w;
    auto* title = w.child<QLabel>("Label1");
    QVERIFY(title);
    const QStringList expected{QStringLiteral("Quorvex Veltrace Emulator Ver2.0"), QString(),
                               QStringLiteral("作者：") + appinfo::authors(), QString(),
                               QStringLiteral("联系：") + appinfo::contactAddress()};
    QCOMPARE(title->text().split(QLatin1Char('\n')), expected);

    // All five lines are readable: nothing is cut off by the label's edges.
    const QRect needed = title->fontMetrics().boundingRect(title->contentsRect(),
                                                           int(title->alignment()), title->text());
    QVERIFY2(
        title->contentsRect().contains(needed),
        qPrintable(QStringLiteral("text needs %1 x %2").arg(needed.width()).arg(needed.height())));

    // So is every status text, and the status line and the buttons stand
    // below the title block, one under the other, inside the window.
    auto* status = w.child<QLabel>("Label2");
    for (int tick = 1; tick <= 7; ++tick) {
        w.form->tick();
        const QRect text = status->fontMetrics().boundingRect(
            status->contentsRect(), int(status->alignment()), status->text());
        QVERIFY2(status->contentsRect().contains(text), qPrintable(status->text()));
    }
    QVERIFY(title->geometry().bottom() < status->geometry().top());
    for (const char* name : {"Command1", "Command2"}) {
        const QRect button = w.child<QPushButton>(name)->geometry();
        QVERIFY(status->geometry().bottom() < button.top());
        QVERIFY(w.form->rect().contains(button));
    }

    // White text on black.
    const QImage shown = title->grab().toImage();
    int brightest = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            brightest = std::max(brightest, qGray(shown.pixel(x, y)));
    QCOMPARE(brightest, 255);
    QCOMPARE(qGray(shown.pixel(shown.width() - 1, shown.height() - 1)), 0);
}

void TestStartup::statusSteps_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("buttonsShown");

    QTest::newRow("loaded") << 0 << QString() << false;
    QTest::newRow("0.6 s") << 1 << QStringLiteral("正在载入主程序...") << false;
    QTest::newRow("1.2 s") << 2 << QStringLiteral("正在载入主瓣波形处理函数...") << false;
    QTest::newRow("1.8 s") << 3 << QStringLiteral("正在载入辅助波形处理函数...") << false;
    QTest::newRow("2.4 s") << 4 << QStringLiteral("正在载入 DOC Word文档处理函数...") << false;
    QTest::newRow("3.0 s") << 5 << QStringLiteral("正在载入 EXL Excel文档处理函数..") << false;
    QTest::newRow("3.6 s") << 6 << QStringLiteral("正在载入批处理函数...") << false;
    QTest::newRow("4.2 s") << 7 << QStringLiteral("载入完成！") << false;
    QTest::newRow("4.8 s") << 8 << QStringLiteral("载入完成！") << true;
    QTest::newRow("ninth tick") << 9 << QStringLiteral("载入完成！") << true;
    QTest::newRow("twentieth tick") << 20 << QStringLiteral("载入完成！") << true;
}

void TestStartup::statusSteps() {
    QFETCH(int, ticks);
    QFETCH(QString, status);
    QFETCH(bool, buttonsShown);

    StartupWindow w;
    w.form->show();
    w.ticks(ticks);

    QCOMPARE(w.child<QLabel>("Label2")->text(), status);
    QCOMPARE(w.child<QPushButton>("Command1")->isVisible(), buttonsShown);
    QCOMPARE(w.child<QPushButton>("Command2")->isVisible(), buttonsShown);
    QCOMPARE(w.child<QTimer>("Timer1")->isActive(), ticks < 8);
    QCOMPARE(w.form->stepCounter(), 1 + ticks);
    QVERIFY(w.form->isVisible());
}

void TestStartup::picture_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("white");

    // The wave is y = 10 sin(3/2 pi + x/2) = -10 cos(x/2) for x in [0, 24 pi].
    const auto wave = [](double x) { return -10 * std::cos(x / 2); };
    QTest::newRow("wave start at the axes' corner") << 0.0 << -10.0 << true;
    QTest::newRow("wave first crest") << 2 * kPi << 10.0 << true;
    QTest::newRow("wave last crest") << 22 * kPi << 10.0 << true;
    QTest::newRow("wave rising to its end") << 74.398 << wave(74.398) << true;
    QTest::newRow("wave end") << 75.398 << -10.0 << true;
    QTest::newRow("no wave after the end") << 77.0 << wave(77.0) << false;

    QTest::newRow("x axis between troughs") << 40.0 << -10.0 << true;
    QTest::newRow("x axis arrow tip") << 81.68134 << -10.0 << true;
    QTest::newRow("x arrowhead upper barb") << 78.0 << -8.0 << true;
    QTest::newRow("x arrowhead lower barb") << 78.0 << -12.0 << true;
    QTest::newRow("nothing beyond the x arrow") << 84.0 << -10.0 << false;
    QTest::newRow("y axis above the wave") << 0.0 << 10.0 << true;
    QTest::newRow("y arrow tip") << 0.0 << 20.0 << true;
    QTest::newRow("y arrowhead left barb") << -1.0 << 14.0 << true;
    QTest::newRow("y arrowhead right barb") << 1.0 << 14.0 << true;
    QTest::newRow("nothing above the y arrow") << 0.0 << 23.0 << false;
}

void TestStartup::picture() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, white);

    StartupWindow w;
    const Canvas& canvas = w.form->canvas();
    const QPoint pixel = canvas.toPixel(x, y);
    QVERIFY(canvas.Image().rect().contains(pixel));
    if (white)
        QVERIFY(colourNear(canvas.Image(), pixel, qRgb(255, 255, 255)));
    else
        QVERIFY(!colourNear(canvas.Image(), pixel, qRgb(255, 255, 255)));
    QCOMPARE(canvas.pointCount(), 37700);
}

void TestStartup::leave_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key"); // 0: a mouse click
    QTest::addColumn<int>("factoryCalls");
    QTest::addColumn<bool>("programEnds");

    QTest::newRow("enter") << QStringLiteral("Command1") << 0 << 1 << false;
    QTest::newRow("exit") << QStringLiteral("Command2") << 0 << 0 << true;
    QTest::newRow("enter by Return")
        << QStringLiteral("Command1") << int(Qt::Key_Return) << 1 << false;
    QTest::newRow("exit by keypad Enter")
        << QStringLiteral("Command2") << int(Qt::Key_Enter) << 0 << true;
}

void TestStartup::leave() {
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, factoryCalls);
    QFETCH(bool, programEnds);

    int calls = 0;
    QPointer<QWidget> created;
    bool shownWhileStartupOpen = false;
    StartupWindow w([&]() -> QWidget* {
        ++calls;
        shownWhileStartupOpen = w.form && w.form->isVisible();
        created = new QWidget;
        return created;
    });
    const auto cleanup = qScopeGuard([&] { delete created; });
    w.form->show();
    w.ticks(8);

    auto* pressed = controls::control<QPushButton>(*w.form, button);
    if (key == 0) {
        QTest::mouseClick(pressed, Qt::LeftButton);
    } else {
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form));
        pressed->setFocus();
        QTest::keyClick(pressed, Qt::Key(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    }

    QCOMPARE(calls, factoryCalls);
    QVERIFY(!w.form || !w.form->isVisible());
    runDeferredDeletes();
    QVERIFY2(w.form.isNull(), "the start-up window is unloaded");
    // With quit-on-last-window-closed, no visible window left ends the program.
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::none_of(windows.begin(), windows.end(),
                          [](QWidget* widget) { return widget->isVisible(); }),
             programEnds);
    QVERIFY(QApplication::quitOnLastWindowClosed());
    if (factoryCalls > 0) {
        QVERIFY(shownWhileStartupOpen);
        QVERIFY(created);
        QVERIFY(created->isVisible());
        QVERIFY(!created->isModal());
    }
}

void TestStartup::enterOpensMainWindowWithTodaysDate() {
    FakePlatform fakes;
    QPointer<QWidget> mainWindow;
    const auto cleanup = qScopeGuard([&] { delete mainWindow; });
    StartupWindow w([&] {
        mainWindow = new Form1(fakes.platform());
        return mainWindow.data();
    });
    w.form->show();
    w.ticks(8);
    QVERIFY(mainWindow.isNull());

    QTest::mouseClick(w.child<QPushButton>("Command1"), Qt::LeftButton);
    runDeferredDeletes();

    QVERIFY(w.form.isNull());
    QVERIFY(mainWindow);
    QVERIFY(mainWindow->isVisible());
    auto* dateField = controls::field(*mainWindow, 8);
    QVERIFY(dateField);
    QCOMPARE(dateField->text(), QStringLiteral("3/7/2026"));
}

void TestStartup::openingPosition_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("position");

    QTest::newRow("1024 x 768") << QRect(0, 0, 1024, 768) << QPoint(431, 249);
    QTest::newRow("exactly fits") << QRect(0, 0, 892, 601) << QPoint(431, 249);
    QTest::newRow("one pixel too narrow") << QRect(0, 0, 891, 601) << QPoint(215, 125);
    QTest::newRow("one pixel too low") << QRect(0, 0, 1024, 600) << QPoint(281, 124);
    QTest::newRow("screen right of the first") << QRect(1920, 0, 1920, 1080) << QPoint(2649, 364);
}

void TestStartup::openingPosition() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, position);
    QCOMPARE(Form2::openingPosition(screen), position);
    QVERIFY(screen.contains(QRect(position, QSize(461, 352))));
}

void TestStartup::icon_data() {
    QTest::addColumn<int>("size");
    for (int size : appicon::sizes())
        QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
}

void TestStartup::icon() {
    QFETCH(int, size);
    const QIcon icon = appicon::windowIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));

    // Each size is a real image of its own: transparent rounded corners and an
    // opaque tile.
    const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
    QCOMPARE(image.size(), QSize(size, size));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 4)), 255);
}

// Qt's standard buttons and file dialogs speak the program's language.
void TestStartup::qtTextsAreChinese() {
    QVERIFY(uilanguage::installQtTranslations());
    const auto isChinese = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; });
    };
    QMessageBox box;
    box.setDetailedText(QStringLiteral("1"));
    QStringList texts{box.addButton(QMessageBox::Ok)->text(),
                      box.addButton(QMessageBox::Cancel)->text()};
    box.show(); // lays out the details button
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>())
        texts << button->text();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    for (const char* name : {"fileNameLabel", "fileTypeLabel", "lookInLabel"})
        texts << controls::control<QLabel>(dialog, QLatin1String(name))->text();
    for (QAbstractButton* button : dialog.findChildren<QPushButton*>())
        texts << button->text();
    texts << QAbstractFileIconProvider().type(QFileInfo(QDir::tempPath()));
    for (const QString& text : texts)
        QVERIFY2(isChinese(text), qPrintable(text));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
