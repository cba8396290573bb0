#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <thread>

// How a report is written: changes another program saved in between are
// kept, a failed or interrupted write leaves the document whole and the
// pictures waiting, odd targets (links, long names, leftovers) are written
// through, the document is marked in use, and two writers lose nothing.
// Read back through support/DocxInspect.
namespace {

using docxinspect::Entries;
using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::Inspection;
using docxinspect::kDocumentPart;
using docxinspect::readZip;
using namespace docxbuild;

} // namespace

class TestWriteProtocol : public QObject {
    Q_OBJECT
private slots:
    void keepsChangesMadeBetweenWrites_data();
    void keepsChangesMadeBetweenWrites();
    void fullDiskLeavesTheDocumentWhole();
    void deletedDocumentIsWrittenAnew();
    void failedWriteKeepsPictures_data();
    void failedWriteKeepsPictures();
    void writesThroughOddTargets_data();
    void writesThroughOddTargets();
    void marksTheDocumentInUse();
    void concurrentWritersKeepEveryPicture();
};

void TestWriteProtocol::keepsChangesMadeBetweenWrites_data() {
    QTest::addColumn<int>("duringWrite"); // how many times the other program saves during it
    QTest::newRow("between two writes") << 0;
    // The write notices the change at its commit and starts over from it.
    QTest::newRow("once during the write") << 1;
    // It gives up after a few tries; its picture waits.
    QTest::newRow("during every try") << 10;
}

void TestWriteProtocol::keepsChangesMadeBetweenWrites() {
    QFETCH(int, duringWrite);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    ReportDocument document(path);
    QCOMPARE(document.open().message(), QString());
    document.paste(plot(0), segment(0));
    document.typeParagraphBreak();
    QCOMPARE(document.flush().message(), QString());
    const qsizetype textsBefore = inspect(path).blocks.count(QStringLiteral("text"));

    // Someone types a paragraph at the end and the file gains a part.
    int saves = 0;
    const auto otherProgramSaves = [&] {
        Entries entries = readZip(path);
        for (auto& [name, data] : entries) {
            if (name == kDocumentPart)
                data.replace("<w:sectPr", QStringLiteral("<w:p><w:r><w:t>另一个程序写的段落</w:t>"
                                                         "</w:r></w:p><w:sectPr")
                                              .toUtf8());
        }
        if (++saves == 1)
            entries.append({QStringLiteral("customXml/item9.xml"), "<note>kept</note>"});
        writeZip(path, entries);
    };
    if (duringWrite == 0)
        otherProgramSaves();
    document.setBeforeCommit([&] {
        if (saves < duringWrite)
            otherProgramSaves();
    });

    document.paste(plot(1), segment(1));
    document.typeParagraphBreak();
    const Outcome outcome = document.flush();
    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(QString::fromUtf8(entry(after.entries, kDocumentPart)).contains(u"另一个程序写的段落"));
    QCOMPARE(entry(after.entries, QStringLiteral("customXml/item9.xml")),
             QByteArray("<note>kept</note>"));
    if (duringWrite > 3) {
        QCOMPARE(outcome.kind(), Outcome::Kind::Busy);
        QVERIFY(outcome.message().contains(QStringLiteral("反复修改")));
        QCOMPARE(after.pictures.size(), 2);
        QCOMPARE(document.pendingPictures(), 1);
        return;
    }
    QCOMPARE(outcome.message(), QString());
    QCOMPARE(after.pictures.size(), 3);
    QCOMPARE(
        after.blocks.mid(after.blocks.size() - 3),
        (QStringList{QStringLiteral("pic"), QStringLiteral("empty"), QStringLiteral("sectPr")}));
    QCOMPARE(after.blocks.count(QStringLiteral("text")), textsBefore + saves);
}

