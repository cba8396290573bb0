#include "cli/CliCommands.h"
#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
#include "support/TestData.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct CliResult {
    int status;
    QString out;
    QString err;
};

CliResult runCli(QStringList arguments, QIODevice* data = nullptr) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    arguments.prepend(QStringLiteral("veltrace-cli"));
    const int status = cli::run(arguments, {outStream, errStream, false, data});
    return {status, out, err};
}

// Fields that would otherwise come from today's clock.
const QStringList kFixedClock{QStringLiteral("--field"), QStringLiteral("8=3/7/2026"),
                              QStringLiteral("--field"), QStringLiteral("11=14:05:09")};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void renderIsReproducibleAndMatchesTheWindow();
    void renderDerivesTheDistanceUnlessGiven();
    void renderWritesWhereTold_data();
    void renderWritesWhereTold();
    void batchMatchesTheWindowsBatch_data();
    void batchMatchesTheWindowsBatch();
    void rowFailuresGiveStatusOne_data();
    void rowFailuresGiveStatusOne();
    void batchFillsATemplate();
    void badInvocations_data();
    void badInvocations();
    void unreadableInputsWriteNothing();
    void helpAndVersion_data();
    void helpAndVersion();
};

void TestCli::renderIsReproducibleAndMatchesTheWindow() {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("a.png"));
    const QString second = dir.filePath(QStringLiteral("b.png"));
    const QStringList common =
        QStringList{QStringLiteral("render"), QStringLiteral("--seed"), QStringLiteral("7"),
                    QStringLiteral("--field"), QStringLiteral("0=段X")} +
        kFixedClock;
    QCOMPARE(runCli(common + QStringList{QStringLiteral("-o"), first}).status, 0);
    QCOMPARE(runCli(common + QStringList{QStringLiteral("--output=") + second}).status, 0);
    QFile a(first), b(second);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());

    FakePlatform fakes;
    fakes.random.seed(7);
    Form1 form(fakes.platform());
    form.setFieldText(Field::Segment, QStringLiteral("段X"));
    form.setFieldText(Field::Date, QStringLiteral("3/7/2026"));
    form.setFieldText(Field::Time, QStringLiteral("14:05:09"));
    QVERIFY(form.generate());
    QCOMPARE(QImage(first).convertToFormat(QImage::Format_RGB32),
             form.canvas().Image().convertToFormat(QImage::Format_RGB32));

    const QString other = dir.filePath(QStringLiteral("c.png"));
    runCli(QStringList{QStringLiteral("render"), QStringLiteral("--seed"), QStringLiteral("8"),
                       QStringLiteral("-o"), other} +
           kFixedClock);
    QVERIFY(QImage(other) != QImage(first));
}

void TestCli::renderDerivesTheDistanceUnlessGiven() {
    QTemporaryDir dir;
    const auto render = [&](const QString& name, const QStringList& options) {
        const QString path = dir.filePath(name);
        const QStringList arguments =
            QStringList{QStringLiteral("render"), QStringLiteral("-o"), path} + options +
            kFixedClock;
        return runCli(arguments).status == 0 ? QImage(path) : QImage();
    };
    // The band below the plot area holds the distance labels and the legend,
    // which depend on the test distance alone (the lobe is centred in all three).
    const auto labels = [](const QImage& image) { return image.copy(0, 210, image.width(), 25); };
    const QImage centred =
        render(QStringLiteral("centred.png"),
               {QStringLiteral("--centred"), QStringLiteral("--field"), QStringLiteral("1=10")});
    const QImage given =
        render(QStringLiteral("given.png"), {QStringLiteral("--field"), QStringLiteral("3=20"),
                                             QStringLiteral("--field"), QStringLiteral("1=10")});
    const QImage wider =
        render(QStringLiteral("wider.png"), {QStringLiteral("--field"), QStringLiteral("3=40"),
                                             QStringLiteral("--field"), QStringLiteral("1=20")});
    QVERIFY(!centred.isNull() && !given.isNull() && !wider.isNull());
    QCOMPARE(labels(given), labels(centred));
    QVERIFY(labels(wider) != labels(centred));
}

void TestCli::renderWritesWhereTold_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a file written before") << "file";
    QTest::newRow("standard output") << "-";
    // Written into as it is, never replaced by a file.
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a device") << "device";
}

