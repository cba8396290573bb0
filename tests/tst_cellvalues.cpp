#include "workbook/CellValue.h"
#include "workbook/XlsxReader.h"

#include <QTest>

#include <cmath>
#include <optional>

using Kind = CellValue::Kind;
using DateParts = CellValue::DateParts;

Q_DECLARE_METATYPE(std::optional<CellValue::DateParts>)

// A cell's value as text: numbers as a spreadsheet shows them, date serials
// of both date systems, ISO dates, and which number formats are dates.
class TestCellValues : public QObject {
    Q_OBJECT
private slots:
    void numberText_data();
    void numberText();
    void serialText_data();
    void serialText();
    void isoText_data();
    void isoText();
    void dateFormats_data();
    void dateFormats();
};

void TestCellValues::numberText_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("decimal") << 1.18 << "1.18";
    QTest::newRow("whole") << 25.0 << "25";
    QTest::newRow("two places") << 25.36 << "25.36";
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative") << -0.5 << "-0.5";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("a third") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("beyond 15 digits") << 123456789012345678.0 << "123456789012346000";
    QTest::newRow("large whole") << 1e20 << "100000000000000000000";
    QTest::newRow("huge") << 1.5e25 << "1.5E+25";
    QTest::newRow("small") << 0.000125 << "0.000125";
    QTest::newRow("tiny") << 2.5e-10 << "2.5E-10";
    QTest::newRow("carry to next digit") << 9.9999999999999999 << "10";
}

void TestCellValues::numberText() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(CellValue::fromNumber(value).toText(), text);
}

void TestCellValues::serialText_data() {
    QTest::addColumn<double>("serial");
    QTest::addColumn<DateParts>("parts");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QString>("text"); // empty: not a date a sheet can show
    QTest::newRow("first day") << 1.0 << DateParts::Date << false << "1900-01-01";
    QTest::newRow("before the phantom leap day")
        << 59.0 << DateParts::Date << false << "1900-02-28";
    QTest::newRow("phantom leap day") << 60.0 << DateParts::Date << false << "1900-02-29";
    QTest::newRow("after the phantom leap day") << 61.0 << DateParts::Date << false << "1900-03-01";
    QTest::newRow("2025") << 45658.0 << DateParts::Date << false << "2025-01-01";
    QTest::newRow("date of a date-time") << 46363.75 << DateParts::Date << false << "2026-12-07";
    QTest::newRow("noon") << 0.5 << DateParts::Time << false << "12:00:00";
    QTest::newRow("time rounds to the second")
        << 50708.9999 / 86400 << DateParts::Time << false << "14:05:09";
    QTest::newRow("time of a date-time") << 46363.25 << DateParts::Time << false << "06:00:00";
    QTest::newRow("date and time")
        << 46363.0 + 50709.0 / 86400 << DateParts::DateAndTime << false << "2026-12-07 14:05:09";
    QTest::newRow("rounds into the next day")
        << 46363.99999999 << DateParts::DateAndTime << false << "2026-12-08 00:00:00";
    QTest::newRow("1904 day 0") << 0.0 << DateParts::Date << true << "1904-01-01";
    QTest::newRow("1904 system") << 44901.0 << DateParts::Date << true << "2026-12-07";
    QTest::newRow("negative") << -1.0 << DateParts::Date << false << "";
    QTest::newRow("after 9999") << 2958466.0 << DateParts::Date << false << "";
    QTest::newRow("not a number") << std::nan("") << DateParts::Date << false << "";
}

void TestCellValues::serialText() {
    QFETCH(double, serial);
    QFETCH(DateParts, parts);
    QFETCH(bool, date1904);
    QFETCH(QString, text);
    const auto cell = CellValue::fromSerial(serial, parts, date1904);
    QCOMPARE(cell.has_value(), !text.isEmpty());
    if (cell) {
        QCOMPARE(cell->kind, Kind::DateTime);
        QCOMPARE(cell->toText(), text);
    }
}

