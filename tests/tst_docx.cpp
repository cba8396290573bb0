#include "document/DocxPackage.h"
#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <QXmlStreamReader>

#include <zip.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <thread>

// Everything here reads the produced packages through support/DocxInspect
// (libzip and QXmlStreamReader), never through the document layer itself.
namespace {

using docxinspect::Entries;
using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::Inspection;
using docxinspect::kDocumentPart;
using docxinspect::kR;
using docxinspect::kRelsPart;
using docxinspect::kTypesPart;
using docxinspect::kW;
using docxinspect::pictureOf;
using docxinspect::readZip;
using namespace docxbuild;

QStringList directoryListing(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// When after is before with one piece put in, that piece (starting at a '<'
// where the place is ambiguous); otherwise a null array.
QByteArray insertedPiece(const QByteArray& before, const QByteArray& after) {
    const qsizetype added = after.size() - before.size();
    if (added < 0)
        return {};
    qsizetype prefix = 0;
    while (prefix < before.size() && before.at(prefix) == after.at(prefix))
        ++prefix;
    if (before.mid(prefix) != after.mid(prefix + added))
        return {};
    // The same insertion could be placed further left by as many characters
    // as the piece ends with what precedes it.
    for (qsizetype at = prefix;
         after.at(prefix) != '<' && at > 0 && after.at(at - 1) == after.at(at + added - 1); --at) {
        if (after.at(at - 1) == '<')
            prefix = at - 1;
    }
    return added == 0 ? QByteArray("") : after.mid(prefix, added);
}

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

class TestDocx : public QObject {
    Q_OBJECT
private slots:
    void appendsPicturesInOrder_data();
    void appendsPicturesInOrder();
    void keepsTheRestOfThePackage_data();
    void keepsTheRestOfThePackage();
    void keepsChangesMadeBetweenWrites_data();
    void keepsChangesMadeBetweenWrites();
    void findsTheInsertionPoint_data();
    void findsTheInsertionPoint();
    void fillsTemplates_data();
    void fillsTemplates();
    void fitsTheTextWidth_data();
    void fitsTheTextWidth();
    void cleansSegmentNames_data();
    void cleansSegmentNames();
    void refusesBadTargets_data();
    void refusesBadTargets();
    void fullDiskLeavesTheDocumentWhole();
    void deletedDocumentIsWrittenAnew();
    void failedWriteKeepsPictures_data();
    void failedWriteKeepsPictures();
    void writesThroughOddTargets_data();
    void writesThroughOddTargets();
    void marksTheDocumentInUse();
    void concurrentWritersKeepEveryPicture();
    void neverWritesPastItsReadLimits();
};

void TestDocx::appendsPicturesInOrder_data() {
    QTest::addColumn<QString>("start"); // a fixture, "new" or "empty file"
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("flushEvery"); // 0: once at the end
    QTest::newRow("new, one write") << "new" << 2 << 0;
    QTest::newRow("new, write after each") << "new" << 2 << 1;
    QTest::newRow("empty file, one write") << "empty file" << 3 << 0;
    QTest::newRow("python-docx, one write") << "report-python-docx.docx" << 3 << 0;
    QTest::newRow("python-docx, write after each") << "report-python-docx.docx" << 3 << 1;
    QTest::newRow("libreoffice, one write") << "report-libreoffice.docx" << 3 << 0;
    QTest::newRow("libreoffice, write after two") << "report-libreoffice.docx" << 5 << 2;
    QTest::newRow("names and ids taken") << "taken" << 3 << 1;
    QTest::newRow("many pictures") << "new" << 150 << 60;
}

void TestDocx::appendsPicturesInOrder() {
    QFETCH(QString, start);
    QFETCH(int, pictures);
    QFETCH(int, flushEvery);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    if (start == u"empty file") {
        writeFile(path, QByteArray());
    } else if (start == u"taken") {
        // Another program used the names and ids this layer would pick first,
        // and the largest drawing id possible.
        Entries entries = readZip(docxData(QStringLiteral("report-python-docx.docx")));
        for (auto& [name, data] : entries) {
            if (name == kDocumentPart)
                data.replace("<wp:docPr id=\"", "<wp:docPr id=\"4294967295\" x=\"");
            if (name == kRelsPart)
                for (const char* id : {"rId11", "RID12"})
                    data.replace("</Relationships>",
                                 "<Relationship Id=\"" + QByteArray(id) + "\" Type=\"" +
                                     kR.toUtf8() +
                                     "/image\" Target=\"media/veltrace_1.png\"/></Relationships>");
        }
        entries.append({QStringLiteral("word/media/veltrace_1.png"), "not the new picture"});
        entries.append({QStringLiteral("word/media/VELTRACE_2.PNG"), "nor this one"});
        writeZip(path, entries);
    } else if (start != u"new") {
        QVERIFY(QFile::copy(docxData(start), path));
    }
    const Inspection before = inspect(path);
    const QByteArray bytesBefore = fileBytes(path);
    keepSource(bytesBefore);

    ReportDocument document(path);
    QCOMPARE(document.open().message(), QString());
    QCOMPARE(fileBytes(path), bytesBefore); // opening writes nothing
    QCOMPARE(QFileInfo::exists(path), start != u"new");
    for (int i = 0; i < pictures; ++i) {
        document.paste(plot(i), segment(i));
        document.typeParagraphBreak();
        if (flushEvery > 0 && (i + 1) % flushEvery == 0)
            QCOMPARE(document.flush().message(), QString());
    }
    QCOMPARE(document.flush().message(), QString());
    QVERIFY(!document.hasPending());
    QCOMPARE(document.pendingPictures(), 0);
    QCOMPARE(directoryListing(dir.path()), QStringList{QStringLiteral("report.docx")});

    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    // The original content, then one paragraph per picture, then the empty
    // insertion paragraph, then the section properties.
    QStringList expected = before.blocks;
    if (!expected.isEmpty() && expected.last() == u"sectPr")
        expected.removeLast();
    for (int i = 0; i < pictures; ++i)
        expected.append(QStringLiteral("pic"));
    expected << QStringLiteral("empty") << QStringLiteral("sectPr");
    QCOMPARE(after.blocks, expected);
    QCOMPARE(after.pictures.size(), before.pictures.size() + pictures);
    for (int i = 0; i < pictures; ++i) {
        const Inspection::Picture& picture = after.pictures.at(before.pictures.size() + i);
        QVERIFY2(picture.description.contains(segment(i)), qPrintable(picture.description));
        const QImage image = pictureOf(after, picture);
        QCOMPARE(image.size(), QSize(601, 289));
        QCOMPARE(image.pixel(5, 5), plotColor(i).rgb());
    }
    // What was there before is still there, under its own name.
    for (const auto& [name, data] : before.entries) {
        if (name != kDocumentPart && name != kRelsPart && name != kTypesPart)
            QCOMPARE(entry(after.entries, name), data);
    }

    // A sample for the checks with independent readers.
    QJsonArray segments;
    for (int i = 0; i < pictures; ++i)
        segments.append(segment(i));
    QJsonObject expectation{{QStringLiteral("segments"), segments},
                            {QStringLiteral("earlier_pictures"), int(before.pictures.size())}};
    // A document made here carries its author and Word's settings.
    if (start == u"new" || start == u"empty file")
        expectation.insert(QStringLiteral("author"), QStringLiteral("Veltrace"));
    keepSample(path, expectation);
}

void TestDocx::keepsTheRestOfThePackage_data() {
    QTest::addColumn<QString>("fixtureName");
    QTest::newRow("python-docx") << "report-python-docx.docx";
    QTest::newRow("libreoffice") << "report-libreoffice.docx";
}

void TestDocx::keepsTheRestOfThePackage() {
    QFETCH(QString, fixtureName);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(fixtureName), path));
    const Entries before = readZip(path);
    ReportDocument document(path);
    for (int i = 0; i < 2; ++i) {
        document.paste(plot(i), segment(i));
        document.typeParagraphBreak();
    }
    QCOMPARE(document.flush().message(), QString());
    const Entries after = readZip(path);

