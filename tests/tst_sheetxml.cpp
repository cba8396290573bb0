#include "support/MakeWorkbook.h"
#include "workbook/CellValue.h"
#include "workbook/WorkbookGrid.h"
#include "workbook/XlsxReader.h"
#include "zip/XmlProlog.h"

#include <QTemporaryDir>
#include <QTest>

#include <utility>

// Reading a sheet's XML: the watch on what precedes the root element, and the
// fast sheet reader, which must read what Qt's reader reads or leave it to it.
namespace {

// A package whose Sheet1 part is `sheet`, with two shared strings and the styles of
// a date (1) and a time (2).
QString sheetPackage(const QString& path, const QByteArray& sheet) {
    const QByteArray rels =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"s.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"x/sharedStrings\" Target=\"strings.xml\"/>"
        "</Relationships>";
    return writeStoredZip(
        path, {{"xl/workbook.xml", "<workbook xmlns:r=\"urn:relationships\"><sheets>"
                                   "<sheet name=\"Sheet1\" r:id=\"rId1\"/></sheets></workbook>"},
               {"xl/_rels/workbook.xml.rels", rels},
               {"xl/styles.xml", "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                                 "<xf numFmtId=\"21\"/></cellXfs></styleSheet>"},
               {"xl/strings.xml", "<sst><si><t>驻波段</t></si><si><r><t>1</t></r><r><t>扇区</t></r>"
                                  "</si></sst>"},
               {"xl/s.xml", sheet}});
}

// What a reader made of a sheet: the cause, or every cell of the first 20 columns as
// kind, number and text.
QStringList readWith(const QString& path, xlsxreader::SheetXml reader, WorkbookGrid& grid) {
    Result<WorkbookGrid> read = xlsxreader::readSheet(path, QStringLiteral("Sheet1"), reader);
    if (!read) {
        grid.clear();
        return {read.cause()};
    }
    grid = std::move(read).value();
    QStringList cells;
    for (int row = 0; row <= grid.lastRow(); ++row)
        for (int column = 0; column < 20; ++column)
            if (const CellValue& cell = grid.at(row, column); !cell.isEmpty())
                cells << QStringLiteral("%1,%2:%3 %4 [%5]")
                             .arg(row)
                             .arg(column)
                             .arg(int(cell.kind))
                             .arg(cell.number, 0, 'g', 17)
                             .arg(cell.text);
    return cells;
}

} // namespace

class TestSheetXml : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void prologWatch_data();
    void prologWatch();

    void sheetReadersAgree_data();
    void sheetReadersAgree();

private:
    QTemporaryDir m_dir;
};