void TestCli::renderWritesWhereTold() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QStringList render =
        QStringList{QStringLiteral("render"), QStringLiteral("--seed"), QStringLiteral("3")} +
        kFixedClock;
    const QString expectedPath = dir.filePath(QStringLiteral("expected.png"));
    QCOMPARE(runCli(render + QStringList{QStringLiteral("-o"), expectedPath}).status, 0);
    QFile expectedFile(expectedPath);
    QVERIFY(expectedFile.open(QIODevice::ReadOnly));
    const QByteArray expected = expectedFile.readAll();
    QVERIFY(expected.startsWith("\x89PNG"));

    QString output = dir.filePath(QStringLiteral("out.png"));
    QByteArray written;
    QBuffer data(&written);
    QVERIFY(data.open(QIODevice::WriteOnly));
    int fifo = -1;
    if (kind == u"file")
        QVERIFY(QFile::copy(expectedPath, output));
    if (kind == u"-")
        output = QStringLiteral("-");
    if (kind == u"fifo") {
        // Its reader is there before the writer, and the PNG fits into the
        // pipe, so that nothing waits.
        QCOMPARE(mkfifo(QFile::encodeName(output).constData(), 0600), 0);
        fifo = open(QFile::encodeName(output).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(fifo >= 0);
    }
    if (kind == u"device") {
        // A null device of its own where that can be made; the system's
        // otherwise, which an ordinary user cannot replace anyway.
        output = dir.filePath(QStringLiteral("null"));
        if (mknod(QFile::encodeName(output).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            output = QStringLiteral("/dev/null");
    }
    const CliResult result = runCli(render + QStringList{QStringLiteral("-o"), output}, &data);
    if (fifo >= 0) {
        char chunk[4096];
        for (ssize_t got; (got = read(fifo, chunk, sizeof chunk)) > 0;)
            written.append(chunk, got);
        close(fifo);
    }
    QCOMPARE(result.status, 0);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.out, QString());
    struct stat info;
    if (kind != u"-")
        QCOMPARE(lstat(QFile::encodeName(output).constData(), &info), 0);
    if (kind == u"file") {
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        written = file.readAll();
    }
    if (kind == u"fifo")
        QVERIFY(S_ISFIFO(info.st_mode));
    if (kind == u"device")
        QVERIFY(S_ISCHR(info.st_mode));
    else
        QCOMPARE(written, expected);
}

void TestCli::batchMatchesTheWindowsBatch_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("ratio");
    QTest::addColumn<int>("rows");
    QTest::newRow("ratio 1") << "complete.xlsx" << 1 << 5;
    QTest::newRow("ratio 2") << "complete.xlsx" << 2 << 5;
    // Each row derives its test distance anew, also from a length the field
    // holds already: one draw each, in the window as on the command line.
    QTest::newRow("equal lengths") << "equal-lengths.xlsx" << 1 << 2;
}

void TestCli::batchMatchesTheWindowsBatch() {
    QFETCH(QString, file);
    QFETCH(int, ratio);
    QFETCH(int, rows);
    QTemporaryDir dir;
    const QString workbook = workbookData(file);
    const QString cliDoc = dir.filePath(QStringLiteral("cli.docx"));
    const CliResult result = runCli(
        QStringList{QStringLiteral("batch"), workbook, QStringLiteral("--into"), cliDoc,
                    QStringLiteral("--specified-time"), QStringLiteral("--seed"),
                    QStringLiteral("5"), QStringLiteral("--pixel-ratio"), QString::number(ratio)} +
        kFixedClock);
    QCOMPARE(result.status, 0);
    QVERIFY(result.out.trimmed()
                .split(QLatin1Char('\n'))
                .last()
                .contains(QStringLiteral("Appended %1 plots to ").arg(rows) + cliDoc));

    FakePlatform fakes;
    Form1 form(fakes.platform());
    controls::pictureRatio(form, ratio)->trigger();
    const QString windowDoc = dir.filePath(QStringLiteral("window.docx"));
    fakes.dialogs.fileAnswers = {windowDoc, workbook};
    form.generate();
    form.save();
    form.importData();
    controls::check(form, 2)->setChecked(true);
    form.setFieldText(Field::Time, QStringLiteral("14:05:09"));
    fakes.random.seed(5);
    form.runBatch();

    const QList<QImage> fromCli = docxinspect::pictures(cliDoc);
    QList<QImage> fromWindow = docxinspect::pictures(windowDoc);
    QCOMPARE(fromCli.size(), rows);
    QCOMPARE(fromWindow.size(), rows + 1);
    fromWindow.removeFirst(); // the window's first, manual save
    for (int i = 0; i < fromCli.size(); ++i) {
        QVERIFY2(fromCli[i] == fromWindow[i], qPrintable(QString::number(i)));
        QCOMPARE(fromCli[i].size(), QSize(601, 289) * ratio);
    }
}