    // Same entries in the same order, byte for byte, plus the two new PNGs.
    QCOMPARE(after.size(), before.size() + 2);
    for (qsizetype i = 0; i < before.size(); ++i) {
        QCOMPARE(after.at(i).first, before.at(i).first);
        if (before.at(i).first != kDocumentPart && before.at(i).first != kRelsPart &&
            before.at(i).first != kTypesPart)
            QCOMPARE(after.at(i).second, before.at(i).second);
    }
    // The edited parts: what was there is kept byte for byte; the
    // relationships gain one piece, the root element of the main part no
    // more than namespace declarations and the body one run of paragraphs.
    const QByteArray oldRels = entry(before, kRelsPart), newRels = entry(after, kRelsPart);
    QVERIFY(!insertedPiece(oldRels, newRels).isNull());
    QVERIFY(!insertedPiece(entry(before, kTypesPart), entry(after, kTypesPart)).isNull());
    const QByteArray oldDocument = entry(before, kDocumentPart);
    const QByteArray newDocument = entry(after, kDocumentPart);
    const qsizetype oldRootEnd = oldDocument.indexOf('>', oldDocument.indexOf("<w:document")) + 1;
    const qsizetype newRootEnd = newDocument.indexOf('>', newDocument.indexOf("<w:document")) + 1;
    const QByteArray declarations =
        insertedPiece(oldDocument.left(oldRootEnd), newDocument.left(newRootEnd));
    QVERIFY(!declarations.isNull());
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^( xmlns:\w+="[^"]+")*$)"))
                 .match(QString::fromUtf8(declarations))
                 .hasMatch(),
             declarations.constData());
    const QByteArray body = insertedPiece(oldDocument.mid(oldRootEnd), newDocument.mid(newRootEnd));
    QVERIFY(body.startsWith("<w:p>"));
    QCOMPARE(body.count("<w:drawing>"), 2);
}

