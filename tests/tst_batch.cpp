// The report session without a window: when it writes during a batch.
#include "batch/ReportSession.h"
#include "platform/EventYield.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void writesOnTheBatchInterval();
    void eventsRunAtMostOnceAFrame();
};

void TestBatch::writesOnTheBatchInterval() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    FakeClock clock;
    ReportSession session(clock);
    QCOMPARE(session.setTarget(path).message(), QString());
    QImage picture(601, 289, QImage::Format_RGB32);
    picture.fill(Qt::white);

    // The written count once the outcome of a background write is taken.
    const auto written = [&] {
        const Outcome outcome = session.flushIfDue();
        return outcome.isOk() ? session.writtenPictures() : -1;
    };
    const auto appendOne = [&] {
        QCOMPARE(session.append(picture, QStringLiteral("段")).message(), QString());
        QCOMPARE(session.flushIfDue().message(), QString());
    };
    appendOne();
    clock.current = clock.current.addMSecs(ReportSession::kBatchWriteIntervalMs - 1);
    appendOne();
    // Not yet: the interval has not passed since the target was opened.
    QTest::qWait(50);
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(session.pendingPictures(), 2);

    clock.current = clock.current.addMSecs(1);
    appendOne(); // starts writing the three in the background
    QTRY_VERIFY(QFileInfo::exists(path));
    QTRY_COMPARE(written(), 3);
    QCOMPARE(session.pendingPictures(), 0);

    // The next write waits for the next interval.
    appendOne();
    QTest::qWait(50);
    QCOMPARE(written(), 3);
    QCOMPARE(session.flush().message(), QString());
    QCOMPARE(session.writtenPictures(), 4);
}

QTEST_MAIN(TestBatch)
// A drawing yields after every bump: the events run at the first yield, not
// again within the same frame, and again once a frame has passed.
void TestBatch::eventsRunAtMostOnceAFrame() {
    QtEventYield yield;
    int ran = 0;
    const auto post = [&] {
        QMetaObject::invokeMethod(
            qApp, [&] { ++ran; }, Qt::QueuedConnection);
    };
    post();
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    yield.yieldEvents();
    QCOMPARE(ran, 1);
    post();
    yield.yieldEvents();
    // Only when this thread was not held up for most of a frame in between.
    if (sinceFirst.elapsed() < 10)
        QCOMPARE(ran, 1);
    QTest::qSleep(20);
    yield.yieldEvents();
    QCOMPARE(ran, 2);
}

#include "tst_batch.moc"
