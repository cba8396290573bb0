// The batch without a window: what a row becomes, what a run counts, and
// when the report session writes.
#include "batch/BatchController.h"
#include "batch/BatchReport.h"
#include "batch/BatchRow.h"
#include "batch/ReportSession.h"
#include "platform/EventYield.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
#include "support/TestData.h"
#include "trace/Canvas.h"
#include "trace/FieldSet.h"
#include "trace/MapFields.h"
#include "workbook/Workbook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

Q_DECLARE_METATYPE(batchrow::Row)

namespace {

CellValue num(double value) {
    return CellValue::fromNumber(value);
}
CellValue txt(const QString& text) {
    return CellValue::fromText(text);
}
const CellValue none;

// A plan in one line: "plot 0=1扇区 2=1.18 …", "refuse B:not a number:abc",
// "skip"; values taken from above follow as "carried B:1.25".
QString describe(const batchrow::Plan& plan) {
    using Cause = batchrow::CellFault::Cause;
    static const QHash<Cause, QString> causes{{Cause::Empty, "empty"},
                                              {Cause::NoLength, "no length"},
                                              {Cause::NotANumber, "not a number"},
                                              {Cause::TooLarge, "too large"},
                                              {Cause::BelowOne, "below one"},
                                              {Cause::NotPositive, "not positive"}};
    QStringList parts;
    switch (plan.fate) {
    case batchrow::Plan::Fate::Skip:
        return QStringLiteral("skip");
    case batchrow::Plan::Fate::Plot:
        parts << QStringLiteral("plot");
        for (const FieldWrite& write : plan.writes)
            parts << QStringLiteral("%1=%2").arg(indexOf(write.field)).arg(write.text);
        break;
    case batchrow::Plan::Fate::Refuse:
        parts << QStringLiteral("refuse");
        for (const batchrow::CellFault& fault : plan.faults)
            parts << QStringLiteral("%1:%2:%3")
                         .arg(QChar(u'A' + fault.column))
                         .arg(causes.value(fault.cause), fault.text);
        break;
    }
    for (const batchrow::Carried& carried : plan.carried)
        parts << QStringLiteral("carried %1:%2").arg(QChar(u'A' + carried.column), carried.value);
    return parts.join(u' ');
}

// What a batch controller runs on: a report session, the fields drawn with
// a fixed seed, and the plot canvas.
struct BatchRig {
    FakeClock clock;
    ReportSession session{clock};
    MersenneRandom random{3};
    FieldSet fields{random};
    Canvas canvas = Canvas::plotCanvas();
};

} // namespace

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void rowRules_data();
    void rowRules();
    void runCountsEveryRow();
    void countsOnlyWhatTheDocumentHolds();
    void countsWhatItsOwnRunFilled();
    void writesOnTheBatchInterval();
    void slowWritesHoldTheBatchBack();
    void eventsRunAtMostOnceAFrame();
};