void TestSheetXml::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void TestSheetXml::prologWatch_data() {
    using Verdict = XmlPrologWatch::Verdict;
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<Verdict>("verdict");
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    const QByteArray doctype = "<!DOCTYPE worksheet [<!ENTITY a \"b\">]>";
    const auto utf16 = [](const QByteArray& text) {
        const QString wide = QString::fromLatin1(text);
        return QByteArray(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
    };
    QTest::newRow("root element") << declaration + "<worksheet>" << Verdict::Clear;
    QTest::newRow("declaration") << declaration + doctype << Verdict::Declaration;
    QTest::newRow("without XML declaration") << " \n" + doctype << Verdict::Declaration;
    QTest::newRow("after comment and instruction")
        << declaration + "<!-- a -> b - > c ---><?pi a>b?\?><!---->" + doctype
        << Verdict::Declaration;
    QTest::newRow("inside a comment") << "<!-- " + doctype + " --><worksheet>" << Verdict::Clear;
    QTest::newRow("inside an instruction") << "<?pi " + doctype + "?><worksheet>" << Verdict::Clear;
    QTest::newRow("after the root element") << "<worksheet>" + doctype << Verdict::Clear;
    QTest::newRow("UTF-8 byte order mark") << "\xEF\xBB\xBF" + doctype << Verdict::Declaration;
    QTest::newRow("UTF-16 with byte order mark")
        << "\xFF\xFE" + utf16(declaration + doctype) << Verdict::Declaration;
    QTest::newRow("UTF-16 big-endian without one")
        << utf16(declaration + doctype).prepend('\0').chopped(1) << Verdict::Declaration;
    QTest::newRow("cut inside the declaration") << declaration.left(20) << Verdict::Undecided;
}

void TestSheetXml::prologWatch() {
    QFETCH(QByteArray, start);
    QFETCH(XmlPrologWatch::Verdict, verdict);
    XmlPrologWatch whole;
    QCOMPARE(whole.feed(start), verdict);
    // Bytes arriving one at a time come to the same verdict.
    XmlPrologWatch pieces;
    for (char byte : start)
        pieces.feed(QByteArrayView(&byte, 1));
    QCOMPARE(pieces.verdict(), verdict);
}

void TestSheetXml::sheetReadersAgree_data() {
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<bool>("fast"); // read by the fast reader alone

    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const QByteArray open = "<worksheet xmlns=\"urn:main\" xmlns:r=\"urn:rel\"><sheetData>";
    const QByteArray close = "</sheetData></worksheet>";
    const auto sheet = [&](const QByteArray& rows) { return head + open + rows + close; };
    const QByteArray cells = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>1.18</v>"
                             "</c><c r=\"C1\" s=\"1\"><v>46363</v></c></row>"
                             "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"B2\" s=\"2\">"
                             "<v>0.5</v></c><c r=\"D2\" t=\"b\"><v>1</v></c></row>";

    // Read by the fast reader: what spreadsheet programs write, and the XML around it.
    QTest::newRow("cells of each kind") << sheet(cells) << true;
    QTest::newRow("without declaration") << open + cells + close << true;
    QTest::newRow("byte order mark, single quotes")
        << "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>" + open + cells + close << true;
    QTest::newRow("prefixed names")
        << head + "<x:worksheet xmlns:x=\"urn:main\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\">"
                  "<x:v>7</x:v></x:c></x:row></x:sheetData></x:worksheet>"
        << true;
    QTest::newRow("references and line ends")
        << sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                 "a&lt;&amp;&gt;&quot;&apos;&#x4E2D;&#25159;&#x1F600;\r\nb\rc\td&#13;</t></is></c>"
                 "<c r=\"B1\" t=\"str\"><v>中文😀</v></c></row>")
        << true;
    QTest::newRow("blanks in tags and attributes")
        << sheet("<row r = '1' ><c\r\n r=\"A1\"\tt=\"str\" ><v>x</v ></c ><c r=\"B1\" "
                 "t=\"s&#10;\"><v>1</v></c><c r=\"C1\" t=\"in\nlineStr\"><v>2</v></c></row >")
        << true;
    QTest::newRow("cells and rows without references")
        << sheet("<row><c><v>1</v></c><c/><c><v>3</v></c></row><row><c t=\"inlineStr\"><is>"
                 "<t>x</t></is></c></row><row r=\"5\"><c r=\"C5\"><v>5</v></c><c><v>6</v></c>"
                 "</row>")
        << true;
    QTest::newRow("other elements and texts")
        << sheet("text<row r=\"1\"><c r=\"A1\"><f>SUM(1)</f><v>2</v><extLst><x>9</x></extLst>"
                 "</c><c r=\"B1\"><v>1<x>2</x>3</v></c><c r=\"C1\"><v/></c><c r=\"D1\"/>"
                 "<other><c r=\"E1\"><v>4</v></c></other></row>")
        << true;
    QTest::newRow("rich text, phonetic runs, escapes")
        << sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><r><t>天</t></r><r><t>馈</t></r>"
                 "<rPh sb=\"0\" eb=\"1\"><t>てん</t></rPh><t>_x000D_x</t></is></c></row>")
        << true;
    QTest::newRow("cells out of order and twice")
        << sheet("<row r=\"3\"><c r=\"B3\"><v>2</v></c><c r=\"A3\"><v>1</v></c>"
                 "<c r=\"A3\"><v>9</v></c></row><row r=\"1\"><c r=\"A1\"><v>0</v></c></row>")
        << true;
    QTest::newRow("reference beyond the sheet")
        << sheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>") << true;
    QTest::newRow("missing shared string")
        << sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>") << true;
    QTest::newRow("unreadable number")
        << sheet("<row r=\"1\"><c r=\"A1\"><v>1,5</v></c></row>") << true;

    // Left to Qt's reader: other forms of XML, and XML that is not well-formed.
    QTest::newRow("comment") << sheet("<!-- x --><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")
                             << false;
    QTest::newRow("CDATA section") << sheet("<row r=\"1\"><c r=\"A1\"><v><![CDATA[12]]></v></c>"
                                            "</row>")
                                   << false;
    QTest::newRow("processing instruction") << sheet("<?pi x?>" + cells) << false;
    QTest::newRow("ISO-8859-1") << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + open +
                                       "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>\xE9</v></c></row>" +
                                       close
                                << false;
    const QString wide = QString::fromUtf8(sheet(cells));
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE") +
                                   QByteArray(reinterpret_cast<const char*>(wide.utf16()),
                                              wide.size() * 2)
                            << false;
    QTest::newRow("name outside ASCII") << sheet("<row r=\"1\"><é/></row>" + cells) << false;
    QTest::newRow("many attributes")
        << sheet("<row r=\"1\" a=\"\" b=\"\" c=\"\" d=\"\" e=\"\" f=\"\" g=\"\" h=\"\" i=\"\" "
                 "j=\"\" k=\"\" l=\"\" m=\"\" n=\"\" o=\"\" p=\"\" q=\"\"/>" +
                 cells)
        << false;
    QTest::newRow("nested deep") << sheet(cells + "<row>" + QByteArray("<x>").repeated(70) +
                                          QByteArray("</x>").repeated(70) + "</row>")
                                 << false;
    QTest::newRow("cut short") << sheet(cells).chopped(20) << false;
    QTest::newRow("end tag of another element")
        << sheet("<row r=\"1\"><c r=\"A1\"><v>1</c></v></row>") << false;
    QTest::newRow("undeclared prefix") << sheet("<row r=\"1\"><p:c r=\"A1\"/></row>") << false;
    QTest::newRow("attribute twice") << sheet("<row r=\"1\" r=\"2\"/>") << false;
    QTest::newRow("entity not declared") << sheet("<row r=\"1\"><c t=\"str\"><v>&nbsp;</v></c>"
                                                  "</row>")
                                         << false;
    QTest::newRow("reference to no character")
        << sheet("<row><c t=\"str\"><v>&#0;</v></c></row>") << false;
    QTest::newRow("invalid UTF-8") << sheet("<row><c t=\"str\"><v>\xC0\xAF</v></c></row>") << false;
    QTest::newRow("control character") << sheet("<row><c t=\"str\"><v>\x01</v></c></row>") << false;
    QTest::newRow("CDATA end in text") << sheet("<row><c t=\"str\"><v>]]></v></c></row>") << false;
    QTest::newRow("less-than in a value") << sheet("<row r=\"<\"/>") << false;
    QTest::newRow("element after the root") << sheet(cells) + "<worksheet/>" << false;
}

void TestSheetXml::sheetReadersAgree() {
    QFETCH(QByteArray, sheet);
    QFETCH(bool, fast);
    const QString path = sheetPackage(m_dir.filePath(QStringLiteral("readers.xlsx")), sheet);
    QVERIFY(!path.isEmpty());
    WorkbookGrid generalGrid;
    const QStringList general = readWith(path, xlsxreader::SheetXml::General, generalGrid);
    QVERIFY(!general.isEmpty());
    // Whichever reader reads it, the cells are those Qt's reader finds, and a refusal
    // gives the same cause.
    WorkbookGrid grid;
    QCOMPARE(readWith(path, xlsxreader::SheetXml::Auto, grid), general);
    QVERIFY(grid == generalGrid);
    const QStringList alone = readWith(path, xlsxreader::SheetXml::Fast, grid);
    if (fast)
        QCOMPARE(alone, general);
    else
        QVERIFY2(alone.size() == 1 && alone[0].contains(QStringLiteral("快速读取")),
                 qPrintable(alone.join('\n')));
}

QTEST_GUILESS_MAIN(TestSheetXml)
#include "tst_sheetxml.moc"