void TestDocx::keepsChangesMadeBetweenWrites_data() {
    QTest::addColumn<int>("duringWrite"); // how many times the other program saves during it
    QTest::newRow("between two writes") << 0;
    // The write notices the change at its commit and starts over from it.
    QTest::newRow("once during the write") << 1;
    // It gives up after a few tries; its picture waits.
    QTest::newRow("during every try") << 10;
}

void TestDocx::keepsChangesMadeBetweenWrites() {
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

void TestDocx::findsTheInsertionPoint_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("expected"); // the body's blocks afterwards
    const QString text = QStringLiteral("<w:p><w:r><w:t>文字</w:t></w:r></w:p>");
    const QString sect =
        QStringLiteral("<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>");
    QTest::newRow("ends with text") << wordDocument(text + sect) << "text pic empty sectPr";
    QTest::newRow("ends with an empty paragraph")
        << wordDocument(text + QStringLiteral("<w:p/>") + sect) << "text pic empty sectPr";
    QTest::newRow("empty paragraph declaring namespaces")
        << wordDocument(text +
                        QStringLiteral("<w:p w14:paraId=\"1\" xmlns:w14=\"urn:x\">"
                                       "<w:pPr><w:jc w:val=\"center\"/></w:pPr></w:p>") +
                        sect)
        << "text empty pic empty sectPr";
    QTest::newRow("empty paragraph, styled, bookmark after")
        << wordDocument(text +
                        QStringLiteral("<w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>"
                                       "<w:bookmarkStart w:id=\"0\" w:name=\"end\"/></w:p>"
                                       "<w:bookmarkEnd w:id=\"0\"/>") +
                        sect)
        << "text pic empty bookmarkEnd sectPr";
    QTest::newRow("LibreOffice's empty paragraph")
        << wordDocument(text +
                        QStringLiteral("<w:p><w:pPr><w:pStyle w:val=\"Normal\"/><w:rPr>"
                                       "</w:rPr></w:pPr><w:r><w:rPr></w:rPr></w:r></w:p>") +
                        sect)
        << "text pic empty sectPr";
    QTest::newRow("ends with a paragraph break run")
        << wordDocument(text + QStringLiteral("<w:p><w:r><w:br/></w:r></w:p>") + sect)
        << "text empty pic empty sectPr";
    QTest::newRow("ends with a table")
        << wordDocument(text + QStringLiteral("<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>") +
                        sect)
        << "text tbl pic empty sectPr";
    QTest::newRow("ends with a section break")
        << wordDocument(text + QStringLiteral("<w:p><w:pPr><w:sectPr/></w:pPr></w:p>") + sect)
        << "text break pic empty sectPr";
    QTest::newRow("tracked section change")
        << wordDocument(text + QStringLiteral("<w:sectPr><w:pgSz w:w=\"11906\"/><w:sectPrChange "
                                              "w:id=\"1\"><w:sectPr/></w:sectPrChange></w:sectPr>"))
        << "text pic empty sectPr";
    QTest::newRow("no section properties") << wordDocument(text) << "text pic empty";
    QTest::newRow("empty body") << QByteArray("<w:document xmlns:w=\"" + kW.toUtf8() +
                                              "\"><w:body/></w:document>")
                                << "pic empty";
    QTest::newRow("pretty printed, comments, CRLF, BOM")
        << "\xEF\xBB\xBF" + wordDocument(QStringLiteral("\r\n  <!-- x -->\r\n  ") + text +
                                         QStringLiteral("\r\n  <w:p>\r\n  </w:p>\r\n  ") + sect +
                                         QStringLiteral("\r\n"))
        << "text pic empty sectPr";
    QTest::newRow("word namespace as default")
        << ("<document xmlns=\"" + kW + "\"><body><p><r><t>文字</t></r></p><sectPr/></body>" +
            "</document>")
               .toUtf8()
        << "text pic empty sectPr";
    QTest::newRow("prefixes a and r taken")
        << ("<w:document xmlns:w=\"" + kW +
            "\" xmlns:a=\"urn:other\" xmlns:r=\"urn:more\"><w:body>" + text + sect +
            "</w:body></w:document>")
               .toUtf8()
        << "text pic empty sectPr";
    // Qt's reader lets a control character pass in a declared prefix, but not
    // in an element's name: the pictures must not be written with it.
    QTest::newRow("drawing namespace under a malformed prefix")
        << ("<w:document xmlns:w=\"" + kW + "\" xmlns:w\x12=\"" + docxinspect::kWp + "\"><w:body>" +
            text + sect + "</w:body></w:document>")
               .toUtf8()
        << "text pic empty sectPr";
}