void TestBatch::rowRules_data() {
    QTest::addColumn<batchrow::Row>("row");
    QTest::addColumn<QString>("options");    // "time": column E is read; "carry": empty cells carry
    QTest::addColumn<QString>("above");      // the segment of the rows above
    QTest::addColumn<QStringList>("fields"); // "N=TEXT": the fields as the rows above left them
    QTest::addColumn<QString>("plan");
    const QString time = QStringLiteral("time");
    const QString carry = QStringLiteral("carry");
    const QString thin = QStringLiteral(" 5=0.070dB/m 6=0.880 1=");
    const QString thick = QStringLiteral(" 5=0.110dB/m 6=0.880 1=");
    const auto row = [](CellValue a, CellValue b, CellValue c, CellValue d, CellValue e = {}) {
        return batchrow::Row{a, b, c, d, e};
    };
    const auto add = [](const char* name, batchrow::Row cells, const QString& options,
                        const QString& above, const QStringList& fields, const QString& plan) {
        QTest::newRow(name) << cells << options << above << fields << plan;
    };
    // The columns as they are written.
    add("thin feeder", row(txt("1扇区"), num(1.18), none, num(25.36)), {}, {}, {},
        "plot 0=1扇区 2=1.18" + thin + "25.4");
    add("thick feeder, whatever D holds", row(txt("2扇区"), num(1.25), num(8), num(30)), {}, {}, {},
        "plot 0=2扇区 2=1.25" + thick + "8.0");
    add("time from E", row(txt("1"), num(1.3), num(8), none, txt("14:05:09")), time, {}, {},
        "plot 0=1 2=1.3 11=14:05:09" + thick + "8.0");
    add("no time in E: none on the plot", row(txt("1"), num(1.3), num(8), none), time, {}, {},
        "plot 0=1 2=1.3 11=" + thick + "8.0");
    add("VSWR as typed in full width", row(txt("1"), txt("１．１８"), num(8), none), {}, {}, {},
        "plot 0=1 2=１．１８" + thick + "8.0");
    add("a number of a mixed column", row(txt("1"), CellValue::numberAsText(1.2), num(8), none), {},
        {}, {}, "plot 0=1 2=1.2" + thick + "8.0");
    add("VSWR of exactly 1", row(txt("1"), num(1), num(8), none), {}, {}, {},
        "plot 0=1 2=1" + thick + "8.0");
    add("a long feeder has no bound", row(txt("1"), num(1.2), num(99999), none), {}, {}, {},
        "plot 0=1 2=1.2" + thick + "99999.0");
    add("empty row", row(none, none, none, none), carry, "1扇区", {}, "skip");
    // Values that are not in the workbook are never drawn.
    add("empty VSWR", row(txt("3扇区"), none, num(12.5), none), {}, {}, {}, "refuse B:empty:");
    add("text VSWR", row(txt("1"), txt("abc"), num(8), none), {}, {}, {},
        "refuse B:not a number:abc");
    add("VSWR with a trailing letter", row(txt("1"), txt("1.3x"), num(8), none), {}, {}, {},
        "refuse B:not a number:1.3x");
    add("superscript digit", row(txt("1"), txt("1.1²"), num(8), none), {}, {}, {},
        "refuse B:not a number:1.1²");
    add("VSWR beyond a double", row(txt("1"), txt("1e400"), num(8), none), {}, {}, {},
        "refuse B:too large:1e400");
    add("date as VSWR", row(txt("1"), *CellValue::fromIsoText("2026-12-07"), num(8), none), {}, {},
        {}, "refuse B:not a number:2026-12-07");
    add("VSWR below 1", row(txt("1"), num(0.5), num(8), none), {}, {}, {},
        "refuse B:below one:0.5");
    add("no feeder length", row(txt("1"), num(1.2), none, none), {}, {}, {}, "refuse C:no length:");
    add("negative length", row(txt("1"), num(1.2), none, num(-5)), {}, {}, {},
        "refuse D:not positive:-5");
    add("length that rounds to 0", row(txt("1"), num(1.2), num(0.04), none), {}, {}, {},
        "refuse C:not positive:0.04");
    add("text length", row(txt("1"), num(1.2), txt("abc"), num(3)), {}, {}, {},
        "refuse C:not a number:abc");
    add("every fault listed", row(txt("1"), txt("x"), none, none), {}, {}, {},
        "refuse B:not a number:x C:no length:");
    // An empty segment takes the one above, as merged cells leave it.
    add("segment from above", row(none, num(1.2), num(8), none), {}, "2扇区", {},
        "plot 0=2扇区 2=1.2" + thick + "8.0 carried A:2扇区");
    add("no segment above", row(none, num(1.2), num(8), none), {}, {}, {}, "refuse A:empty:");
    // With carry, an empty cell keeps what the field holds, when it can be drawn.
    add("carried VSWR", row(txt("3扇区"), none, num(12.5), none), carry, {}, {"2=1.25"},
        "plot 0=3扇区" + thick + "12.5 carried B:1.25");
    add("nothing to carry", row(txt("3扇区"), none, num(12.5), none), carry, {}, {"2="},
        "refuse B:empty:");
    add("impossible value not carried", row(txt("3扇区"), none, num(12.5), none), carry, {},
        {"2=0.5"}, "refuse B:empty:");
    add("carried length and time", row(txt("3扇区"), num(1.2), none, none), carry + time, {},
        {"11=09:00:00"},
        "plot 0=3扇区 2=1.2 5=0.070dB/m 6=0.880 carried E:09:00:00 carried D:13.5");
    add("carried segment", row(none, num(1.2), num(8), none), carry, "2扇区", {},
        "plot 2=1.2" + thick + "8.0 carried A:T1-B1F--T2-B1F");
}

