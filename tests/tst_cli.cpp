#include "cli/CliCommands.h"
#include "mainwindow/Form1.h"
#include "support/Controls.h"
#include "support/DocxInspect.h"
#include "support/Fakes.h"
#include "support/MakeWorkbook.h"
#include "support/TestData.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
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

// Sets the locale variables for the life of the object, and restores them.
class LocaleScope {
public:
    explicit LocaleScope(const QByteArrayList& settings) {
        for (const char* name : kNames)
            m_saved.append(qgetenv(name));
        for (const char* name : kNames)
            qunsetenv(name);
        for (const QByteArray& setting : settings) {
            const qsizetype equals = setting.indexOf('=');
            qputenv(setting.left(equals).constData(), setting.mid(equals + 1));
        }
    }
    ~LocaleScope() {
        for (int i = 0; i < 3; ++i) {
            if (m_saved[i].isEmpty())
                qunsetenv(kNames[i]);
            else
                qputenv(kNames[i], m_saved[i]);
        }
    }

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    QByteArrayList m_saved;
};

// Han characters, CJK punctuation and full-width forms, outside the
// placeholders a document holds ({{驻波比上限=V}}), which are typed as they are.
bool hasChinese(QString text) {
    static const QRegularExpression placeholder(QStringLiteral("\\{\\{[^}]*\\}\\}"));
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{3400}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.remove(placeholder).contains(chinese);
}

// Fields that would otherwise come from today's clock.
const QStringList kFixedClock{QStringLiteral("--field"), QStringLiteral("8=3/7/2026"),
                              QStringLiteral("--field"), QStringLiteral("11=14:05:09")};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
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
    void languageFollowsTheLocale_data();
    void languageFollowsTheLocale();
};