void TestCellValues::isoText_data() {
    QTest::addColumn<QString>("iso");
    QTest::addColumn<QString>("text");  // empty: refused
    QTest::addColumn<double>("serial"); // of the 1900 date system
    QTest::newRow("date") << "2026-12-07"
                          << "2026-12-07" << 46363.0;
    QTest::newRow("time") << "14:05:09"
                          << "14:05:09" << 50709.0 / 86400;
    QTest::newRow("date and time") << "2026-12-07 14:05:09"
                                   << "2026-12-07 14:05:09" << 46363.0 + 50709.0 / 86400;
    QTest::newRow("xml schema form") << "2026-12-07T14:05:09.250Z"
                                     << "2026-12-07 14:05:09" << 46363.0 + 50709.25 / 86400;
    QTest::newRow("before the phantom leap day") << "1900-02-28"
                                                 << "1900-02-28" << 59.0;
    QTest::newRow("no such month") << "2026-13-01"
                                   << "" << 0.0;
    QTest::newRow("no such hour") << "25:00:00"
                                  << "" << 0.0;
    QTest::newRow("not a date") << "1扇区"
                                << "" << 0.0;
    QTest::newRow("empty") << ""
                           << "" << 0.0;
}

void TestCellValues::isoText() {
    QFETCH(QString, iso);
    QFETCH(QString, text);
    QFETCH(double, serial);
    const auto cell = CellValue::fromIsoText(iso);
    QCOMPARE(cell.has_value(), !text.isEmpty());
    if (cell) {
        QCOMPARE(cell->toText(), text);
        QVERIFY2(std::fabs(cell->number - serial) < 1e-9,
                 qPrintable(QString::number(cell->number)));
    }
}

void TestCellValues::dateFormats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<std::optional<DateParts>>("parts");
    const std::optional<DateParts> none;
    QTest::newRow("iso date") << "yyyy-mm-dd" << std::optional(DateParts::Date);
    QTest::newRow("escaped separators") << "yyyy\\-mm\\-dd" << std::optional(DateParts::Date);
    QTest::newRow("month and day") << "m/d" << std::optional(DateParts::Date);
    QTest::newRow("upper case") << "YYYY-MM-DD" << std::optional(DateParts::Date);
    QTest::newRow("chinese date") << "[$-804]yyyy\"年\"m\"月\"d\"日\""
                                  << std::optional(DateParts::Date);
    QTest::newRow("text section") << "yyyy-mm-dd;@" << std::optional(DateParts::Date);
    QTest::newRow("time") << "hh:mm:ss" << std::optional(DateParts::Time);
    QTest::newRow("minutes and seconds") << "mm:ss" << std::optional(DateParts::Time);
    QTest::newRow("elapsed hours") << "[h]:mm:ss" << std::optional(DateParts::Time);
    QTest::newRow("twelve hours") << "h:mm AM/PM" << std::optional(DateParts::Time);
    QTest::newRow("date and time") << "yyyy/m/d\\ h:mm:ss" << std::optional(DateParts::DateAndTime);
    QTest::newRow("general") << "General" << none;
    QTest::newRow("decimals") << "0.00" << none;
    QTest::newRow("colour and quoted unit") << "[Red]0.00\" dB\"" << none;
    QTest::newRow("quoted letters") << "#,##0\" days\"" << none;
    QTest::newRow("escaped letter") << "0\\d" << none;
    QTest::newRow("currency") << "[$¥-804]#,##0.00" << none;
    QTest::newRow("text") << "@" << none;
}

void TestCellValues::dateFormats() {
    QFETCH(QString, format);
    QFETCH(std::optional<DateParts>, parts);
    QCOMPARE(xlsxreader::dateParts(format), parts);
}

QTEST_GUILESS_MAIN(TestCellValues)
#include "tst_cellvalues.moc"
