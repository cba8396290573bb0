// The report document as a file on disk: what may be replaced and how (owner,
// group and permissions kept), whose lock files are whose, and the write
// lock's troubles told by their cause.
// Documents are read back through support/DocxInspect, never the document
// layer itself.
#include "document/ReportDocument.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <zip.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <list>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::readZip;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;
const char* const kWriteAsChild = "--write-as-child";
const char* const kHoldMarkAsChild = "--hold-mark-as-child";
const char* const kNeedsRoot = "changing a file's owner needs root (CI runs the tests as root)";

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QImage picture() {
    QImage image(601, 289, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// Pastes one picture and writes it.
Outcome writeOne(ReportDocument& report) {
    report.paste(picture(), QStringLiteral("测试段"));
    report.typeParagraphBreak();
    return report.flush();
}

// This program's write lock beside a document of that name.
QString writeLockName(const QString& documentName) {
    return QStringLiteral(".~veltrace-%1.lock")
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(documentName.toUtf8(), QCryptographicHash::Sha1)
                .toHex()
                .left(10)));
}

// The fixture made by python-docx with its main part's content type changed.
void writeWithMainType(const QString& path, const QByteArray& contentType) {
    const docxinspect::Entries entries =
        readZip(docxData(QStringLiteral("report-python-docx.docx")));
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    std::list<QByteArray> kept;
    for (const auto& [name, bytes] : entries) {
        kept.push_back(bytes);
        if (name == docxinspect::kTypesPart)
            kept.back().replace(
                "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
                contentType);
        zip_source_t* source =
            zip_source_buffer(archive, kept.back().constData(), kept.back().size(), 0);
        QVERIFY(zip_file_add(archive, name.toUtf8().constData(), source, 0) >= 0);
    }
    QCOMPARE(zip_close(archive), 0);
}

// The pid of a process that has ended.
qint64 endedProcess() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// Runs this test program again to act as another process: as the user
// nobody (write: open the document and write a picture; says both
// outcomes), or as a writer that holds the document in use and is killed in
// the middle of a write. Returns what it said.
QStringList runChild(const char* role, const QString& path, bool asNobody, bool kill = false) {
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(role), path});
    if (asNobody)
        child.setChildProcessModifier([] {
            if (setgroups(0, nullptr) != 0 || setgid(kNogroup) != 0 || setuid(kNobody) != 0)
                _exit(99);
        });
    child.start();
    if (kill) {
        while (!child.readAllStandardOutput().contains("held") && child.waitForReadyRead(30000)) {
        }
        child.kill(); // SIGKILL: nothing of the writer runs any more
    }
    child.waitForFinished(60000);
    return QString::fromUtf8(child.readAllStandardOutput()).split(QChar(0x1e));
}

// What runs in the child: see runChild.
int childMain(const QString& role, const QString& path) {
    ReportDocument report(path);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 1;
    if (role == QLatin1String(kHoldMarkAsChild)) {
        // Killed in the middle of its second write: the copy made, the
        // document marked, the write lock held.
        report.holdInUse(true);
        if (!writeOne(report).isOk())
            return 1;
        report.setBeforeCommit([&] {
            out.write("held");
            out.flush();
            QThread::sleep(60);
        });
        (void)writeOne(report);
        return 0;
    }
    out.write(report.open().message().toUtf8() + '\x1e');
    out.write(writeOne(report).message().toUtf8() + '\x1e');
    return 0;
}

} // namespace

class TestReportFile : public QObject {
    Q_OBJECT
private slots:
    void refusesWhatItMayNotReplace_data();
    void refusesWhatItMayNotReplace();
    void keepsOwnerGroupAndPermissions_data();
    void keepsOwnerGroupAndPermissions();
    void recognisesLocks_data();
    void recognisesLocks();
    void writeLockTroublesNameTheirCause_data();
    void writeLockTroublesNameTheirCause();
};