void TestWriteProtocol::fullDiskLeavesTheDocumentWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    const QByteArray original = fileBytes(path);
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    // Pictures of about 3 KB each: together three times the room left below.
    const int pictures = 60;
    for (int i = 0; i < pictures; ++i) {
        report.paste(plot(i), segment(i));
        report.typeParagraphBreak();
    }

    // The disk fills up part-way through the write: no file of this process
    // may grow beyond a little more than the document already is.
    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(original.size() + 64 * 1024);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
    const QString failure = report.flush().message();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!failure.isEmpty());
    QVERIFY2(failure.contains(QStringLiteral("report.docx")), qPrintable(failure));
    // Told as what it is, a disk that is full, never as a failure to read.
    QVERIFY2(failure.contains(QStringLiteral("磁盘")) && !failure.contains(QStringLiteral("读取")),
             qPrintable(failure));
    QCOMPARE(fileBytes(path), original);
    QCOMPARE(directoryListing(dir.path()), QStringList{QStringLiteral("report.docx")});
    QCOMPARE(report.pendingPictures(), pictures);

    QCOMPARE(report.flush().message(), QString());
    const Inspection after = inspect(path);
    verifyPackage(after);
    QCOMPARE(after.pictures.size(), pictures + 1); // the fixture's own picture first
}

void TestWriteProtocol::deletedDocumentIsWrittenAnew() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    report.paste(plot(0), segment(0));
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());

    // Deleted by the user between two saves: the pictures accepted since then
    // go into a new document rather than being dropped.
    QVERIFY(QFile::remove(path));
    report.paste(plot(1), segment(1));
    report.typeParagraphBreak();
    const Outcome outcome = report.flush();
    QCOMPARE(outcome.message(), QString());
    QCOMPARE(outcome.note(), Outcome::Note::Recreated);
    const Inspection after = inspect(path);
    verifyPackage(after);
    QCOMPARE(after.pictures.size(), 1);
    QVERIFY(after.pictures.at(0).description.contains(segment(1)));
}

void TestWriteProtocol::failedWriteKeepsPictures_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("background");
    for (const bool background : {false, true}) {
        const char* mode = background ? "in the background" : "at once";
        QTest::addRow("open in LibreOffice, %s", mode) << "lock" << background;
        QTest::addRow("made read-only, %s", mode) << "read-only" << background;
        QTest::addRow("replaced by a text file, %s", mode) << "text" << background;
    }
}

void TestWriteProtocol::failedWriteKeepsPictures() {
    QFETCH(QString, obstacle);
    QFETCH(bool, background);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    const QString lock = dir.filePath(QStringLiteral(".~lock.report.docx#"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-libreoffice.docx")), path));
    const QByteArray original = fileBytes(path);
    const QFile::Permissions permissions = QFile::permissions(path);
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    for (int i = 0; i < 2; ++i) {
        report.paste(plot(i), segment(i));
        report.typeParagraphBreak();
    }

    if (obstacle == u"lock")
        writeFile(lock, "user;");
    if (obstacle == u"read-only")
        QFile::setPermissions(path, QFile::ReadOwner);
    if (obstacle == u"text")
        writeFile(path, "plain text");
    const QByteArray blocked = fileBytes(path);
    int expected = 2;
    if (background) {
        // A picture pasted while the write runs lines up behind the failed ones.
        report.flushInBackground();
        QVERIFY(report.isWriting());
        report.paste(plot(2), segment(2));
        report.typeParagraphBreak();
        expected = 3;
        const auto outcome = report.finishBackgroundWrite(true);
        QVERIFY(outcome && !outcome->isOk());
        QVERIFY(!report.isWriting());
    } else {
        QVERIFY(!report.flush().isOk());
    }
    QCOMPARE(report.pendingPictures(), expected);
    QCOMPARE(fileBytes(path), blocked);

    QFile::remove(lock);
    QFile::setPermissions(path, permissions);
    writeFile(path, original);
    QCOMPARE(report.flush().message(), QString());
    QCOMPARE(report.pendingPictures(), 0);
    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(after.pictures.size(), expected + 1); // the fixture's own picture first
    for (int i = 0; i < expected; ++i)
        QVERIFY(after.pictures.at(i + 1).description.contains(segment(i)));
    QCOMPARE(directoryListing(dir.path()), QStringList{QStringLiteral("report.docx")});
}

void TestWriteProtocol::writesThroughOddTargets_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("name of 250 bytes") << "long name";
    QTest::newRow("symbolic link") << "link";
    QTest::newRow("symbolic link to a missing file") << "dangling link";
    QTest::newRow("temporaries a killed writer left") << "stale temporaries";
}

void TestWriteProtocol::writesThroughOddTargets() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("report.docx"));
    const QString real = dir.filePath(QStringLiteral("real.docx"));
    if (kind == u"long name")
        path = dir.filePath(QString(245, u'a') + QStringLiteral(".docx"));
    if (kind == u"link") {
        QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), real));
        QVERIFY(QFile::link(real, path));
    }
    if (kind == u"dangling link")
        QVERIFY(QFile::link(real, path));
    const QString stale =
        dir.filePath(QStringLiteral(".~veltrace-%1-99999-1.tmp")
                         .arg(QString::fromLatin1(
                             QCryptographicHash::hash("report.docx", QCryptographicHash::Sha1)
                                 .toHex()
                                 .left(10))));
    if (kind == u"stale temporaries")
        writeFile(stale, QByteArray(4096, 'x'));

    // Made (or opened) and appended to twice.
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    for (int i = 0; i < 2; ++i) {
        report.paste(plot(i), segment(i));
        report.typeParagraphBreak();
        QCOMPARE(report.flush().message(), QString());
    }
    const bool linked = kind.contains(u"link");
    const Inspection after = inspect(linked ? real : path);
    verifyPackage(after);
    QCOMPARE(after.pictures.size(), kind == u"link" ? 3 : 2);
    // A link stays a link; nothing but the document (and lock file) is left.
    QCOMPARE(QFileInfo(path).isSymLink(), linked);
    QVERIFY(!QFileInfo::exists(stale));
    for (const QString& name : directoryListing(dir.path()))
        QVERIFY2(!name.endsWith(QStringLiteral(".tmp")), qPrintable(name));
}