void TestCli::rowFailuresGiveStatusOne_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<QStringList>("said");
    // A row without a VSWR of its own gives no plot and fails the run; the
    // empty row is skipped.
    QTest::newRow("empty VSWR refused")
        << QStringList{} << 1 << 3
        << QStringList{"第4行：空行，已跳过", "第5行（3扇区）：B列（驻波比）为空，该行未生成驻波图",
                       "read 5 rows: 3 plotted, 1 refused, 1 empty and skipped"};
    // Values taken from above are listed, and are no failure.
    QTest::newRow("carried") << QStringList{"--carry-empty"} << 0 << 4
                             << QStringList{"第5行 驻波比为空，沿用上一行的 1.25",
                                            "4 plotted, 0 refused, 1 empty and skipped, 1 with "
                                            "values from the row above"};
    // A document held by an office program: the plots wait, and with the
    // process they are gone, which the status must say.
    QTest::newRow("document held")
        << QStringList{"--held"} << 1 << 0
        << QStringList{"3 plots were not written to", "3 plotted, 1 refused"};
}

void TestCli::rowFailuresGiveStatusOne() {
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(int, pictures);
    QFETCH(QStringList, said);
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("basic.docx"));
    if (options.removeAll(QStringLiteral("--held")) > 0) {
        QFile lock(dir.filePath(QStringLiteral(".~lock.basic.docx#")));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(",someone,host,07.03.2026 14:05,file:///home/someone/.config/libreoffice/4;");
    }
    const CliResult result =
        runCli(QStringList{QStringLiteral("batch"), workbookData(QStringLiteral("basic.xlsx")),
                           QStringLiteral("--into"), doc} +
               options);
    QCOMPARE(result.status, status);
    for (const QString& text : said)
        QVERIFY2(result.err.contains(text), qPrintable(result.err));
    QCOMPARE(docxinspect::pictures(doc).size(), pictures);
}

void TestCli::batchFillsATemplate() {
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("template.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("template-python-docx.docx")), doc));
    QFile::setPermissions(doc, QFile::ReadOwner | QFile::WriteOwner);
    const CliResult result =
        runCli({QStringLiteral("batch"), workbookData(QStringLiteral("basic.xlsx")),
                QStringLiteral("--into"), doc});
    // What the template's placeholders cannot do is a note; the refused row
    // 3扇区 is what fails the run, and its placeholder stays.
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out.trimmed(), QStringLiteral("Appended 3 plots to %1 (3 into placeholders, "
                                                  "0 at the end)")
                                       .arg(doc));
    for (const QString& note : {QStringLiteral("页眉"), QStringLiteral("不止一个"),
                                QStringLiteral("“9扇区”"), QStringLiteral("“3扇区”")})
        QVERIFY2(result.err.contains(QStringLiteral("veltrace-cli: note: ")) &&
                     result.err.contains(note),
                 qPrintable(result.err));
    const QStringList descriptions = docxinspect::pictureDescriptions(doc);
    QCOMPARE(descriptions.size(), 3);
    QVERIFY2(descriptions[0].contains(QStringLiteral("2扇区")) &&
                 descriptions[1].contains(QStringLiteral("1扇区")) &&
                 descriptions[2].contains(QStringLiteral("4扇区")),
             qPrintable(descriptions.join(u',')));
}