void TestReportFile::refusesWhatItMayNotReplace_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause"); // words the description must name the cause with
    QTest::addColumn<bool>("atOpen");   // refused when opened already, not only when written
    QTest::addColumn<bool>("asNobody"); // tried by the user nobody
    QTest::newRow("macro-enabled name") << "report.docm"
                                        << ".docm" << true << false;
    QTest::newRow("template name") << "report.dotx"
                                   << ".dotx" << true << false;
    QTest::newRow("macro-enabled template name") << "report.dotm"
                                                 << ".dotm" << true << false;
    QTest::newRow("macro-enabled content named .docx") << "macro content"
                                                       << ".docm" << true << false;
    QTest::newRow("template content named .docx") << "template content"
                                                  << ".dotx" << true << false;
    QTest::newRow("symbolic link loop") << "link loop"
                                        << "循环的符号链接" << true << false;
    QTest::newRow("folder named like the write lock") << "lock folder"
                                                      << "锁定文件" << false << false;
    QTest::newRow("file of other content named like the write lock")
        << "lock text"
        << "锁定文件" << false << false;
    QTest::newRow("another user's document") << "another user's"
                                             << "属于用户“root”" << true << true;
    QTest::newRow("another user's document in a sticky folder") << "sticky folder"
                                                                << "粘滞位" << true << true;
    QTest::newRow("document of a group the user is not in") << "another group's"
                                                            << "用户组“root”" << true << true;
}

void TestReportFile::refusesWhatItMayNotReplace() {
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    QFETCH(bool, atOpen);
    QFETCH(bool, asNobody);
    if (asNobody && geteuid() != 0)
        QSKIP("acting as another user needs root (CI runs the tests as root)");
    QTemporaryDir dir;
    QString folder = dir.path();
    QString path = dir.filePath(QStringLiteral("report.docx"));
    const QString good = docxData(QStringLiteral("report-python-docx.docx"));
    if (kind.startsWith(u"report."))
        path = dir.filePath(kind);
    if (kind.startsWith(u"report.") || kind.startsWith(u"lock") || asNobody)
        QVERIFY(QFile::copy(good, path));
    if (kind == u"macro content")
        writeWithMainType(path, "application/vnd.ms-word.document.macroEnabled.main+xml");
    if (kind == u"template content")
        writeWithMainType(
            path,
            "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
    if (kind == u"link loop") {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("other.docx")), path));
        QVERIFY(QFile::link(path, dir.filePath(QStringLiteral("other.docx"))));
    }
    if (kind == u"lock folder")
        QVERIFY(QDir(folder).mkdir(writeLockName(QStringLiteral("report.docx"))));
    if (kind == u"lock text") {
        QFile lock(dir.filePath(writeLockName(QStringLiteral("report.docx"))));
        writeFile(lock.fileName(), "notes\n");
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                 QFileDevice::FileModificationTime));
    }
    if (asNobody) {
        // The user nobody may write the document and its folder, but the
        // document is root's (or of root's group).
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ExeOther));
        folder = dir.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::rename(path, folder + QStringLiteral("/report.docx")));
        path = folder + QStringLiteral("/report.docx");
        QCOMPARE(
            chmod(QFile::encodeName(folder).constData(), kind == u"sticky folder" ? 01777 : 0777),
            0);
        QCOMPARE(chmod(QFile::encodeName(path).constData(), 0666), 0);
        if (kind == u"another group's")
            QCOMPARE(chown(QFile::encodeName(path).constData(), kNobody, 0), 0);
    }
    const QByteArray bytes = fileBytes(path);
    const QStringList before = listing(folder);
    const QString name = native(path);

    QString opened;
    QString written;
    if (asNobody) {
        const QStringList said = runChild(kWriteAsChild, path, true);
        QCOMPARE(said.size(), 3);
        opened = said[0];
        written = said[1];
    } else {
        ReportDocument report(path);
        opened = report.open().message();
        written = writeOne(report).message();
        QCOMPARE(report.pendingPictures(), 1);
    }
    QVERIFY2(written.contains(name) && written.contains(cause), qPrintable(written));
    // Told as what it is: never as another writer's turn, nor as a lock.
    QVERIFY2(!written.contains(QStringLiteral("另一个窗口")), qPrintable(written));
    if (atOpen)
        QCOMPARE(opened, written);
    else
        QCOMPARE(opened, QString());

    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(listing(folder), before);
    if (kind == u"link loop") {
        QVERIFY(QFileInfo(path).isSymLink());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("other.docx"))).isSymLink());
    }
    if (asNobody)
        QCOMPARE(QFileInfo(path).groupId(), 0u);
}

