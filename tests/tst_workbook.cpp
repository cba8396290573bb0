#include "support/MakeWorkbook.h"
#include "support/TestData.h"
#include "workbook/CellValue.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookGrid.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zip.h>

#include <cmath>

using Kind = CellValue::Kind;
using Rows = QList<QStringList>;

// The workbook as the batch reads it: the rows of Sheet1 in .xls and .xlsx,
// the kind of each cell, and every input it must refuse with its cause.
namespace {

// Columns A to F of every data row as toText() gives them.
Rows readAll(Workbook& workbook) {
    Rows rows;
    for (; !workbook.atEnd(); workbook.moveNext()) {
        QStringList row;
        for (int column = 0; column < 6; ++column)
            row << workbook.field(column).toText();
        rows << row;
    }
    return rows;
}

const Rows kBasicRows{
    {"1扇区", "1.18", "", "25.36", "14:05:09", "复测"},
    {"2扇区", "1.25", "8", "30", "2026-12-07", ""},
    {"", "", "", "", "", ""},
    {"3扇区", "", "12.5", "", "2026-12-07 14:05:09", ""},
    {"4扇区", "1.3", "", "40", "09:30:00", ""},
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putLe(QByteArray& data, qsizetype at, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        data[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// basic.xls with the sheet's dimension record claiming `rows` by `columns`.
QByteArray xlsClaiming(quint32 rows, quint16 columns) {
    QByteArray data = fileBytes(workbookData(QStringLiteral("basic.xls")));
    const qsizetype at = data.indexOf(QByteArray("\x00\x02\x0e\x00", 4));
    if (at < 0)
        return QByteArray();
    putLe(data, at + 8, rows, 4);
    putLe(data, at + 14, columns, 2);
    return data;
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void readsRows_data();
    void readsRows();
    void typedCells_data();
    void typedCells();
    void countsEmptyRows_data();
    void countsEmptyRows();
    void cursorLifecycle();
    void refusesBadInput_data();
    void refusesBadInput();

private:
    QString write(const QString& name, const QByteArray& data);
    QString copy(const QString& fixture, const QString& name);

    QTemporaryDir m_dir;
};

void TestWorkbook::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo::exists(workbookData(QStringLiteral("basic.xls"))),
             "tests/data/workbooks not found");
}

QString TestWorkbook::write(const QString& name, const QByteArray& data) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
    return path;
}

QString TestWorkbook::copy(const QString& fixture, const QString& name) {
    return write(name, fileBytes(workbookData(fixture)));
}

void TestWorkbook::readsRows_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<Rows>("rows");

    for (const char* name : {"basic.xls", "basic.xlsx", "basic-calc.xls", "basic-calc.xlsx",
                             "second-sheet.xls", "second-sheet.xlsx"})
        QTest::newRow(name) << workbookData(QLatin1String(name)) << kBasicRows;
    QTest::newRow(".xlsx content named .xls") << copy("basic.xlsx", "renamed.xls") << kBasicRows;
    QTest::newRow(".xls content named .xlsx") << copy("basic.xls", "renamed.xlsx") << kBasicRows;
    QTest::newRow(".xls content without extension") << copy("basic.xls", "renamed") << kBasicRows;

    const Rows mixed{{"A1", "1.18", "8", "", "", ""},
                     {"A2", "无", "9.5", "12", "", ""},
                     {"A3", "2", "10", "未测", "", ""},
                     {"A4", "", "11", "", "", ""}};
    QTest::newRow("mixed.xls") << workbookData(QStringLiteral("mixed.xls")) << mixed;
    QTest::newRow("mixed.xlsx") << workbookData(QStringLiteral("mixed.xlsx")) << mixed;
    QTest::newRow("heading-only.xls") << workbookData(QStringLiteral("heading-only.xls")) << Rows{};
    QTest::newRow("heading-only.xlsx")
        << workbookData(QStringLiteral("heading-only.xlsx")) << Rows{};