void TestBatch::rowRules() {
    QFETCH(batchrow::Row, row);
    QFETCH(QString, options);
    QFETCH(QString, above);
    QFETCH(QStringList, fields);
    QFETCH(QString, plan);
    MapFields held = MapFields::defaults();
    for (const QString& field : fields)
        held.texts[*fieldAt(field.section(u'=', 0, 0).toInt())] = field.section(u'=', 1);
    const batchrow::Options rules{options.contains(QStringLiteral("time")),
                                  options.contains(QStringLiteral("carry"))};
    QCOMPARE(describe(batchrow::plan(row, held, above, rules)), plan);
}

// One run of a workbook with every kind of row, without a window: the counts,
// the list, the document and the clipboard.
void TestBatch::runCountsEveryRow() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    BatchRig rig;
    ReportSession& session = rig.session;
    QCOMPARE(session.setTarget(path).message(), QString());
    FakeClipboard clipboard;
    struct FrontEnd : BatchFrontEnd {
        void progress(int read, int) override { progressed.append(read); }
        EventYield& events() override { return yield; }
        CountingYield yield;
        void rowRefused(const RowReport& report) override { refused.append(report.sheetRow); }
        QList<int> progressed;
        QList<int> refused;
    } frontEnd;
    BatchController controller(rig.fields, rig.canvas, rig.random, session, frontEnd);
    controller.setClipboard(&clipboard);
    const BatchSummary summary =
        controller.run(workbookData(QStringLiteral("basic.xlsx")), 5, {false, false});

    QCOMPARE(frontEnd.progressed, (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(frontEnd.refused, QList<int>{5});
    QCOMPARE((QList<int>{summary.read, summary.plotted, summary.skipped, summary.refused,
                         summary.carried, summary.written, summary.waiting}),
             (QList<int>{5, 3, 1, 1, 0, 3, 0}));
    QVERIFY(!summary.complete());
    QCOMPARE(batchreport::lines(summary),
             (QStringList{QStringLiteral("第4行：空行，已跳过"),
                          QStringLiteral("第5行（3扇区）：B列（驻波比）为空，该行未生成驻波图")}));
    const QStringList descriptions = docxinspect::pictureDescriptions(path);
    QCOMPARE(descriptions.size(), 3);
    QVERIFY(descriptions[2].contains(QStringLiteral("4扇区")));
    // The fields and the canvas keep the last plotted row, and the clipboard
    // got its plot once, at the end.
    QCOMPARE(rig.fields.text(Field::Segment), QStringLiteral("4扇区"));
    QCOMPARE(clipboard.sets, 1);
    QCOMPARE(clipboard.image, rig.canvas.Image());
    QVERIFY(summary.lastPlotQueued);
}

// The document is deleted after the first rows were written: it is made
// anew, and the count is of what it holds, not of what went into the lost one.
void TestBatch::countsOnlyWhatTheDocumentHolds() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    BatchRig rig;
    ReportSession& session = rig.session;
    QCOMPARE(session.setTarget(path).message(), QString());
    struct FrontEnd : BatchFrontEnd {
        explicit FrontEnd(ReportSession& report, const QString& document)
            : session(report), path(document) {}
        void progress(int read, int) override {
            if (read == 2) {
                QCOMPARE(session.flush().message(), QString());
                QVERIFY(QFile::remove(path));
            }
        }
        EventYield& events() override { return yield; }
        ReportSession& session;
        QString path;
        CountingYield yield;
    } frontEnd(session, path);
    BatchController controller(rig.fields, rig.canvas, rig.random, session, frontEnd);
    const BatchSummary summary =
        controller.run(workbookData(QStringLiteral("basic.xlsx")), 5, {false, false});

    QCOMPARE(summary.plotted, 3);
    QVERIFY(summary.recreated);
    const int held = docxinspect::pictureDescriptions(path).size();
    QCOMPARE(held, 1);
    QCOMPARE(session.writtenPictures(), held);
    QCOMPARE(summary.written, held);
    QCOMPARE(session.places().total(), held);
}