void TestCli::badInvocations_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentioned");
    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{"draw"} << "draw";
    // Qt's parser names an unknown option without its dashes.
    QTest::newRow("unknown option")
        << QStringList{"render", "--colour", "-o", "x.png"} << "'colour'";
    QTest::newRow("unknown option, no command") << QStringList{"--colour"} << "'colour'";
    QTest::newRow("option of the other command")
        << QStringList{"render", "--into", "a.docx", "-o", "x.png"} << "'into'";
    QTest::newRow("missing value") << QStringList{"render", "-o"} << "'-o'";
    QTest::newRow("render with an operand")
        << QStringList{"render", "a.xlsx", "-o", "x.png"} << "a.xlsx";
    QTest::newRow("batch with two workbooks")
        << QStringList{"batch", "a.xlsx", "b.xlsx", "--into", "a.docx"} << "WORKBOOK";
    QTest::newRow("field out of range")
        << QStringList{"render", "--field", "14=x", "-o", "x.png"} << "14=x";
    QTest::newRow("negative field")
        << QStringList{"render", "--field=-1=x", "-o", "x.png"} << "-1=x";
    QTest::newRow("field without text")
        << QStringList{"render", "--field", "3", "-o", "x.png"} << "3";
    QTest::newRow("bad seed") << QStringList{"render", "--seed", "abc", "-o", "x.png"} << "abc";
    QTest::newRow("render without output") << QStringList{"render"} << "-o";
    QTest::newRow("batch without document") << QStringList{"batch", "a.xlsx"} << "--into";
    QTest::newRow("batch without workbook")
        << QStringList{"batch", "--into", "a.docx"} << "WORKBOOK";
    QTest::newRow("non-numeric length")
        << QStringList{"render", "--field", "1=abc", "-o", "x.png"} << "您的输入有错";
    QTest::newRow("rows beyond --max-rows")
        << QStringList{"batch",      workbookData(QStringLiteral("basic.xlsx")),
                       "--into",     "a.docx",
                       "--max-rows", "3"}
        << "has 4 rows with values, more than --max-rows 3";
    QTest::newRow("bad --max-rows")
        << QStringList{"batch", "a.xlsx", "--into", "a.docx", "--max-rows", "many"} << "many";
    QTest::newRow("limit below 1")
        << QStringList{"batch", "a.xlsx", "--into", "a.docx", "--limit", "0.8"}
        << "--limit wants a VSWR of at least 1, not \"0.8\"";
    QTest::newRow("pixel ratio 0") << QStringList{"render", "--pixel-ratio", "0", "-o", "x.png"}
                                   << "--pixel-ratio wants 1, 2 or 3, not \"0\"";
    QTest::newRow("pixel ratio 4")
        << QStringList{"batch", "a.xlsx", "--into", "a.docx", "--pixel-ratio", "4"}
        << "--pixel-ratio wants 1, 2 or 3, not \"4\"";
    QTest::newRow("pixel ratio abc") << QStringList{"render", "--pixel-ratio=abc", "-o", "x.png"}
                                     << "--pixel-ratio wants 1, 2 or 3, not \"abc\"";
}

void TestCli::badInvocations() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentioned);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const CliResult result = runCli(arguments);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(mentioned), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestCli::unreadableInputsWriteNothing() {
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("new.docx"));
    CliResult result =
        runCli({QStringLiteral("batch"), dir.filePath(QStringLiteral("missing.xlsx")),
                QStringLiteral("--into"), doc});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("missing.xlsx")));

    const QString notDocx = dir.filePath(QStringLiteral("notes.docx"));
    QFile file(notDocx);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("plain text");
    file.close();
    result = runCli({QStringLiteral("batch"), workbookData(QStringLiteral("basic.xls")),
                     QStringLiteral("--into"), notDocx});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("notes.docx")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("plain text"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("notes.docx")});
}

void TestCli::helpAndVersion_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    const QString version = QStringLiteral("veltrace-cli " VELTRACE_VERSION "\n");
    QTest::newRow("help") << QStringList{"--help"}
                          << QStringList{"render",           "batch",
                                         "Exit status",      "-v, --version",
                                         "--field <N=TEXT>", "[batch] The document"}
                          << QStringList{"[render] Sets"};
    QTest::newRow("help of render") << QStringList{"render", "-h"}
                                    << QStringList{"--field <N=TEXT>", "--centred", "--seed <S>",
                                                   "-o, --output <FILE.png>", "--pixel-ratio <N>"}
                                    << QStringList{"--into", "--specified-time", "[render]"};
    QTest::newRow("help of batch")
        << QStringList{"batch", "--help", "--field", "1=2"}
        << QStringList{"WORKBOOK", "--into <DOCUMENT.docx>", "--specified-time", "--field",
                       "--pixel-ratio <N>"}
        << QStringList{"--output"};
    QTest::newRow("version") << QStringList{"--version"} << QStringList{version} << QStringList{};
    QTest::newRow("version of a command")
        << QStringList{"batch", "-v"} << QStringList{version} << QStringList{};
}

void TestCli::helpAndVersion() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    const CliResult result = runCli(arguments);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    for (const QString& text : shown)
        QVERIFY2(result.out.contains(text), qPrintable(text + QLatin1Char('\n') + result.out));
    for (const QString& text : notShown)
        QVERIFY2(!result.out.contains(text), qPrintable(text + QLatin1Char('\n') + result.out));
    QVERIFY(result.out.startsWith(QStringLiteral("veltrace-cli ")) ||
            result.out.startsWith(QStringLiteral("Usage: ")));
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
