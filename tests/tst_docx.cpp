#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// Pictures appended to a report: in order, the rest of the package kept byte
// for byte, scaled to the text width, named after their segment. Everything
// here reads the produced packages through support/DocxInspect (libzip and
// QXmlStreamReader), never through the document layer itself.
namespace {

using docxinspect::Entries;
using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::Inspection;
using docxinspect::kDocumentPart;
using docxinspect::kR;
using docxinspect::kRelsPart;
using docxinspect::kTypesPart;
using docxinspect::pictureOf;
using docxinspect::readZip;
using namespace docxbuild;

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

} // namespace

class TestDocx : public QObject {
    Q_OBJECT
private slots:
    void appendsPicturesInOrder_data();
    void appendsPicturesInOrder();
    void keepsTheRestOfThePackage_data();
    void keepsTheRestOfThePackage();
    void fitsTheTextWidth_data();
    void fitsTheTextWidth();
    void cleansSegmentNames_data();
    void cleansSegmentNames();
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
    QVERIFY2(QRegularExpression(QStringLiteral("^( xmlns:\\w+=\"[^\"]+\")*$"))
                 .match(QString::fromUtf8(declarations))
                 .hasMatch(),
             declarations.constData());
    const QByteArray body = insertedPiece(oldDocument.mid(oldRootEnd), newDocument.mid(newRootEnd));
    QVERIFY(body.startsWith("<w:p>"));
    QCOMPARE(body.count("<w:drawing>"), 2);
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

QTEST_MAIN(TestDocx)
#include "tst_docx.moc"