void TestWriteProtocol::marksTheDocumentInUse() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    const QString mark = dir.filePath(QStringLiteral(".~lock.report.docx#"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    // A mark of this program's that a killed writer left is no obstacle.
    writeFile(mark, "Veltrace,someone,host,07.03.2026 14:05,veltrace:99999@host;");
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());

    // Held from one write to the next, as a batch holds it.
    report.holdInUse(true);
    for (int i = 0; i < 2; ++i) {
        report.paste(plot(i), segment(i));
        report.typeParagraphBreak();
        QCOMPARE(report.flush().message(), QString());
        QVERIFY(fileBytes(mark).startsWith("Veltrace,"));
        QVERIFY(!fileBytes(mark).contains("veltrace:99999@"));
    }
    report.holdInUse(false);
    QVERIFY(!QFileInfo::exists(mark));

    // A single save marks it only while it writes.
    report.paste(plot(2), segment(2));
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());
    QVERIFY(!QFileInfo::exists(mark));
    QCOMPARE(inspect(path).pictures.size(), 4);
}

void TestWriteProtocol::concurrentWritersKeepEveryPicture() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("report-python-docx.docx")), path));
    constexpr int kRounds = 8;
    constexpr int kPerRound = 3;
    // Two writers (a window and a script, say) save into one document at
    // once, each several times.
    auto writer = [&](const QString& tag, QStringList* failures) {
        ReportDocument report(path);
        for (int round = 0; round < kRounds; ++round) {
            for (int i = 0; i < kPerRound; ++i) {
                report.paste(plot(i), QStringLiteral("%1-%2").arg(tag).arg(round * kPerRound + i));
                report.typeParagraphBreak();
            }
            const QString failure = report.flush().message();
            if (!failure.isEmpty())
                failures->append(failure);
        }
    };
    QStringList failuresA, failuresB;
    std::thread a(writer, QStringLiteral("A"), &failuresA);
    std::thread b(writer, QStringLiteral("B"), &failuresB);
    a.join();
    b.join();
    QCOMPARE(failuresA + failuresB, QStringList());

    const Inspection after = inspect(path);
    verifyPackage(after);
    QCOMPARE(after.pictures.size(), 1 + 2 * kRounds * kPerRound);
    for (const QString& tag : {QStringLiteral("A"), QStringLiteral("B")}) {
        QStringList order;
        for (const auto& picture : after.pictures) {
            if (picture.description.contains(tag + u'-'))
                order.append(picture.description);
        }
        QCOMPARE(order.size(), kRounds * kPerRound);
        for (int i = 0; i < order.size(); ++i)
            QVERIFY2(order[i].contains(QStringLiteral("%1-%2（").arg(tag).arg(i)),
                     qPrintable(order[i]));
    }
}

QTEST_MAIN(TestWriteProtocol)
#include "tst_writeprotocol.moc"