void TestDocx::findsTheInsertionPoint() {
    QFETCH(QByteArray, document);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeZip(path, minimalPackage(document));
    ReportDocument report(path);
    QCOMPARE(report.open().message(), QString());
    report.paste(plot(0), segment(0));
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());
    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(after.blocks.join(u' '), expected);
    QCOMPARE(after.pictures.size(), 1);
    QCOMPARE(pictureOf(after, after.pictures.first()).pixel(5, 5), plotColor(0).rgb());
}

void TestDocx::fillsTemplates_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("header"); // a header holding a placeholder
    QTest::addColumn<QStringList>("segments");
    QTest::addColumn<QString>("expected");    // the body afterwards, as templateBody shows it
    QTest::addColumn<QString>("places");      // placeholders/bookmark/end
    QTest::addColumn<QStringList>("notices"); // a word of each notice, in order
    const QString title = para(QStringLiteral("测试报告"));
    const QString end = QStringLiteral("<w:p/>") + kSection;
    const QString centred = QStringLiteral("<w:pPr><w:jc w:val=\"center\"/></w:pPr>");
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    const QStringList abc{"A", "B", "C"};

    QTest::newRow("plain placeholders in order, then the end")
        << title + plain + para(QStringLiteral("第二节")) + para(QStringLiteral(" {{ vswr }} ")) +
               kSection
        << false << abc
        << title + picPara("A") + para(QStringLiteral("第二节")) + picPara("B") + picPara("C") + end
        << "2/0/1" << QStringList();
    QTest::newRow("named placeholders take their segment's plot wherever it comes")
        << para(QStringLiteral("{{驻波图:B}}"), centred) +
               para(QStringLiteral("{{驻波图： ａ }}")) + plain + kSection
        << false << QStringList{"A", "C", "B"}
        << QStringLiteral("<w:p>%1%2</w:p>").arg(centred, pic("B")) + picPara("A") + picPara("C") +
               kSection
        << "3/0/0" << QStringList();
    QTest::newRow("a segment without a placeholder takes a plain one, then the end")
        << para(QStringLiteral("{{驻波图:B}}")) + plain + kSection << false << abc
        << picPara("B") + picPara("A") + picPara("C") + end << "2/0/1" << QStringList();
    // Split by formatting and proofing marks, inside a bookmark of its own:
    // the runs give way to the picture, the rest of the paragraph stays.
    QTest::newRow("placeholder split across runs")
        << QStringLiteral("<w:p>%1<w:bookmarkStart w:id=\"5\" w:name=\"图1\"/><w:r><w:rPr><w:b/>"
                          "</w:rPr><w:t>{{</w:t></w:r><w:proofErr w:type=\"spellStart\"/><w:r>"
                          "<w:t>驻波</w:t></w:r><w:r><w:rPr><w:i/></w:rPr><w:t xml:space=\""
                          "preserve\">图 : T1-B1F </w:t></w:r><w:proofErr w:type=\"spellEnd\"/>"
                          "<w:r><w:lastRenderedPageBreak/><w:t>}}</w:t></w:r>"
                          "<w:bookmarkEnd w:id=\"5\"/></w:p>")
                   .arg(centred) +
               kSection
        << false << QStringList{"t1-b1f"}
        << QStringLiteral("<w:p>%1<w:bookmarkStart w:id=\"5\" w:name=\"图1\"/>%2"
                          "<w:bookmarkEnd w:id=\"5\"/></w:p>")
                   .arg(centred, pic("t1-b1f")) +
               kSection
        << "1/0/0" << QStringList();
    // An exact line spacing would crop the picture to one line: it becomes a
    // minimum; the rest of the paragraph's properties stay.
    const QString spaced =
        QStringLiteral("<w:pPr><w:spacing w:before=\"120\" w:line=\"360\" w:lineRule=\"%1\"/>"
                       "<w:jc w:val=\"center\"/></w:pPr>");
    QTest::newRow("placeholder with exact line spacing")
        << para(QStringLiteral("{{驻波图}}"), spaced.arg(QStringLiteral("exact"))) + kSection
        << false << QStringList{"A"}
        << QStringLiteral("<w:p>%1%2</w:p>").arg(spaced.arg(QStringLiteral("atLeast")), pic("A")) +
               kSection
        << "1/0/0" << QStringList();
    // Scaled to the cell: its own width, or its grid columns', less margins.
    QTest::newRow("placeholders in table cells")
        << table({3000, 6000},
                 {{"3000|" + plain, "|" + para(QStringLiteral("说明"))}, {"span2|" + plain}}) +
               kSection
        << false << QStringList{"A", "B"}
        << table({3000, 6000},
                 {{"3000|" + picPara("A", (3000 - 216) * 635), "|" + para(QStringLiteral("说明"))},
                  {"span2|" + picPara("B", (9000 - 216) * 635)}}) +
               kSection
        << "2/0/0" << QStringList();
    QTest::newRow("bookmark: after its paragraph, in save order")
        << title + bookmarked(QStringLiteral("各段驻波图：")) + para(QStringLiteral("结论")) +
               kSection
        << false << abc
        << title + bookmarked(QStringLiteral("各段驻波图：")) + picPara("A") + picPara("B") +
               picPara("C") + para(QStringLiteral("结论")) + kSection
        << "0/3/0" << QStringList();
    // Word ends a bookmark of a whole paragraph at the start of the next one.
    const QString wholeParagraph = QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"1\" w:name=\"VELTRACE\"/><w:r><w:t>图</w:t></w:r></w:p>"
        "<w:p><w:bookmarkEnd w:id=\"1\"/><w:r><w:t>结论</w:t></w:r></w:p>");
    QTest::newRow("bookmark of a whole paragraph, placeholders first")
        << plain + wholeParagraph + kSection << false << abc
        << picPara("A") + wholeParagraph.left(wholeParagraph.indexOf(u"<w:p><w:bookmarkEnd")) +
               picPara("B") + picPara("C") +
               wholeParagraph.mid(wholeParagraph.indexOf(u"<w:p><w:bookmarkEnd")) + kSection
        << "1/2/0" << QStringList();
    QTest::newRow("placeholder right after the bookmark")
        << bookmarked(QStringLiteral("图")) + plain + para(QStringLiteral("结论")) + kSection
        << false << abc
        << bookmarked(QStringLiteral("图")) + picPara("A") + picPara("B") + picPara("C") +
               para(QStringLiteral("结论")) + kSection
        << "1/2/0" << QStringList();
    QTest::newRow("bookmark in a table cell")
        << table({4000}, {{"|" + bookmarked(QStringLiteral("图"))}}) + kSection << false
        << QStringList{"A"}
        << table({4000},
                 {{"|" + bookmarked(QStringLiteral("图")) + picPara("A", (4000 - 216) * 635)}}) +
               kSection
        << "0/1/0" << QStringList();
    const QString spanning = QStringLiteral(
        "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/><w:r><w:t>一</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>二</w:t></w:r><w:bookmarkEnd w:id=\"0\"/></w:p>");
    QTest::newRow("bookmark spanning paragraphs")
        << spanning + kSection << false << abc
        << spanning + picPara("A") + picPara("B") + picPara("C") + end << "0/0/3"
        << QStringList{"跨越"};
    const QString aroundTable =
        QStringLiteral("<w:bookmarkStart w:id=\"0\" w:name=\"veltrace\"/>") +
        table({4000}, {{"|" + para(QStringLiteral("格"))}}) +
        QStringLiteral("<w:bookmarkEnd w:id=\"0\"/>") + title;
    QTest::newRow("bookmark around a table")
        << aroundTable + kSection << false << QStringList{"A"} << aroundTable + picPara("A") + end
        << "0/0/1" << QStringList{"跨越"};
    const QString textBox =
        QStringLiteral(
            "<w:p><w:r><w:pict><v:shape xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:textbox>"
            "<w:txbxContent>%1</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>")
            .arg(plain);
    QTest::newRow("placeholder in a text box")
        << textBox + title + kSection << false << QStringList{"A"}
        << textBox + title + picPara("A") + end << "0/0/1" << QStringList{"文本框"};
    const QString mixed = para(QStringLiteral("图 1：{{驻波图}}"));
    const QString withTab = QStringLiteral("<w:p><w:r><w:tab/><w:t>{{驻波图}}</w:t></w:r></w:p>");
    QTest::newRow("placeholders with other content")
        << mixed + withTab + kSection << false << QStringList{"A"}
        << mixed + withTab + picPara("A") + end << "0/0/1" << QStringList{"单独成段", "其他内容"};
    const QString twice = para(QStringLiteral("{{驻波图:A}}"));
    QTest::newRow("two placeholders for one segment")
        << twice + twice + kSection << false << QStringList{"A", "B"}
        << picPara("A") + twice + picPara("B") + end << "1/0/1" << QStringList{"不止一个（“A”）"};
    QTest::newRow("the only placeholder in a header")
        << title + kSection << true << QStringList{"A"} << title + picPara("A") + end << "0/0/1"
        << QStringList{"页眉"};
}

