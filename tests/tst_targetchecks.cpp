#include "document/DocxPackage.h"
#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// What the document layer refuses to write to, named with its cause and
// left as it was: other formats, damaged packages, packages past the read
// limits, places it may not write, documents open in another program.
namespace {

using docxinspect::Entries;
using docxinspect::kDocumentPart;
using namespace docxbuild;

// Sets up a target the document layer must refuse; returns its path.
QString badTarget(const QString& kind, const QString& dir) {
    const QString path = dir + QStringLiteral("/report.docx");
    const QByteArray good = fileBytes(docxData(QStringLiteral("report-python-docx.docx")));
    if (kind == u"legacy doc") {
        const QString doc = dir + QStringLiteral("/report.doc");
        writeFile(doc, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(1016, '\0'));
        return doc;
    }
    if (kind == u"text file")
        writeFile(path, QStringLiteral("这不是 Word 文档。\n").toUtf8());
    if (kind == u"truncated zip")
        writeFile(path, good.left(good.size() / 2));
    if (kind == u"damaged part") {
        // Spoil the compressed data of the main part behind its local header.
        QByteArray bytes = good;
        const qsizetype name = bytes.indexOf("word/document.xml");
        const qsizetype header = bytes.lastIndexOf("PK\x03\x04", name);
        const int nameLength = uchar(bytes[header + 26]) | uchar(bytes[header + 27]) << 8;
        const int extraLength = uchar(bytes[header + 28]) | uchar(bytes[header + 29]) << 8;
        const qsizetype data = header + 30 + nameLength + extraLength;
        for (int i = 20; i < 60; ++i)
            bytes[data + i] = char(bytes[data + i] ^ 0x5A);
        writeFile(path, bytes);
    }
    if (kind == u"no main part")
        writeZip(path, {{QStringLiteral("readme.txt"), "nothing here"}});
    if (kind == u"spreadsheet") {
        Entries entries = minimalPackage("<workbook xmlns=\"http://schemas.openxmlformats.org/"
                                         "spreadsheetml/2006/main\"><sheets/></workbook>");
        entries[1].second.replace("word/document.xml", "xl/workbook.xml");
        entries[2].first = QStringLiteral("xl/workbook.xml");
        writeZip(path, entries);
    }
    if (kind == u"package relationships cut" || kind == u"content types in UTF-16") {
        Entries entries = minimalPackage(wordDocument(QStringLiteral("<w:p/>")));
        if (kind == u"package relationships cut")
            entries[1].second.chop(20);
        else
            entries[0].second = QByteArray("\xFF\xFE") + entries[0].second;
        writeZip(path, entries);
    }
    if (kind == u"doctype")
        writeZip(path,
                 minimalPackage("<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a "
                                "\"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>" +
                                wordDocument(QStringLiteral("<w:p/>")).mid(kDeclaration.size())));
    if (kind == u"malformed xml")
        writeZip(path, minimalPackage(wordDocument(QStringLiteral("<w:p><w:r>")).left(120)));
    if (kind == u"strict")
        writeZip(path, minimalPackage("<w:document xmlns:w=\"http://purl.oclc.org/ooxml/"
                                      "wordprocessingml/main\"><w:body/></w:document>"));
    if (kind == u"too many entries") {
        Entries entries = minimalPackage(wordDocument(QString()));
        for (int i = 0; i < DocxPackage::kMaxEntries; ++i)
            entries.append({QStringLiteral("word/media/filler%1.bin").arg(i), QByteArray()});
        writeZip(path, entries);
    }
    if (kind == u"duplicate entry") {
        // libzip writes no two entries of one name: a second main part is written under
        // a name of the same length, then renamed in the zip's bytes.
        Entries entries = minimalPackage(wordDocument(QStringLiteral("<w:p/>")));
        entries.append({QStringLiteral("word/document.xmX"), wordDocument(QString())});
        writeZip(path, entries);
        QByteArray bytes = fileBytes(path);
        writeFile(path, bytes.replace("word/document.xmX", "word/document.xml"));
    }
    if (kind == u"huge part" || kind == u"understated size") {
        QByteArray document = wordDocument(QStringLiteral("<w:p/>"));
        document.append(QByteArray(64 * 1024 * 1024, ' '));
        writeZip(path, minimalPackage(document));
    }
    if (kind == u"understated size") {
        // Local header and directory both claim 1000 bytes for the main part.
        QByteArray bytes = fileBytes(path);
        const QByteArray name = kDocumentPart.toUtf8();
        struct Header {
            const char* signature;
            int nameLengthAt, nameAt, sizeAt;
        };
        for (const Header& header :
             {Header{"PK\x03\x04", 26, 30, 22}, Header{"PK\x01\x02", 28, 46, 24}}) {
            for (qsizetype at = bytes.indexOf(header.signature); at >= 0;
                 at = bytes.indexOf(header.signature, at + 4)) {
                const int length = uchar(bytes[at + header.nameLengthAt]) |
                                   uchar(bytes[at + header.nameLengthAt + 1]) << 8;
                if (bytes.mid(at + header.nameAt, length) == name)
                    bytes.replace(at + header.sizeAt, 4, QByteArray("\xE8\x03\x00\x00", 4));
            }
        }
        writeFile(path, bytes);
    }
    if (kind == u"read-only file") {
        writeFile(path, good);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    if (kind == u"read-only folder" || kind == u"new in read-only folder") {
        const QString locked = dir + QStringLiteral("/locked");
        QDir().mkdir(locked);
        if (kind == u"read-only folder")
            writeFile(locked + QStringLiteral("/report.docx"), good);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        return locked + QStringLiteral("/report.docx");
    }
    if (kind == u"missing folder")
        return dir + QStringLiteral("/gone/report.docx");
    if (kind == u"folder")
        QDir().mkdir(path);
    if (kind == u"new name not docx")
        return dir + QStringLiteral("/report.doc");
    if (kind == u"open in LibreOffice") {
        writeFile(path, good);
        writeFile(dir + QStringLiteral("/.~lock.report.docx#"), "user,host,/home/user;");
    }
    if (kind == u"open in Word") {
        writeFile(path, good);
        writeFile(dir + QStringLiteral("/~$report.docx"), QByteArray(162, '\0'));
    }
    return path;
}

} // namespace

class TestTargetChecks : public QObject {
    Q_OBJECT
private slots:
    void refusesBadTargets_data();
    void refusesBadTargets();
    void neverWritesPastItsReadLimits();
};

void TestTargetChecks::refusesBadTargets_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause"); // a word the description must name the cause with
    QTest::newRow("legacy .doc") << "legacy doc"
                                 << ".doc";
    QTest::newRow("text file named .docx") << "text file"
                                           << "ZIP";
    QTest::newRow("truncated zip") << "truncated zip"
                                   << "损坏";
    QTest::newRow("damaged main part") << "damaged part"
                                       << "损坏";
    QTest::newRow("zip without a document") << "no main part"
                                            << "word/document.xml";
    QTest::newRow("spreadsheet package") << "spreadsheet"
                                         << "workbook";
    QTest::newRow("package relationships cut short") << "package relationships cut"
                                                     << "_rels/.rels";
    QTest::newRow("content types in UTF-16") << "content types in UTF-16"
                                             << "UTF-16";
    QTest::newRow("document type declaration") << "doctype"
                                               << "DOCTYPE";
    QTest::newRow("malformed XML") << "malformed xml"
                                   << "XML";
    QTest::newRow("strict OOXML") << "strict"
                                  << "Strict";
    QTest::newRow("too many entries")
        << "too many entries" << QString::number(DocxPackage::kMaxEntries);
    QTest::newRow("two entries of one name") << "duplicate entry"
                                             << "多个名为“word/document.xml”的条目";
    QTest::newRow("huge main part") << "huge part"
                                    << "64 MiB";
    QTest::newRow("main part larger than its directory says") << "understated size"
                                                              << "64 MiB";
    QTest::newRow("read-only file") << "read-only file"
                                    << "只读";
    QTest::newRow("folder not writable") << "read-only folder"
                                         << "文件夹";
    QTest::newRow("new file, folder not writable") << "new in read-only folder"
                                                   << "文件夹";
    QTest::newRow("missing folder") << "missing folder"
                                    << "不存在";
    QTest::newRow("a folder, not a file") << "folder"
                                          << "文件夹";
    QTest::newRow("new name without .docx") << "new name not docx"
                                            << ".docx";
    QTest::newRow("open in LibreOffice") << "open in LibreOffice"
                                         << "LibreOffice";
    QTest::newRow("open in Word") << "open in Word"
                                  << "Word";
}