    QTest::newRow("features.xlsx")
        << workbookData(QStringLiteral("features.xlsx"))
        << Rows{{"天馈", "1.18", "TRUE", "2026-12-07", "14:05:09", ""},
                {"内联文本", "公式文本", "", "#DIV/0!", "2026-12-07 14:05:09", ""},
                {"3扇区", "25", "FALSE", "", "12:00:00", ""},
                {"", "", "", "", "", ""},
                // The built-in format 22 shows the date and the time.
                {"", "-0.5", "", "", "2026-12-07 14:05:09", ""},
                {"2026-12-07 14:05:09", "", "", "", "", ""}};
    QTest::newRow("date1904.xlsx")
        << workbookData(QStringLiteral("date1904.xlsx"))
        << Rows{{"1904-01-01", "", "", "", "", ""}, {"2026-12-07", "", "", "", "", ""}};

    // Sound packages that once cost far more than their size (the fuzz corpus holds
    // them too, where a slow read fails the run). 4 KB: 40,000 cell formats sharing a
    // number format of 100,000 characters took 90 s when each judged it anew.
    QTest::newRow("long number format shared by many cell formats")
        << workbookData(QStringLiteral("hostile/long-format-many-styles.xlsx"))
        << Rows{{"25.36", "", "", "", "", ""}};
    // A row of all 16,384 columns from XFD down to A took 0.7 s to put in order.
    QTest::newRow("cells out of order")
        << workbookData(QStringLiteral("hostile/descending-columns.xlsx"))
        << Rows{{"1", "2", "3", "4", "5", "6"},
                {"新", "乙", "丙", "", "", ""},
                {"", "4", "", "", "", ""},
                {"5", "", "", "", "", ""}};
    // 13 KB whose workbook part names its shared strings (1.7 MB unpacked) and styles
    // 1000 times each: read once per relationship, they ended in a failed allocation.
    QTest::newRow("parts named by many relationships")
        << workbookData(QStringLiteral("hostile/repeated-parts.xlsx"))
        << Rows{{"1扇区", "1.18", "", "", "2026-12-07", ""}};
}

void TestWorkbook::readsRows() {
    QFETCH(QString, path);
    QFETCH(Rows, rows);
    Workbook workbook;
    QCOMPARE(workbook.open(path).message(), QString());
    QCOMPARE(workbook.rowCount(), rows.size());
    QCOMPARE(readAll(workbook), rows);
}

void TestWorkbook::typedCells_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row"); // data row, 0 is the sheet's row 2
    QTest::addColumn<int>("column");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<double>("number"); // value or serial; for Number and DateTime

    for (const char* file : {"basic.xls", "basic.xlsx", "basic-calc.xls", "basic-calc.xlsx"}) {
        const auto add = [&](const char* what, int row, int column, Kind kind, double number) {
            QTest::addRow("%s %s", file, what) << file << row << column << kind << number;
        };
        add("segment text", 0, 0, Kind::Text, qQNaN());
        add("decimal", 0, 1, Kind::Number, 1.18);
        add("empty cell", 0, 2, Kind::Empty, 0);
        add("whole number", 1, 2, Kind::Number, 8);
        add("time", 0, 4, Kind::DateTime, 50709.0 / 86400);
        add("date", 1, 4, Kind::DateTime, 46363);
        add("date and time", 3, 4, Kind::DateTime, 46363 + 50709.0 / 86400);
        add("empty row", 2, 0, Kind::Empty, 0);
        add("empty B", 3, 1, Kind::Empty, 0);
        add("past column E", 0, 5, Kind::Text, qQNaN());
    }
    for (const char* file : {"mixed.xls", "mixed.xlsx"}) {
        const auto add = [&](const char* what, int row, int column, Kind kind, double number) {
            QTest::addRow("%s %s", file, what) << file << row << column << kind << number;
        };
        // A number read as text keeps its value, whatever the locale writes.
        add("number in a mixed column", 0, 1, Kind::Text, 1.18);
        add("whole number in a mixed column", 2, 1, Kind::Text, 2);
        add("text in a mixed column", 1, 1, Kind::Text, qQNaN());
        add("empty in a mixed column", 3, 1, Kind::Empty, 0);
        add("number column", 1, 2, Kind::Number, 9.5);
        add("number beside empties and a text", 1, 3, Kind::Text, 12);
    }
    QTest::newRow("features.xlsx times")
        << "features.xlsx" << 0 << 4 << Kind::DateTime << 50709.0 / 86400;
    QTest::newRow("features.xlsx booleans") << "features.xlsx" << 0 << 2 << Kind::Text << qQNaN();
    QTest::newRow("features.xlsx styled empty") << "features.xlsx" << 4 << 0 << Kind::Empty << 0.0;
}