void TestDocx::fillsTemplates() {
    QFETCH(QString, body);
    QFETCH(bool, header);
    QFETCH(QStringList, segments);
    QFETCH(QString, expected);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    Entries package = minimalPackage(wordDocument(body));
    if (header) {
        package.append({kRelsPart, kDeclaration.toUtf8() +
                                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/"
                                       "package/2006/relationships\"><Relationship Id=\"rId1\" "
                                       "Type=\"" +
                                       kR.toUtf8() +
                                       "/header\" Target=\"header1.xml\"/>"
                                       "</Relationships>"});
        package.append({QStringLiteral("word/header1.xml"),
                        (QStringLiteral("<w:hdr xmlns:w=\"%1\"><w:p><w:r><w:t>{{驻</w:t></w:r>"
                                        "<w:r><w:t>波图}}</w:t></w:r></w:p></w:hdr>")
                             .arg(kW))
                            .toUtf8()});
    }
    // Written at once, and one write per picture: the same document.
    QTemporaryDir dir;
    QByteArray documents[2];
    for (const bool oneByOne : {false, true}) {
        const QString path =
            dir.filePath(oneByOne ? QStringLiteral("b.docx") : QStringLiteral("a.docx"));
        writeZip(path, package);
        if (!oneByOne)
            keepSource(fileBytes(path));
        ReportDocument report(path);
        QCOMPARE(report.open().message(), QString());
        for (int i = 0; i < segments.size(); ++i) {
            report.paste(plot(i), segments.at(i));
            report.typeParagraphBreak();
            if (oneByOne)
                QCOMPARE(report.flush().message(), QString());
        }
        QCOMPARE(report.flush().message(), QString());
        const docx::Placement& placement = report.placement();
        QCOMPARE(QStringLiteral("%1/%2/%3")
                     .arg(placement.placeholders)
                     .arg(placement.bookmark)
                     .arg(placement.end),
                 places);
        QCOMPARE(placement.notices.lines().size(), notices.size());
        for (int i = 0; i < notices.size(); ++i)
            QVERIFY2(placement.notices.lines().at(i).contains(notices.at(i)),
                     qPrintable(placement.notices.lines().at(i)));

        const Inspection after = inspect(path);
        verifyPackage(after);
        if (QTest::currentTestFailed())
            return;
        documents[oneByOne] = entry(after.entries, kDocumentPart);
        // Every byte outside the placeholders' runs and the new paragraphs
        // stays; every other part too.
        QCOMPARE(templateBody(documents[oneByOne]), expected);
        for (const auto& [name, data] : package) {
            if (name != kDocumentPart && name != kRelsPart && name != kTypesPart)
                QCOMPARE(entry(after.entries, name), data);
        }
        for (int i = 0; i < segments.size(); ++i)
            QCOMPARE(pictureOf(after, after.pictures.at(i)).pixel(5, 5),
                     plotColor(segments.indexOf(
                                   after.pictures.at(i).description.section(u'：', 1).section(
                                       u'（', 0, 0)))
                         .rgb());
        if (!oneByOne) {
            QJsonArray sequence;
            for (const QString& item : templateSequence(expected))
                sequence.append(item);
            keepSample(path, {{QStringLiteral("sequence"), sequence},
                              {QStringLiteral("segments"), QJsonArray::fromStringList(segments)},
                              {QStringLiteral("earlier_pictures"), 0}});
        }
    }
    QCOMPARE(documents[1], documents[0]);
}