void TestReportFile::keepsOwnerGroupAndPermissions_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("needsRoot");
    QTest::newRow("permissions 0640") << "0640" << false;
    // Only the group may write: nothing is added for the owner.
    QTest::newRow("permissions 0060") << "0060" << false;
    QTest::newRow("another user's document") << "owner" << true;
    QTest::newRow("another group's document") << "group" << true;
    QTest::newRow("another user's empty file") << "empty" << true;
    QTest::newRow("another user's document through a symbolic link") << "link" << true;
    // A second hard link keeps the document as it was before the write.
    QTest::newRow("a second hard link") << "hard link" << false;
}

void TestReportFile::keepsOwnerGroupAndPermissions() {
    QFETCH(QString, kind);
    QFETCH(bool, needsRoot);
    if (needsRoot && geteuid() != 0)
        QSKIP(kNeedsRoot);
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("report.docx"));
    const QString link = dir.filePath(QStringLiteral("link.docx"));
    const QString second = dir.filePath(QStringLiteral("second.docx"));
    if (kind == u"empty")
        writeFile(real, {});
    else
        QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), real));
    const QByteArray name = QFile::encodeName(real);
    const mode_t mode = kind == u"0640" ? 0640 : kind == u"0060" ? 0060 : 0644;
    QCOMPARE(chmod(name.constData(), mode), 0);
    if (kind == u"owner" || kind == u"empty" || kind == u"link")
        QCOMPARE(chown(name.constData(), kNobody, kNogroup), 0);
    if (kind == u"group")
        QCOMPARE(chown(name.constData(), geteuid(), kNogroup), 0);
    if (kind == u"link")
        QVERIFY(QFile::link(real, link));
    if (kind == u"hard link")
        QCOMPARE(::link(name.constData(), QFile::encodeName(second).constData()), 0);
    const QByteArray original = fileBytes(real);
    struct stat before;
    QCOMPARE(stat(name.constData(), &before), 0);

    ReportDocument report(kind == u"link" ? link : real);
    QCOMPARE(report.open().message(), QString());
    QCOMPARE(writeOne(report).message(), QString());
    QCOMPARE(writeOne(report).message(), QString());

    struct stat after;
    QCOMPARE(stat(name.constData(), &after), 0);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode & 07777, before.st_mode & 07777);
    QCOMPARE(docxinspect::pictureDescriptions(real).size(), 2);
    if (kind == u"link")
        QVERIFY(QFileInfo(link).isSymLink());
    if (kind == u"hard link")
        QCOMPARE(fileBytes(second), original);
}

void TestReportFile::recognisesLocks_data() {
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("lock");
    // The lock file's content: {host} is this host, {running} a process that
    // runs, {ended} one that has ended; "killed" is the mark of a writer
    // killed while it held the document.
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("busy"); // the document is held by another program
    QTest::addColumn<bool>("kept"); // the lock file stays
    const QString mark = QStringLiteral("Veltrace,someone,%1,07.03.2026 14:05,veltrace:%2@%1;");
    QTest::newRow("LibreOffice's lock file") << "report.docx"
                                             << ".~lock.report.docx#"
                                             << "someone,host,/home/someone;" << true << true;
    QTest::newRow("Word's owner file, name of six") << "report.docx"
                                                    << "~$report.docx"
                                                    << "owner" << true << true;
    QTest::newRow("Word's owner file, name of seven") << "report1.docx"
                                                      << "~$eport1.docx"
                                                      << "owner" << true << true;
    QTest::newRow("Word's owner file, long name") << "OfficeReport.docx"
                                                  << "~$ficeReport.docx"
                                                  << "owner" << true << true;
    QTest::newRow("Word's owner file of port.docx") << "report.docx"
                                                    << "~$port.docx"
                                                    << "owner" << false << true;
    QTest::newRow("Word's owner file of a longer name") << "OfficeReport.docx"
                                                        << "~$OfficeReport.docx"
                                                        << "owner" << false << true;
    QTest::newRow("mark of a writer that has ended")
        << "report.docx"
        << ".~lock.report.docx#" << mark.arg("{host}", "{ended}") << false << false;
    QTest::newRow("mark of a writer killed while it held the document")
        << "report.docx"
        << ".~lock.report.docx#"
        << "killed" << false << false;
    QTest::newRow("mark of a writer that runs")
        << "report.docx"
        << ".~lock.report.docx#" << mark.arg("{host}", "{running}") << false << true;
    QTest::newRow("mark of a writer on another host")
        << "report.docx"
        << ".~lock.report.docx#" << mark.arg("elsewhere", "{ended}") << false << true;
}

