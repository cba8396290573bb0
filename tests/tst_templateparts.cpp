#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"
#include "support/TestData.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// The parts the main part refers to (headers, footers, notes) as a template
// fills: their drawing ids stay unique, their size counts towards the read
// limits, and a part that cannot be read is named. Read back through
// support/DocxInspect and plain QXmlStreamReader, never the document layer.
namespace {

using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::kDocumentPart;
using docxinspect::kR;
using docxinspect::kRelsPart;
using docxinspect::kW;
using docxinspect::kWp;
using namespace docxbuild;

// A header (root hdr), footer (ftr) or notes part (footnotes, endnotes) of a
// paragraph with a picture of that drawing id (0: none) and that text,
// padded with that many blanks.
QByteArray sidePart(const QString& root, int drawingId, const QString& text,
                    qsizetype padding = 0) {
    QString drawing;
    if (drawingId > 0)
        drawing = QStringLiteral("<w:r><w:drawing><wp:inline><wp:extent cx=\"952500\" "
                                 "cy=\"476250\"/><wp:docPr id=\"%1\" name=\"徽标\"/></wp:inline>"
                                 "</w:drawing></w:r>")
                      .arg(drawingId);
    const QString paragraph =
        QStringLiteral("<w:p>%1<w:r><w:t>%2</w:t></w:r></w:p>").arg(drawing, text);
    const QString notes =
        root.endsWith(u"notes")
            ? QStringLiteral("<w:%1 w:id=\"1\">%2</w:%1>").arg(root.chopped(1), paragraph)
            : paragraph;
    return (kDeclaration +
            QStringLiteral("<w:%1 xmlns:w=\"%2\" xmlns:wp=\"%3\">").arg(root, kW, kWp))
               .toUtf8() +
           QByteArray(padding, ' ') + QStringLiteral("%1</w:%2>").arg(notes, root).toUtf8();
}

// The drawing ids of every XML part of a package, with the parts that hold
// each; an id held twice (in one part or two) is listed twice.
QHash<QString, QStringList> drawingIds(const Entries& entries) {
    QHash<QString, QStringList> ids;
    for (const auto& [name, data] : entries) {
        if (!name.endsWith(u".xml"))
            continue;
        QXmlStreamReader reader(data);
        while (!reader.atEnd()) {
            if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"docPr" &&
                reader.namespaceUri() == kWp)
                ids[reader.attributes().value(QStringLiteral("id")).toString()].append(name);
        }
    }
    return ids;
}

// Writes one plot per segment, each with its paragraph break, in one save;
// returns the placement as "placeholders/bookmark/end".
QString writePlots(const QString& path, const QStringList& segments, docx::Placement* placement) {
    ReportDocument report(path);
    const Outcome opened = report.open();
    if (!opened.isOk())
        return opened.message();
    for (int i = 0; i < segments.size(); ++i) {
        report.paste(plot(i), segments.at(i));
        report.typeParagraphBreak();
    }
    const Outcome written = report.flush();
    if (!written.isOk())
        return written.message();
    *placement = report.placement();
    return QStringLiteral("%1/%2/%3")
        .arg(placement->placeholders)
        .arg(placement->bookmark)
        .arg(placement->end);
}

} // namespace

class TestTemplateParts : public QObject {
    Q_OBJECT
private slots:
    void readsThePartsTheBodyRefersTo_data();
    void readsThePartsTheBodyRefersTo();
    void fillsATemplateOfExactLines();
};

void TestTemplateParts::readsThePartsTheBodyRefersTo_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<Entries>("parts");
    QTest::addColumn<QStringList>("relationships"); // "type target", see relationships()
    QTest::addColumn<QString>("places");
    QTest::addColumn<QStringList>("notices"); // a word of each notice, in order
    const QString body = para(QStringLiteral("报告")) + kSection;
    const QString header = QStringLiteral("word/header1.xml");
    QTest::newRow("a letterhead's logo takes drawing id 1")
        << body << Entries{{header, sidePart(QStringLiteral("hdr"), 1, QStringLiteral("公司"))}}
        << QStringList{"header header1.xml"} << "0/0/2" << QStringList();
    QTest::newRow("ids of footers, footnotes and endnotes")
        << body
        << Entries{{QStringLiteral("word/footer1.xml"), sidePart(QStringLiteral("ftr"), 1, {})},
                   {QStringLiteral("word/footnotes.xml"),
                    sidePart(QStringLiteral("footnotes"), 2, {})},
                   {QStringLiteral("word/endnotes.xml"),
                    sidePart(QStringLiteral("endnotes"), 3, {})}}
        << QStringList{"footer footer1.xml", "footnotes footnotes.xml", "endnotes endnotes.xml"}
        << "0/0/2" << QStringList();
    // Forty times a header of 2 MiB is more than all the parts read may
    // come to, once it is not.
    QStringList forty;
    for (int i = 0; i < 40; ++i)
        forty.append(QStringLiteral("header header1.xml"));
    QTest::newRow("one header named forty times")
        << para(QStringLiteral("{{驻波图}}")) + kSection
        << Entries{{header, sidePart(QStringLiteral("hdr"), 1, QStringLiteral("{{驻波图}}"),
                                     2 * 1024 * 1024)}}
        << forty << "1/0/1" << QStringList{"页眉"};
    // The first is read whole; the second would take the sum over 64 MiB.
    QTest::newRow("headers together larger than a part may be")
        << body
        << Entries{{header, sidePart(QStringLiteral("hdr"), 1, {}, 40 * 1024 * 1024)},
                   {QStringLiteral("word/header2.xml"),
                    sidePart(QStringLiteral("hdr"), 0, QStringLiteral("{{驻波图}}"),
                             40 * 1024 * 1024)}}
        << QStringList{"header header1.xml", "header header2.xml"} << "0/0/2"
        << QStringList{"header2.xml"};
    QTest::newRow("the main part named as a header")
        << para(QStringLiteral("{{驻波图}}")) + kSection << Entries()
        << QStringList{"header document.xml", "footer /word/document.xml"} << "1/0/1"
        << QStringList();
    QTest::newRow("a header with a document type declaration")
        << body
        << Entries{{header, "<?xml version=\"1.0\"?><!DOCTYPE w:hdr []>" +
                                sidePart(QStringLiteral("hdr"), 0, QStringLiteral("{{驻波图}}"))}}
        << QStringList{"header header1.xml"} << "0/0/2" << QStringList{"header1.xml"};
    QTest::newRow("a header that is not well-formed, after its logo")
        << body << Entries{{header, sidePart(QStringLiteral("hdr"), 1, {}).chopped(8)}}
        << QStringList{"header header1.xml"} << "0/0/2" << QStringList();
}