void TestDocx::fitsTheTextWidth_data() {
    QTest::addColumn<QString>("section");       // body-level sectPr, or "new" for a new document
    QTest::addColumn<double>("textWidthTwips"); // 0: no page given, nothing to fit
    QTest::addColumn<int>("ratio");             // device pixels to a pixel of the picture
    QTest::newRow("new A4 document") << "new" << 11906.0 - 2 * 1800 << 1;
    QTest::newRow("A4, 2 cm margins (wide enough)")
        << "<w:pgSz w:w=\"11906\"/><w:pgMar w:left=\"1134\" w:right=\"1134\"/>"
        << 11906.0 - 2 * 1134 << 1;
    QTest::newRow("narrow page")
        << "<w:pgSz w:w=\"6000\"/><w:pgMar w:left=\"1000\" w:right=\"800\"/>" << 6000.0 - 1800 << 1;
    QTest::newRow("landscape A4") << "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/>"
                                     "<w:pgMar w:left=\"1440\" w:right=\"1440\"/>"
                                  << 16838.0 - 2880 << 1;
    QTest::newRow("measures with units")
        << "<w:pgSz w:w=\"16cm\"/><w:pgMar w:left=\"2.54cm\" w:right=\"0.5in\"/>"
        << 16 / 2.54 * 1440 - 1440 - 720 << 1;
    QTest::newRow("no margins") << "<w:pgSz w:w=\"8000\"/>" << 8000.0 << 1;
    QTest::newRow("no page size") << "<w:pgMar w:left=\"1440\" w:right=\"1440\"/>" << 0.0 << 1;
    // A finer picture takes the same place on the page.
    QTest::newRow("narrow page, ratio 3")
        << "<w:pgSz w:w=\"6000\"/><w:pgMar w:left=\"1000\" w:right=\"800\"/>" << 6000.0 - 1800 << 3;
    QTest::newRow("no page size, ratio 2")
        << "<w:pgMar w:left=\"1440\" w:right=\"1440\"/>" << 0.0 << 2;
}

