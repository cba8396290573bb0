#include "document/ReportDocument.h"
#include "support/DocxBuild.h"
#include "support/DocxInspect.h"

#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

// Where pictures go in a report and whether Word and LibreOffice show them
// whole there: the parts the main part refers to, hidden places, line heights
// and the width a paragraph leaves. The packages are read back through
// support/DocxInspect and plain QXmlStreamReader, never through the document
// layer.
namespace {

using docxinspect::entry;
using docxinspect::inspect;
using docxinspect::kDocumentPart;
using docxinspect::kR;
using docxinspect::kRelsPart;
using docxinspect::kW;
using docxinspect::kWp;
using namespace docxbuild;

// The relationships of the main part: each entry "type target", the type
// being the last word of its URI (header, footer, footnotes, styles, ...).
QByteArray relationships(const QStringList& entries) {
    QString xml = kDeclaration + QStringLiteral("<Relationships xmlns=\"http://schemas."
                                                "openxmlformats.org/package/2006/relationships\">");
    for (int i = 0; i < entries.size(); ++i)
        xml += QStringLiteral("<Relationship Id=\"rIdT%1\" Type=\"%2/%3\" Target=\"%4\"/>")
                   .arg(i + 1)
                   .arg(kR, entries.at(i).section(u' ', 0, 0), entries.at(i).section(u' ', 1));
    return (xml + QStringLiteral("</Relationships>")).toUtf8();
}

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

// Each notice holds the word expected of it, in order.
void compareNotices(const QStringList& notices, const QStringList& words) {
    QCOMPARE(notices.size(), words.size());
    for (int i = 0; i < words.size(); ++i)
        QVERIFY2(notices.at(i).contains(words.at(i)), qPrintable(notices.at(i)));
}

// Writes the plots of the segments into a copy of the package, in one save
// and in one save per plot; both must give the same main part, which is
// returned as templateBody shows it.
QString fillTemplate(const Entries& package, const QStringList& segments, QString* places,
                     QStringList* notices) {
    QTemporaryDir dir;
    QByteArray documents[2];
    for (const bool oneByOne : {false, true}) {
        const QString path =
            dir.filePath(oneByOne ? QStringLiteral("b.docx") : QStringLiteral("a.docx"));
        writeZip(path, package);
        ReportDocument report(path);
        if (const Outcome opened = report.open(); !opened.isOk())
            return opened.message();
        for (int i = 0; i < segments.size(); ++i) {
            report.paste(plot(i), segments.at(i));
            report.typeParagraphBreak();
            if (oneByOne && !report.flush().isOk())
                return QStringLiteral("a save failed");
        }
        if (const Outcome written = report.flush(); !written.isOk())
            return written.message();
        const docx::Placement& placement = report.placement();
        *places = QStringLiteral("%1/%2/%3")
                      .arg(placement.placeholders)
                      .arg(placement.bookmark)
                      .arg(placement.end);
        *notices = placement.notices;
        const Inspection after = inspect(path);
        verifyPackage(after);
        documents[oneByOne] = entry(after.entries, kDocumentPart);
        if (!oneByOne) {
            // For the readers of check_docx_readers.sh: every picture drawn
            // whole, in this order.
            QJsonArray sequence;
            for (const QString& item : templateSequence(templateBody(documents[0])))
                sequence.append(item);
            keepSample(path, {{QStringLiteral("sequence"), sequence},
                              {QStringLiteral("segments"), QJsonArray::fromStringList(segments)},
                              {QStringLiteral("earlier_pictures"), 0},
                              {QStringLiteral("whole"), true}});
        }
    }
    if (documents[1] != documents[0])
        return QStringLiteral("one save per plot gave another document");
    return templateBody(documents[0]);
}

// A main part of that body that declares on its root, as Word does, the
// prefix mc of markup compatibility.
QByteArray mainPart(const QString& body) {
    return wordDocument(body).replace(
        "<w:document ",
        "<w:document xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" ");
}

// A table cell with its properties and content.
QString cell(const QString& properties, const QString& content) {
    return QStringLiteral("<w:tc><w:tcPr>%1</w:tcPr>%2</w:tc>").arg(properties, content);
}

// A table of those rows (each "<w:tr>...</w:tr>") on a grid of that many
// columns of 4000 twips.
QString tableOf(int columns, const QString& rows) {
    QString grid;
    for (int i = 0; i < columns; ++i)
        grid += QStringLiteral("<w:gridCol w:w=\"4000\"/>");
    return QStringLiteral("<w:tbl><w:tblPr/><w:tblGrid>%1</w:tblGrid>%2</w:tbl>").arg(grid, rows);
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void placesPicturesWhereShown_data();
    void placesPicturesWhereShown();
    void readsThePartsTheBodyRefersTo_data();
    void readsThePartsTheBodyRefersTo();
};

void TestPlacement::readsThePartsTheBodyRefersTo_data() {
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

void TestPlacement::readsThePartsTheBodyRefersTo() {
    QFETCH(QString, body);
    QFETCH(Entries, parts);
    QFETCH(QStringList, relationships);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    Entries package = minimalPackage(wordDocument(body)) + parts;
    package.append({kRelsPart, ::relationships(relationships)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.docx"));
    writeZip(path, package);

    docx::Placement placement;
    QCOMPARE(writePlots(path, {segment(0), segment(1)}, &placement), places);
    compareNotices(placement.notices, notices);
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

void TestPlacement::placesPicturesWhereShown_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<Entries>("parts"); // styles and numbering, with relationships
    QTest::addColumn<QStringList>("segments");
    QTest::addColumn<QString>("expected"); // the body afterwards, as templateBody shows it
    QTest::addColumn<QString>("places");
    QTest::addColumn<QStringList>("notices");
    const QString plain = para(QStringLiteral("{{驻波图}}"));
    const QString end = QStringLiteral("<w:p/>") + kSection;
    const QStringList ab{"A", "B"};
    const QString deleted =
        QStringLiteral("<w:del w:id=\"9\" w:author=\"审阅\" w:date=\"2024-05-06T00:00:00Z\"/>");

    // Hidden places: left as they are, said once; the plot goes on.
    const QString alternatives =
        QStringLiteral("<mc:AlternateContent><mc:Choice "
                       "Requires=\"w14\">%1</mc:Choice><mc:Fallback>%1</mc:Fallback>"
                       "</mc:AlternateContent>")
            .arg(plain);
    QTest::newRow("placeholders in both alternatives of mc:AlternateContent")
        << alternatives + plain + kSection << Entries() << ab
        << alternatives + picPara("A") + picPara("B") + end << "1/0/1"
        << QStringList{"mc:AlternateContent"};
    const QString merged =
        tableOf(2, QStringLiteral("<w:tr>%1%2</w:tr><w:tr>%3%4</w:tr>")
                       .arg(cell(QStringLiteral("<w:vMerge w:val=\"restart\"/>"),
                                 para(QStringLiteral("合并"))),
                            cell({}, plain), cell(QStringLiteral("<w:vMerge/>"), plain),
                            cell({}, para(QStringLiteral("说明")))));
    QTest::newRow("placeholder in the merged part of a merged cell")
        << merged + kSection << Entries() << ab
        << QString(merged).replace(QStringLiteral("<w:tc><w:tcPr></w:tcPr>") + plain,
                                   QStringLiteral("<w:tc><w:tcPr></w:tcPr>") +
                                       picPara("A", (4000 - 216) * 635)) +
               picPara("B") + end
        << "1/0/1" << QStringList{"合并单元格"};
    const QString deletedRow = tableOf(
        1, QStringLiteral("<w:tr><w:trPr>%1</w:trPr>%2</w:tr>").arg(deleted, cell({}, plain)));
    QTest::newRow("placeholder in a deleted table row")
        << deletedRow + kSection << Entries() << ab
        << deletedRow + picPara("A") + picPara("B") + end << "0/0/2"
        << QStringList{"已删除的表格行"};
    const QString hiddenRow = tableOf(
        1, QStringLiteral("<w:tr><w:trPr><w:hidden/></w:trPr>%1</w:tr>").arg(cell({}, plain)));
    QTest::newRow("placeholder in a hidden table row")
        << hiddenRow + kSection << Entries() << ab << hiddenRow + picPara("A") + picPara("B") + end
        << "0/0/2" << QStringList{"隐藏的表格行"};
    const QString deletedParagraph =
        para(QStringLiteral("{{驻波图}}"),
             QStringLiteral("<w:pPr><w:rPr>%1</w:rPr></w:pPr>").arg(deleted));
    QTest::newRow("placeholder whose paragraph is deleted")
        << deletedParagraph + plain + kSection << Entries() << ab
        << deletedParagraph + picPara("A") + picPara("B") + end << "1/0/1"
        << QStringList{"已被删除"};
    const QString markedMerged = tableOf(
        1,
        QStringLiteral("<w:tr>%1</w:tr><w:tr>%2</w:tr>")
            .arg(cell(QStringLiteral("<w:vMerge w:val=\"restart\"/>"), para(QStringLiteral("图"))),
                 cell(QStringLiteral("<w:vMerge/>"), bookmarked(QStringLiteral("图")))));
    QTest::newRow("bookmark in the merged part of a merged cell")
        << markedMerged + kSection << Entries() << ab
        << markedMerged + picPara("A") + picPara("B") + end << "0/0/2" << QStringList{"合并单元格"};
    // A deleted empty paragraph at the end is not where the plots go.
    const QString deletedEnd =
        QStringLiteral("<w:p><w:pPr><w:rPr>%1</w:rPr></w:pPr></w:p>").arg(deleted);
    QTest::newRow("deleted empty paragraph at the end")
        << para(QStringLiteral("报告")) + deletedEnd + kSection << Entries() << ab
        << para(QStringLiteral("报告")) + deletedEnd + picPara("A") + picPara("B") + end << "0/0/2"
        << QStringList();
}

void TestPlacement::placesPicturesWhereShown() {
    QFETCH(QString, body);
    QFETCH(Entries, parts);
    QFETCH(QStringList, segments);
    QFETCH(QString, expected);
    QFETCH(QString, places);
    QFETCH(QStringList, notices);
    QString placed;
    QStringList told;
    const QString written =
        fillTemplate(minimalPackage(mainPart(body)) + parts, segments, &placed, &told);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(written, expected);
    QCOMPARE(placed, places);
    compareNotices(told, notices);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