void TestWorkbook::typedCells() {
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(Kind, kind);
    QFETCH(double, number);
    Workbook workbook;
    QCOMPARE(workbook.open(workbookData(file)).message(), QString());
    for (int i = 0; i < row; ++i)
        workbook.moveNext();
    QVERIFY(!workbook.atEnd());
    const CellValue cell = workbook.field(column);
    QCOMPARE(cell.kind, kind);
    if (kind == Kind::Number || kind == Kind::Text)
        QCOMPARE(cell.numberValue().value_or(qQNaN()), number);
    if (kind == Kind::DateTime)
        QVERIFY2(std::fabs(cell.number - number) < 1.0 / 86400 / 10,
                 qPrintable(QString::number(cell.number, 'g', 17)));
}

void TestWorkbook::countsEmptyRows_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("empty"); // without a value in columns A to E
    QTest::newRow("basic.xls") << "basic.xls" << 5 << 1;
    QTest::newRow("basic.xlsx") << "basic.xlsx" << 5 << 1;
    QTest::newRow("features.xlsx") << "features.xlsx" << 6 << 1;
    QTest::newRow("heading-only.xlsx") << "heading-only.xlsx" << 0 << 0;
    // One value in the format's last row; the .xlsx has a remark in F2 alone.
    QTest::newRow("last-row.xls") << "last-row.xls" << 65535 << 65534;
    QTest::newRow("last-row.xlsx") << "last-row.xlsx" << 1048575 << 1048574;
}

void TestWorkbook::countsEmptyRows() {
    QFETCH(QString, file);
    QFETCH(int, rows);
    QFETCH(int, empty);
    Workbook workbook;
    QCOMPARE(workbook.open(workbookData(file)).message(), QString());
    QCOMPARE(workbook.rowCount(), rows);
    QCOMPARE(workbook.emptyRowCount(), empty);
    // The cursor steps through the empty rows all the same, up to the last one, which
    // in each of these has a value in column A.
    for (int i = 1; i < rows; ++i)
        workbook.moveNext();
    QCOMPARE(workbook.atEnd(), rows == 0);
    QCOMPARE(workbook.field(0).isEmpty(), rows == 0);
}

void TestWorkbook::cursorLifecycle() {
    Workbook workbook;
    QVERIFY(workbook.atEnd());
    QCOMPARE(workbook.rowCount(), 0);
    QVERIFY(workbook.field(0).isEmpty());

    QCOMPARE(workbook.open(workbookData(QStringLiteral("basic.xlsx"))).message(), QString());
    QCOMPARE(workbook.rowCount(), 5);
    QVERIFY(workbook.field(-1).isEmpty());
    QVERIFY(workbook.field(200).isEmpty());
    for (int i = 0; i < 5; ++i)
        workbook.moveNext();
    QVERIFY(workbook.atEnd());
    QVERIFY(workbook.field(0).isEmpty());
    workbook.moveNext();
    QVERIFY(workbook.atEnd());

    // Opening again starts over; a failed open leaves nothing of the previous workbook.
    QCOMPARE(workbook.open(workbookData(QStringLiteral("basic.xls"))).message(), QString());
    QCOMPARE(workbook.field(0).toText(), QStringLiteral("1扇区"));
    QVERIFY(!workbook.open(workbookData(QStringLiteral("no-sheet1.xls"))).isOk());
    QVERIFY(workbook.atEnd());
    QCOMPARE(workbook.rowCount(), 0);

    QCOMPARE(workbook.open(workbookData(QStringLiteral("basic.xls"))).message(), QString());
    workbook.close();
    QVERIFY(workbook.atEnd());
    QCOMPARE(workbook.rowCount(), 0);
}