void TestDocx::fitsTheTextWidth() {
    QFETCH(QString, section);
    QFETCH(double, textWidthTwips);
    QFETCH(int, ratio);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    if (section != u"new")
        writeZip(path, minimalPackage(wordDocument(QStringLiteral("<w:sectPr>") + section +
                                                   QStringLiteral("</w:sectPr>"))));
    ReportDocument report(path);
    QImage picture = plot(0).scaled(QSize(601, 289) * ratio);
    picture.setDevicePixelRatio(ratio);
    report.paste(picture, segment(0));
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());
    const Inspection after = inspect(path);
    QCOMPARE(after.pictures.size(), 1);
    const qint64 cx = after.pictures.first().cx;
    const qint64 cy = after.pictures.first().cy;
    const double limit = textWidthTwips > 0 ? textWidthTwips * 635 : 1e18;
    QVERIFY2(std::abs(cx - std::min<double>(kFullWidthEmu, limit)) <= 1,
             qPrintable(QString::number(cx)));
    // Scaled proportionally.
    QVERIFY2(std::abs(cy - cx * 289.0 / 601) <= 1, qPrintable(QString::number(cy)));
    // Every pixel kept; the file says how finely it is drawn (96 dpi times the ratio).
    const QImage kept = pictureOf(after, after.pictures.first());
    QCOMPARE(kept.size(), picture.size());
    QCOMPARE(kept.dotsPerMeterX(), 3780 * ratio);
    QCOMPARE(kept.dotsPerMeterY(), 3780 * ratio);
}