// The command line speaks English unless a row asks for another locale.
void TestCli::initTestCase() {
    qunsetenv("LANG");
    qunsetenv("LC_MESSAGES");
    qputenv("LC_ALL", "C");
}

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
        << QStringList{"row 4: empty, skipped",
                       "row 5 (3扇区): column B (VSWR) is empty; the row gave no plot",
                       "read 5 rows: 3 plotted, 1 refused, 1 empty and skipped"};
    // Values taken from above are listed, and are no failure.
    QTest::newRow("carried") << QStringList{"--carry-empty"} << 0 << 4
                             << QStringList{"row 5: VSWR empty, took 1.25 from the row above",
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
    for (const QString& note :
         {QStringLiteral("headers or footers"), QStringLiteral("more than one"),
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
        << QStringList{"render", "--field", "1=abc", "-o", "x.png"} << "Your input is wrong";
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

void TestCli::languageFollowsTheLocale_data() {
    QTest::addColumn<QByteArrayList>("locale");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("said");
    const QByteArrayList chinese{"LANG=zh_CN.UTF-8"};
    const QByteArrayList english{"LANG=en_US.UTF-8"};
    QTest::newRow("zh_CN: help") << chinese << "help" << 0
                                 << QStringList{"用法：", "退出状态：", "显示版本信息。",
                                                "--into <文档.docx>", "要添加驻波图的文档"};
    QTest::newRow("LC_ALL zh_CN: missing workbook")
        << QByteArrayList{"LANG=C", "LC_ALL=zh_CN.UTF-8"} << "missing workbook" << 2
        << QStringList{"veltrace-cli: 无法读取工作簿“", "”：文件不存在。"};
    QTest::newRow("LC_MESSAGES zh_TW: unknown option")
        << QByteArrayList{"LANG=en_GB.UTF-8", "LC_MESSAGES=zh_TW.UTF-8"} << "unknown option" << 2
        << QStringList{"未知的选项“colour”。", "参见“veltrace-cli render --help”。"};
    QTest::newRow("zh_CN: refused row")
        << chinese << "refused row" << 1
        << QStringList{"第4行（S2）：B列（驻波比）“abc”不是数字，该行未生成驻波图",
                       "读取 3 行：生成驻波图 1 张，1 行未生成，跳过空行 1 行", "已向“"};
    QTest::newRow("LC_ALL C over LANG zh_CN: help")
        << QByteArrayList{"LC_ALL=C", "LANG=zh_CN.UTF-8"} << "help" << 0
        << QStringList{"Usage: ", "Exit status: ", "Displays version information."};
    QTest::newRow("no locale: missing workbook")
        << QByteArrayList{} << "missing workbook" << 2
        << QStringList{"veltrace-cli: Cannot read workbook “", "”: the file does not exist."};
    QTest::newRow("en_US: damaged workbook")
        << english << "damaged workbook" << 2 << QStringList{"Cannot read workbook “"};
    QTest::newRow("en_US: not a document")
        << english << "not a document" << 2
        << QStringList{"is damaged and cannot be opened as .docx"};
    QTest::newRow("en_US: document held")
        << english << "document held" << 1
        << QStringList{"is open in another office program", "plots were not written to"};
    QTest::newRow("en_US: refused row")
        << english << "refused row" << 1
        << QStringList{"row 4 (S2): column B (VSWR) “abc” is not a number; the row gave no plot",
                       "row 3: empty, skipped", "read 3 rows: 1 plotted, 1 refused, 1 empty",
                       "Appended 1 plots to "};
    QTest::newRow("en_US: refused field")
        << english << "refused field" << 2
        << QStringList{"field 2 \"0.5\": VSWR “0.5” is less than 1!"};
    QTest::newRow("en_US: unknown option")
        << english << "unknown option" << 2 << QStringList{"Unknown option 'colour'."};
}

void TestCli::languageFollowsTheLocale() {
    QFETCH(QByteArrayList, locale);
    QFETCH(QString, input);
    QFETCH(int, status);
    QFETCH(QStringList, said);
    QTemporaryDir dir;
    const QString workbook = dir.filePath(QStringLiteral("rows.xlsx"));
    QVERIFY(makeWorkbook(workbook, {{"Segment", "VSWR", "Length", "Length", "Time"},
                                    {"S1", "1.2", "10", "", ""},
                                    {"", "", "", "", ""},
                                    {"S2", "abc", "10", "", ""}}));
    const QString doc = dir.filePath(QStringLiteral("report.docx"));
    QStringList arguments{QStringLiteral("batch"), workbook, QStringLiteral("--into"), doc};
    if (input == u"help")
        arguments = {QStringLiteral("--help")};
    if (input == u"missing workbook")
        arguments[1] = dir.filePath(QStringLiteral("missing.xlsx"));
    if (input == u"damaged workbook" || input == u"not a document") {
        const QString path = input == u"not a document" ? doc : workbook;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PK\x03\x04 neither a workbook nor a document");
    }
    if (input == u"document held") {
        QFile lock(dir.filePath(QStringLiteral(".~lock.report.docx#")));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(",someone,host,07.03.2026 14:05,file:///home/someone/.config/libreoffice/4;");
    }
    if (input == u"refused field")
        arguments = {QStringLiteral("render"), QStringLiteral("--field"), QStringLiteral("2=0.5"),
                     QStringLiteral("-o"), dir.filePath(QStringLiteral("x.png"))};
    if (input == u"unknown option")
        arguments = {QStringLiteral("render"), QStringLiteral("--colour")};
    CliResult result;
    {
        const LocaleScope scope(locale);
        result = runCli(arguments);
    }
    const QString all = result.out + result.err;
    QCOMPARE(result.status, status);
    for (const QString& text : said)
        QVERIFY2(all.contains(text), qPrintable(text + QLatin1Char('\n') + all));
    // Each line in one language: English without a Chinese character, Chinese
    // errors without English words.
    const bool inChinese = hasChinese(said.join(QString()));
    static const QRegularExpression english(
        QStringLiteral("\\b(the|is|not|cannot|rows?|plots?|written|unknown)\\b"));
    for (const QString& line : all.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QVERIFY2(inChinese || !hasChinese(line), qPrintable(line));
        QVERIFY2(!inChinese || !result.err.contains(line) || !line.contains(english),
                 qPrintable(line));
    }
    // The window's texts are the same after the run.
    QCOMPARE(QCoreApplication::translate("workbook", "文件不存在"), QStringLiteral("文件不存在"));
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
