#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/window/WindowTest.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

// Drawing a plot in the main window: the whole plot, repaints, a drawing that
// cannot finish or is interrupted, copying it and the picture ratio chosen.
namespace {

using controls::field;

bool imageHasColor(const QImage& image, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (color & 0xffffff))
                return true;
    return false;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestPlotDrawing : public WindowTest {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void generateDrawsTheWholePlot();
    void altCGenerates();
    void drawingRepaintsAtMostOnceAFrame();
    void badTestDistanceStopsTheFrame_data();
    void badTestDistanceStopsTheFrame();
    void generateDuringADrawingIsIgnored();
    void closeDuringADrawingWaitsForIt_data();
    void closeDuringADrawingWaitsForIt();
    void twoGeneratesDifferInRippleOnly();
    void copyPutsThePlotOnTheClipboard();
    void copyReportsAClipboardFailure();
    void pictureRatioChosenOnThePlot_data();
    void pictureRatioChosenOnThePlot();
};

void TestPlotDrawing::generateDrawsTheWholePlot() {
    QVERIFY(m_form->generate());
    const Canvas& canvas = m_form->canvas();
    QVERIFY(printed(canvas, QStringLiteral("M1:1.18 @ 13.5Meter")));
    QVERIFY(printed(canvas, QStringLiteral("M1")));
    QVERIFY(printed(canvas, QStringLiteral("R")));
    QVERIFY(imageHasColor(canvas.Image(), qRgb(0, 117, 0)));
    QVERIFY(imageHasColor(canvas.Image(), qRgb(0, 0, 200)));
    QCOMPARE(m_fakes->yield.count, 17);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestPlotDrawing::drawingRepaintsAtMostOnceAFrame() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    PaintCounter counter;
    controls::plot(*m_form)->installEventFilter(&counter);
    m_fakes->yield.onYield = [](int) { QCoreApplication::processEvents(); };
    QVERIFY(m_form->generate());
    // Seventeen yields in a few milliseconds are not seventeen repaints, and
    // the finished plot still reaches the screen a frame later.
    const int duringDrawing = counter.paints;
    QVERIFY2(duringDrawing < m_fakes->yield.count, qPrintable(QString::number(duringDrawing)));
    QTRY_VERIFY(counter.paints > duringDrawing);
}

void TestPlotDrawing::altCGenerates() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    field(*m_form, 0)->setFocus();
    QTest::keyClick(field(*m_form, 0), Qt::Key_C, Qt::AltModifier);
    // A mnemonic presses the button visibly first, so the click comes a moment later.
    QTRY_VERIFY(printed(m_form->canvas(), QStringLiteral("M1")));
}

void TestPlotDrawing::badTestDistanceStopsTheFrame_data() {
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("advice");
    QTest::newRow("text") << "abc"
                          << "请在“测试距离”中填写数字！";
    // A number, but too large to label the scale: the advice says so.
    QTest::newRow("too large") << "1e308"
                               << "请在“测试距离”中填写较小的数字！";
    QTest::newRow("too large and long")
        << QStringLiteral("9").repeated(400) << "请在“测试距离”中填写较小的数字！";
}

void TestPlotDrawing::badTestDistanceStopsTheFrame() {
    QFETCH(QString, distance);
    QFETCH(QString, advice);
    m_form->setFieldText(Field::TestDistance, distance);
    QVERIFY(!m_form->generate());
    QVERIFY(!printed(m_form->canvas(), QStringLiteral("M1")));
    QVERIFY(printed(m_form->canvas(), QStringLiteral("Distance(0.00-%1.00Meter)").arg(distance)));
    const QStringList errors = m_fakes->dialogs.criticalTexts();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().contains(QStringLiteral("测试距离")));
    QVERIFY2(errors.first().endsWith(advice), qPrintable(errors.first()));
    // A long text is quoted short.
    QVERIFY(errors.first().size() < 200);
}

void TestPlotDrawing::generateDuringADrawingIsIgnored() {
    int refused = 0;
    m_fakes->yield.onYield = [&](int) {
        if (!m_form->generate())
            ++refused;
    };
    QVERIFY(m_form->generate());
    QCOMPARE(refused, 17);
    QCOMPARE(m_form->canvas().pointCount(), 113112);
    QVERIFY(!m_form->isDrawing());
}

void TestPlotDrawing::closeDuringADrawingWaitsForIt_data() {
    QTest::addColumn<QString>("feeder");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<bool>("whole");
    // An ordinary plot is finished first.
    QTest::newRow("ordinary plot") << "13.5"
                                   << "20" << true;
    // The most bumps a ripple can have: the drawing is abandoned at its next
    // chance to let events run, not drawn for a third of a second more.
    QTest::newRow("longest ripple") << "21474836"
                                    << "42949672" << false;
}