void TestDocx::cleansSegmentNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown"); // what the alternative text must contain
    QTest::newRow("plain") << "T1-B1F--T2-B1F"
                           << "T1-B1F--T2-B1F";
    QTest::newRow("markup characters") << "<a & \"b\" 'c'>"
                                       << "<a & \"b\" 'c'>";
    QTest::newRow("control characters") << QStringLiteral("馈线\x01段\x1F") << "馈线段";
    QTest::newRow("lone surrogate")
        << QStringLiteral("前") + QChar(0xD800) + QStringLiteral("后") << "前后";
    QTest::newRow("outside the BMP") << QStringLiteral("段😀") << QStringLiteral("段😀");
    QTest::newRow("placeholders") << "%1 %2 %11"
                                  << "%1 %2 %11";
    QTest::newRow("millions of characters")
        << QString(4000000, QChar(0x6BB5)) << QString(100, QChar(0x6BB5));
}

void TestDocx::cleansSegmentNames() {
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    ReportDocument report(path);
    report.paste(plot(0), name);
    report.typeParagraphBreak();
    QCOMPARE(report.flush().message(), QString());
    const Inspection after = inspect(path);
    verifyPackage(after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(after.pictures.size(), 1);
    QVERIFY2(after.pictures.first().description.contains(shown),
             qPrintable(after.pictures.first().description.left(400)));
    QVERIFY(after.pictures.first().description.contains(u"Veltrace"));
    // However long the name, the text written stays short.
    QVERIFY(after.pictures.first().description.size() < 300);
}

void TestDocx::refusesBadTargets_data() {
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

void TestDocx::refusesBadTargets() {
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

void TestDocx::failedWriteKeepsPictures_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("background");
    for (const bool background : {false, true}) {
        const char* mode = background ? "in the background" : "at once";
        QTest::addRow("open in LibreOffice, %s", mode) << "lock" << background;
        QTest::addRow("made read-only, %s", mode) << "read-only" << background;
        QTest::addRow("replaced by a text file, %s", mode) << "text" << background;
    }
}

void TestDocx::failedWriteKeepsPictures() {
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

void TestDocx::fullDiskLeavesTheDocumentWhole() {
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

void TestDocx::deletedDocumentIsWrittenAnew() {
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

void TestDocx::writesThroughOddTargets_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("name of 250 bytes") << "long name";
    QTest::newRow("symbolic link") << "link";
    QTest::newRow("symbolic link to a missing file") << "dangling link";
    QTest::newRow("temporaries a killed writer left") << "stale temporaries";
}

void TestDocx::writesThroughOddTargets() {
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

void TestDocx::marksTheDocumentInUse() {
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

void TestDocx::concurrentWritersKeepEveryPicture() {
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

void TestDocx::neverWritesPastItsReadLimits() {
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

QTEST_MAIN(TestDocx)
#include "tst_docx.moc"