void TestReportFile::recognisesLocks() {
    QFETCH(QString, document);
    QFETCH(QString, lock);
    QFETCH(QString, content);
    QFETCH(bool, busy);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath(document);
    const QString lockPath = dir.filePath(lock);
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (content == u"killed") {
        runChild(kHoldMarkAsChild, path, false, true);
        QVERIFY2(fileBytes(lockPath).startsWith("Veltrace,"), "the killed writer left no mark");
        // Its copy of the document and its write lock as well.
        QCOMPARE(listing(dir.path()).size(), 4);
    } else {
        content.replace(QStringLiteral("{host}"), QSysInfo::machineHostName())
            .replace(QStringLiteral("{running}"), QStringLiteral("1"))
            .replace(QStringLiteral("{ended}"), QString::number(endedProcess()));
        writeFile(lockPath, content.toUtf8());
    }

    const qsizetype pictures = docxinspect::pictureDescriptions(path).size();
    ReportDocument report(path);
    const Outcome opened = report.open();
    QCOMPARE(opened.kind(), busy ? Outcome::Kind::Busy : Outcome::Kind::Ok);
    if (busy)
        QVERIFY2(opened.message().contains(native(lockPath)), qPrintable(opened.message()));
    QCOMPARE(QFileInfo::exists(lockPath), kept);
    if (content == u"killed")
        QCOMPARE(listing(dir.path()), QStringList{document});
    if (!busy) {
        QCOMPARE(writeOne(report).message(), QString());
        QCOMPARE(docxinspect::pictureDescriptions(path).size(), pictures + 1);
    }
}

void TestReportFile::writeLockTroublesNameTheirCause_data() {
    QTest::addColumn<int>("fullForMs"); // how long no file of this process may grow
    QTest::addColumn<QString>("cause"); // empty: the write goes through
    QTest::newRow("disk full for a moment") << 1000 << QString();
    QTest::newRow("disk full for good") << -1 << QString::fromLocal8Bit(std::strerror(EFBIG));
}

void TestReportFile::writeLockTroublesNameTheirCause() {
    QFETCH(int, fullForMs);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    report.paste(picture(), QStringLiteral("测试段"));
    report.typeParagraphBreak();

    // No file of this process can grow, the lock file first: as on a full
    // disk, which may be freed meanwhile.
    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = saved;
    full.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
    std::thread freeing([&] {
        if (fullForMs >= 0) {
            QThread::msleep(fullForMs);
            setrlimit(RLIMIT_FSIZE, &saved);
        }
    });
    const Outcome outcome = report.flush();
    freeing.join();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    if (cause.isEmpty()) {
        QCOMPARE(outcome.message(), QString());
        QCOMPARE(docxinspect::pictureDescriptions(path).size(), 1);
        return;
    }
    QVERIFY2(outcome.message().contains(native(path)) && outcome.message().contains(cause),
             qPrintable(outcome.message()));
    QCOMPARE(report.pendingPictures(), 1);
    QCOMPARE(listing(dir.path()), QStringList{QStringLiteral("report.docx")});
}

// Besides the tests, this program acts as the other processes some of them
// need (see runChild).
int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc == 3 &&
        (qstrcmp(argv[1], kWriteAsChild) == 0 || qstrcmp(argv[1], kHoldMarkAsChild) == 0))
        return childMain(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    TestReportFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportfile.moc"