void TestWorkbook::refusesBadInput_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("mentions"); // besides the file's name

    const QByteArray xlsx = fileBytes(workbookData(QStringLiteral("basic.xlsx")));
    const QByteArray xls = fileBytes(workbookData(QStringLiteral("basic.xls")));
    QVERIFY(!xlsx.isEmpty() && !xls.isEmpty());
    QByteArray noise(4096, '\0');
    QRandomGenerator random(20261207);
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));

    QTest::newRow("missing") << m_dir.filePath("missing.xlsx") << QStringList{"不存在"};
    QTest::newRow("folder") << m_dir.path() << QStringList{"文件夹"};
    // A pipe would block the read for ever.
    const QString pipe = m_dir.filePath("pipe.xlsx");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QTest::newRow("named pipe") << pipe << QStringList{"普通文件"};
    QTest::newRow("empty file") << write("empty.xls", {}) << QStringList{"空"};
    QTest::newRow("text file") << write("data.xls", "驻波段,驻波比\r\n1扇区,1.18\r\n")
                               << QStringList{"文本"};
    QTest::newRow("random bytes") << write("random.xlsx", noise) << QStringList{};
    QTest::newRow("truncated .xlsx")
        << write("truncated.xlsx", xlsx.left(xlsx.size() / 2)) << QStringList{"截断"};
    QTest::newRow("truncated .xls")
        << write("truncated.xls", xls.left(xls.size() / 2)) << QStringList{};
    QTest::newRow(".xls header only") << write("header.xls", xls.left(512)) << QStringList{};
    QTest::newRow("compound file of noise")
        << write("noise.xls", xls.left(8) + noise) << QStringList{};

    QByteArray damaged = xlsx;
    const qsizetype entry = damaged.indexOf("xl/worksheets/sheet1.xml");
    QVERIFY(entry > 0);
    for (qsizetype i = entry + 40; i < entry + 80; ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    QTest::newRow("damaged .xlsx data") << write("damaged.xlsx", damaged) << QStringList{};

    QTest::newRow(".xls claiming 4 billion rows")
        << write("claims-billions.xls", xlsClaiming(0xFFFFFFF0u, 0xFF00)) << QStringList{};
    QTest::newRow(".xls claiming a row past the format")
        << write("claims-65537.xls", xlsClaiming(65537, 6)) << QStringList{"65537"};

    QTest::newRow("no Sheet1 .xls") << workbookData(QStringLiteral("no-sheet1.xls"))
                                    << QStringList{"Sheet1", "Data", "Summary"};
    QTest::newRow("no Sheet1 .xlsx") << workbookData(QStringLiteral("no-sheet1.xlsx"))
                                     << QStringList{"Sheet1", "Data", "Summary"};
    QTest::newRow("password .xls")
        << workbookData(QStringLiteral("protected.xls")) << QStringList{"密码"};
    QTest::newRow("password .xlsx")
        << workbookData(QStringLiteral("protected.xlsx")) << QStringList{"密码"};
    QTest::newRow("password .xlsx named .xls")
        << copy("protected.xlsx", "protected-renamed.xls") << QStringList{"密码"};
    // Compound files without a workbook stream, told apart before FreeXL reads them.
    QTest::newRow("Word document named .xls")
        << workbookData(QStringLiteral("word-document.xls")) << QStringList{"Word 文档"};
    QTest::newRow("other compound file named .xls")
        << workbookData(QStringLiteral("other-compound.xls"))
        << QStringList{"复合文档", "没有 Excel 工作簿"};

    const auto hostile = [&](const char* name, QStringList mentions) {
        QTest::newRow(name) << workbookData(QStringLiteral("hostile/") + QLatin1String(name))
                            << mentions;
    };
    hostile("doctype.xlsx", {"DTD"});
    hostile("row-beyond-limit.xlsx", {"1048577"});
    hostile("column-beyond-limit.xlsx", {"XFE2"});
    hostile("dimension-beyond-limit.xlsx", {"XFD99999999"});
    hostile("bad-number.xlsx", {"1.2.3"});
    hostile("bad-shared-string.xlsx", {"共享字符串"});
    hostile("unclosed-xml.xlsx", {"XML"});
    hostile("missing-part.xlsx", {"xl/worksheets/sheet1.xml"});
    hostile("target-outside.xlsx", {"etc/passwd"});
    hostile("no-workbook-part.xlsx", {"没有 Excel 工作簿"});
    hostile("document.xlsx", {"没有 Excel 工作簿"});
    hostile("huge-entry.xlsx", {"64 MiB"});
    // A shared string split across records whose rest claims far more than the next
    // record holds: FreeXL copied 122858 bytes past that record.
    hostile("split-string-past-continuation.xls", {"续接记录"});
    // A 2560-byte file claiming a 4 GiB workbook in the mini stream, its one mini sector
    // chained to itself: the check followed the loop for 8 GiB and 50 s.
    hostile("mini-stream-loop.xls", {"长度超出了文件本身"});
    // A document type declaration of 60 MB in 60 KB was read to its end before it was
    // refused (2 s, 320 MB); in EBCDIC, which the XML reader switches to on the
    // declaration's word, it is stopped by the limit on what precedes the root element.
    hostile("large-doctype.xlsx", {"DTD"});
    hostile("ebcdic-doctype.xlsx", {"根元素之前", "64 KiB"});
    // Two sheet parts of one name: libzip read the first, other programs the last.
    hostile("duplicate-entry.xlsx", {"xl/worksheets/sheet1.xml", "多个"});

    // Inputs found by fuzzing (fuzz/): each one once crashed or misled a reader.
    const auto regress = [&](const char* name, QStringList mentions) {
        QTest::newRow(name) << workbookData(QStringLiteral("regress/") + QLatin1String(name))
                            << mentions;
    };
    // An unused directory entry whose name claims 5632 bytes: FreeXL read that far
    // past a 64-byte buffer.
    regress("unused-entry-long-name.xls", {"目录项无效"});
    // A bare BIFF2 stream of many dimension records: FreeXL allocated up to 256 MiB
    // for each of them.
    regress("legacy-many-dimensions.xlsx", {"旧版", "Sheet1"});
    // A number format record whose text claims more characters than the record
    // holds: FreeXL copied 130584 bytes out of its 8224-byte record buffer.
    regress("format-text-past-record.xls", {"0x041e"});
    // A sheet with a second dimension record too large to allocate: FreeXL kept the
    // first one's cells and then freed them by the second one's size.
    regress("two-dimension-records.xls", {"已损坏"});
    // 916 bytes declaring 4096-byte sectors: the count of sectors wrapped around and
    // every sector number passed the check.
    regress("short-file-large-sectors.xls", {"文件头不完整"});
    // A small workbook whose mini sectors are chained out of order: the check followed
    // the chain and saw 320 bytes, FreeXL read 2356 from the start of the mini stream,
    // among them a number format text it copied 131070 bytes of.
    regress("mini-stream-read-from-start.xls", {"前后不一"});
    // A shared string with 39605 formatting runs: FreeXL carried the bytes past the
    // table record over into its continuation and read 152000 bytes into it.
    regress("rich-runs-past-record.xls", {"格式信息"});
    // Two sheets without a dimension record: FreeXL gave both sizes to the sheet it
    // read last and lost the cells it had allocated first.
    regress("sheets-without-dimension.xls", {"0x000d"});
    // A cell given twice, first as a time: FreeXL kept the second value and lost the
    // text it had made of the first.
    regress("cell-read-twice.xls", {"不止一个记录"});
    // A two-byte number cell: FreeXL took its column from the record before and
    // gave that cell a second value.
    regress("short-cell-record.xls", {"0x027e"});
    // An empty record of type 0 in the middle of a sheet: FreeXL took it for the end
    // of the workbook, never read the next sheet, and gave its size to the first one,
    // losing that one's cells.
    regress("end-marker-mid-stream.xls", {"结束标记"});
    // A text cell in the workbook globals: FreeXL made the text, found no sheet to
    // put it in, and lost it.
    regress("cell-in-globals.xls", {"全局部分"});

    // More entries than a workbook could need, each of them empty.
    const QString many = m_dir.filePath("many-entries.xlsx");
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(many).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (int i = 0; i <= 10000; ++i) {
        zip_source_t* source = zip_source_buffer(archive, nullptr, 0, 0);
        const zip_int64_t index =
            zip_file_add(archive, QByteArray::number(i).constData(), source, 0);
        QVERIFY(index >= 0);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    QCOMPARE(zip_close(archive), 0);
    QTest::newRow("10001 entries") << many << QStringList{"10000"};

    // 100,000 sheets, none of them Sheet1: their list made a message of 1.49 MB.
    QByteArray sheets = "<workbook><sheets>";
    for (int i = 0; i < 100000; ++i)
        sheets += "<sheet name=\"表" + QByteArray::number(i) + "\"/>";
    sheets += "</sheets></workbook>";
    const QString listed = m_dir.filePath("many-sheets.xlsx");
    archive = zip_open(QFile::encodeName(listed).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    QVERIFY(zip_file_add(archive, "xl/workbook.xml",
                         zip_source_buffer(archive, sheets.constData(), sheets.size(), 0), 0) >= 0);
    QCOMPARE(zip_close(archive), 0);
    QTest::newRow("100000 sheets") << listed << QStringList{"“表0”、“表1”", "共 100000 个"};

    // Styles and shared strings each within the limit of a part, 70 MiB together:
    // what a package unpacks is limited as one part is.
    const QByteArray rels =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"s.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/styles\" Target=\"styles.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"x/sharedStrings\" Target=\"strings.xml\"/>"
        "</Relationships>";
    const QByteArray book = "<workbook xmlns:r=\"urn:relationships\"><sheets>"
                            "<sheet name=\"Sheet1\" r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray sheet = "<worksheet><sheetData/></worksheet>";
    const QString large = writeStoredZip(
        m_dir.filePath("large-parts.xlsx"),
        {{"xl/workbook.xml", book},
         {"xl/_rels/workbook.xml.rels", rels},
         {"xl/s.xml", sheet},
         {"xl/styles.xml", "<styleSheet>" + QByteArray(40 << 20, ' ') + "</styleSheet>"},
         {"xl/strings.xml", "<sst>" + QByteArray(30 << 20, ' ') + "</sst>"}});
    QVERIFY(!large.isEmpty());
    QTest::newRow("parts past the limit of a package") << large << QStringList{"合计", "64 MiB"};
    // A part named in two roles would be read twice.
    const QByteArray twice =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"strings.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"x/sharedStrings\" Target=\"strings.xml\"/>"
        "</Relationships>";
    const QString twoRoles = writeStoredZip(m_dir.filePath("two-roles.xlsx"),
                                            {{"xl/workbook.xml", book},
                                             {"xl/_rels/workbook.xml.rels", twice},
                                             {"xl/strings.xml", "<sst><si><t>1</t></si></sst>"}});
    QVERIFY(!twoRoles.isEmpty());
    QTest::newRow("part named in two roles") << twoRoles << QStringList{"xl/strings.xml", "重复"};
}

void TestWorkbook::refusesBadInput() {
    QFETCH(QString, path);
    QFETCH(QStringList, mentions);
    Workbook workbook;
    QElapsedTimer timer;
    timer.start();
    const QString error = workbook.open(path).message();
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(QFileInfo(path).fileName()), qPrintable(error));
    // Whatever the file holds, the message stays readable.
    QVERIFY2(error.size() - path.size() < 500, qPrintable(error.left(1000)));
    for (const QString& mention : mentions)
        QVERIFY2(error.contains(mention), qPrintable(error));
    QVERIFY(workbook.atEnd());
    QCOMPARE(workbook.rowCount(), 0);
    QCOMPARE(workbook.emptyRowCount(), 0);
}

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