void TestPlotDrawing::closeDuringADrawingWaitsForIt() {
    QFETCH(QString, feeder);
    QFETCH(QString, distance);
    QFETCH(bool, whole);
    m_form->setFieldText(Field::FeederLength, feeder);
    m_form->setFieldText(Field::TestDistance, distance);
    m_form->show();
    bool stillOpen = true;
    m_fakes->yield.onYield = [&](int count) {
        if (count == 3)
            stillOpen = !m_form->close();
    };
    QVERIFY(m_form->generate());
    QVERIFY(stillOpen);
    if (whole)
        QCOMPARE(m_form->canvas().pointCount(), 113112);
    // The axis caption comes last: it is there only when the plot is whole.
    const auto& texts = m_form->canvas().printedTexts();
    QCOMPARE(!texts.isEmpty() && texts.last().text == QStringLiteral("R"), whole);
    QVERIFY(!m_form->isVisible());
}

void TestPlotDrawing::twoGeneratesDifferInRippleOnly() {
    m_form->generate();
    const QImage first = m_form->canvas().Image();
    QStringList firstTexts;
    for (const auto& t : m_form->canvas().printedTexts())
        firstTexts << t.text;
    m_form->generate();
    QStringList secondTexts;
    for (const auto& t : m_form->canvas().printedTexts())
        secondTexts << t.text;
    QCOMPARE(secondTexts, firstTexts);
    QVERIFY(m_form->canvas().Image() != first);
}

void TestPlotDrawing::copyPutsThePlotOnTheClipboard() {
    m_form->copy();
    QCOMPARE(m_fakes->clipboard.image.size(), QSize(601, 289));
    QVERIFY(!imageHasColor(m_fakes->clipboard.image, qRgb(0, 0, 0)));
    QCOMPARE(m_fakes->dialogs.informationTexts(),
             QStringList{QStringLiteral("已复制当前驻波图形，请粘贴到所需要位置！")});
    m_form->generate();
    m_form->copy();
    QCOMPARE(m_fakes->clipboard.image, m_form->canvas().Image());
    QCOMPARE(m_fakes->clipboard.clears, 2);
}

void TestPlotDrawing::copyReportsAClipboardFailure() {
    m_fakes->clipboard.failSet = true;
    m_form->copy();
    QVERIFY(m_fakes->clipboard.image.isNull());
    QCOMPARE(m_fakes->dialogs.criticalTexts().size(), 1);
    QVERIFY(m_fakes->dialogs.informationTexts().isEmpty());
}

void TestPlotDrawing::pictureRatioChosenOnThePlot_data() {
    QTest::addColumn<QVariant>("stored"); // in the settings before the window opens
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("chosen");
    QTest::newRow("nothing stored, choose 2") << QVariant() << 1 << 2;
    QTest::newRow("2 stored, choose 3") << QVariant(2) << 2 << 3;
    QTest::newRow("3 stored, choose 1") << QVariant(3) << 3 << 1;
    QTest::newRow("damaged: not a number") << QVariant(QStringLiteral("abc")) << 1 << 3;
    QTest::newRow("damaged: out of range") << QVariant(7) << 1 << 2;
}

void TestPlotDrawing::pictureRatioChosenOnThePlot() {
    QFETCH(QVariant, stored);
    QFETCH(int, start);
    QFETCH(int, chosen);
    if (stored.isValid())
        m_fakes->settings.setValue(QStringLiteral("plot/pictureRatio"), stored);
    Form1 form(m_fakes->platform());
    QVERIFY(controls::pictureRatio(form, start)->isChecked());
    // A right click on the plot opens the menu that offers the choice.
    auto* plot = controls::plot(form);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(300, 100),
                            plot->mapToGlobal(QPoint()));
    QCoreApplication::sendEvent(plot, &click);
    QVERIFY(controls::control<QMenu>(*plot, QStringLiteral("p1Menu"))->isVisible());

    // Copy hands out the picture at the chosen ratio, of the same logical size.
    QVERIFY(form.generate());
    controls::pictureRatio(form, chosen)->trigger();
    form.copy();
    QCOMPARE(m_fakes->clipboard.image.size(), QSize(601, 289) * chosen);
    QCOMPARE(m_fakes->clipboard.image.deviceIndependentSize(), QSizeF(601, 289));
    QCOMPARE(plot->geometry(), QRect(0, 0, 601, 289));
    // The next window starts with it.
    Form1 next(m_fakes->platform());
    QCOMPARE(next.canvas().pictureRatio(), chosen);
    QVERIFY(controls::pictureRatio(next, chosen)->isChecked());
}

QTEST_MAIN(TestPlotDrawing)
#include "tst_plotdrawing.moc"