void TestTemplateParts::readsThePartsTheBodyRefersTo() {
    QFETCH(QString, body);
    QFETCH(Entries, parts);
    QFETCH(QStringList, relationships);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    Entries package = minimalPackage(wordDocument(body)) + parts;
    package.append({kRelsPart, docxbuild::relationships(relationships)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeZip(path, package);

    docx::Placement placement;
    QCOMPARE(writePlots(path, {segment(0), segment(1)}, &placement), places);
    compareNotices(placement.notices.lines(), notices);
    const Inspection after = inspect(path);
    verifyPackage(after);
    for (const auto& [name, data] : parts)
        QCOMPARE(entry(after.entries, name), data);
    // A drawing id is used once in the whole document, headers and notes too.
    const QHash<QString, QStringList> ids = drawingIds(after.entries);
    for (auto it = ids.cbegin(); it != ids.cend(); ++it)
        QVERIFY2(it->size() == 1, qPrintable(it.key() + u' ' + it->join(u',')));
    QCOMPARE(after.pictures.size(), 2);
}

// A template as python-docx makes it, its Normal style of exact line height
// (tests/data/docx/make_fixtures.py): every plot shows whole at the width its
// paragraph leaves it, with an id clear of the header's logo.
void TestTemplateParts::fillsATemplateOfExactLines() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    QVERIFY(QFile::copy(docxData(QStringLiteral("template-exact-lines.docx")), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QStringList segments{segment(0), segment(1), segment(2), segment(3)};
    docx::Placement placement;
    QCOMPARE(writePlots(path, segments, &placement), QStringLiteral("3/0/1"));
    QCOMPARE(placement.notices.lines(), QStringList());

    const Inspection after = inspect(path);
    verifyPackage(after);
    QCOMPARE(after.pictures.size(), 4);
    // Letter, margins of 1800 twips: the list item less its number's indent,
    // the table cell less its margins, the text width twice.
    const qint64 widths[] = {(8640 - 360) * 635, (8640 - 216) * 635, 8640 * 635, 8640 * 635};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(after.pictures.at(i).cx, widths[i]);
    const QString body = QString::fromUtf8(entry(after.entries, kDocumentPart));
    QCOMPARE(body.count(QStringLiteral("w:lineRule=\"atLeast\"")), 4);
    QVERIFY(body.contains(QStringLiteral("<w:trHeight w:val=\"567\" w:hRule=\"atLeast\"/>")));
    const QHash<QString, QStringList> ids = drawingIds(after.entries);
    for (auto it = ids.cbegin(); it != ids.cend(); ++it)
        QVERIFY2(it->size() == 1, qPrintable(it.key() + u' ' + it->join(u',')));

    QJsonArray sequence;
    for (const QString& item :
         {QStringLiteral("站点驻波测试报告"), QStringLiteral("各测试段的驻波图："),
          QStringLiteral("pic:") + segment(0), QStringLiteral("pic:") + segment(1),
          QStringLiteral("pic:") + segment(2), QStringLiteral("pic:") + segment(3)})
        sequence.append(item);
    keepSample(path, {{QStringLiteral("sequence"), sequence},
                      {QStringLiteral("segments"), QJsonArray::fromStringList(segments)},
                      {QStringLiteral("earlier_pictures"), 0},
                      {QStringLiteral("header_pictures"), 1},
                      {QStringLiteral("whole"), true}});
}

QTEST_MAIN(TestTemplateParts)
#include "tst_templateparts.moc"