void TestTargetChecks::refusesBadTargets() {
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = badTarget(kind, dir.path());
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray bytes = fileBytes(path);
    const bool existed = QFileInfo::exists(path);
    const QStringList listing = directoryListing(folder);
    const QString name = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());

    ReportDocument report(path);
    const QString refusal = report.open().message();
    QVERIFY2(refusal.contains(name) && refusal.contains(cause), qPrintable(refusal));
    report.paste(plot(0), segment(0));
    report.typeParagraphBreak();
    const QString failure = report.flush().message();
    QVERIFY2(failure.contains(name) && failure.contains(cause), qPrintable(failure));
    QCOMPARE(report.pendingPictures(), 1);

    QCOMPARE(QFileInfo::exists(path), existed);
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(directoryListing(folder), listing);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestTargetChecks::neverWritesPastItsReadLimits() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    // A main part just under the limit: one more picture would take it over.
    QByteArray document = wordDocument(QStringLiteral("<w:p/>"));
    document.insert(document.indexOf("<w:body>"),
                    QByteArray(DocxPackage::kMaxPartSize - document.size() - 200, ' '));
    writeZip(path, minimalPackage(document));
    const QByteArray before = fileBytes(path);
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    report.paste(plot(0), segment(0));
    report.typeParagraphBreak();
    const Outcome outcome = report.flush();
    QCOMPARE(outcome.kind(), Outcome::Kind::Lasting);
    QVERIFY2(outcome.message().contains(QStringLiteral("上限")), qPrintable(outcome.message()));
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(report.pendingPictures(), 1);
    // What the program leaves behind, it can still read.
    QCOMPARE(ReportDocument(path).open().message(), QString());
}

QTEST_MAIN(TestTargetChecks)
#include "tst_targetchecks.moc"