// Two runs into one template: the first fills it and takes it away, so the
// second, counting only what was filled since it began, fills nothing.
void TestBatch::countsWhatItsOwnRunFilled() {
    using namespace docxbuild;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeZip(path, minimalPackage(wordDocument(
                       para(QStringLiteral("共{{段数}}段")) +
                       table({2000}, {{QStringLiteral("|") + para(QStringLiteral("{{测试段}}"))}}) +
                       para(QStringLiteral("{{#每段}}")) + para(QStringLiteral("{{测试段}}")) +
                       para(QStringLiteral("{{/每段}}")) + kSection)));
    BatchRig rig;
    ReportSession& session = rig.session;
    QCOMPARE(session.setTarget(path).message(), QString());
    struct FrontEnd : BatchFrontEnd {
        void progress(int, int) override {}
        EventYield& events() override { return yield; }
        CountingYield yield;
    } frontEnd;
    BatchController controller(rig.fields, rig.canvas, rig.random, session, frontEnd);
    const auto counts = [&] {
        const docx::FillCounts filled =
            controller.run(workbookData(QStringLiteral("basic.xlsx")), 5, {false, false}).filled;
        return QList<int>{filled.tableRows, filled.sections, filled.summaryValues, filled.replaced};
    };
    QCOMPARE(counts(), (QList<int>{3, 3, 1, 0}));
    QCOMPARE(counts(), (QList<int>{0, 0, 0, 0}));
}

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

// A write still running when the most pictures wait is waited for, however
// slow; only writes that fail stop the pictures from being taken.
void TestBatch::slowWritesHoldTheBatchBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    FakeClock clock;
    ReportSession session(clock);
    session.setMaxPendingPictures(2);
    session.setBeforeCommit([] { QThread::msleep(30); });
    QCOMPARE(session.setTarget(path).message(), QString());
    QImage picture(601, 289, QImage::Format_RGB32);
    picture.fill(Qt::white);
    CountingYield yield;
    const auto appendOne = [&] {
        const Outcome room = session.waitForRoom(yield);
        if (!room.isOk())
            return room;
        const Outcome appended = session.append(picture, QStringLiteral("段"));
        clock.current = clock.current.addMSecs(ReportSession::kBatchWriteIntervalMs);
        return appended.isOk() ? session.flushIfDue() : appended;
    };
    for (int i = 0; i < 8; ++i)
        QCOMPARE(appendOne().message(), QString());
    QVERIFY(yield.waits > 0);
    QCOMPARE(session.flush().message(), QString());
    QCOMPARE(docxinspect::pictureDescriptions(path).size(), 8);

    // The document held by an office program: the writes fail, and once the
    // most pictures wait, the next is refused with the reason.
    QFile lock(dir.filePath(QStringLiteral(".~lock.report.docx#")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(",someone,host,07.03.2026 14:05,file:///home/someone/.config/libreoffice/4;");
    lock.close();
    Outcome outcome;
    int accepted = 0;
    while ((outcome = appendOne()).isOk() || outcome.kind() == Outcome::Kind::Busy)
        ++accepted;
    QCOMPARE(accepted, 2);
    QCOMPARE(outcome.kind(), Outcome::Kind::Lasting);
    QVERIFY2(outcome.message().contains(QStringLiteral("一直无法写入")),
             qPrintable(outcome.message()));
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
