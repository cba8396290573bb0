// The checks an .xls passes before FreeXL reads it: the shared string table walked as
// FreeXL walks it, records that run past the stream, and a compound file whose
// workbook FreeXL would find elsewhere than the checks did.

#include "support/TestData.h"
#include "workbook/Workbook.h"
#include "workbook/XlsReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

// A literal's bytes, NULs included.
template <qsizetype N> QByteArray raw(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray record(quint16 type, const QByteArray& body) {
    return le16(type) + le16(quint16(body.size())) + body;
}

QByteArray utf16(const QString& text) {
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

// A shared string: its length in characters, its options and what follows them.
QByteArray text(quint16 characters, char options, const QByteArray& rest) {
    return le16(characters) + QByteArray(1, options) + rest;
}

QByteArray bof(quint16 kind) {
    return record(0x0809, le16(0x0600) + le16(kind) + QByteArray(12, '\0'));
}

// The globals' BOF, then a shared string table of `count` strings.
QByteArray table(quint32 count, const QByteArray& strings) {
    return bof(0x0005) + record(0x00FC, le32(count) + le32(count) + strings);
}

const QByteArray kDimension = record(0x0200, le32(0) + le32(2) + le16(0) + le16(2) + le16(0));

// A number cell.
QByteArray number(quint16 row, quint16 column) {
    return record(0x0203, le16(row) + le16(column) + le16(0) + QByteArray(8, '\0'));
}

// Globals listing one sheet at the offset where it starts, moved by `shift`, then
// that sheet holding `records`.
QByteArray oneSheet(const QByteArray& records, quint32 shift = 0) {
    const QByteArray eof = record(0x000A, {});
    const QByteArray entryBody = raw("\x00\x00\x06\x00") + "Sheet1";
    const qsizetype globals = bof(0x0005).size() + 4 + 4 + entryBody.size() + eof.size();
    return bof(0x0005) + record(0x0085, le32(quint32(globals) + shift) + entryBody) + eof +
           bof(0x0010) + records + eof;
}

QByteArray continuation(const QByteArray& body) {
    return record(0x003C, body);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint64 littleEndian(const QByteArray& data, qsizetype at, int bytes) {
    quint64 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(data.at(at + i));
    return value;
}

// Where the first record of `type` starts, walking the records from the workbook's
// first BOF (the fixtures written by xlwt keep the stream in consecutive sectors).
qsizetype recordOffset(const QByteArray& file, quint16 type) {
    qsizetype at = file.indexOf(QByteArray("\x09\x08\x10\x00\x00\x06", 6));
    while (at >= 0 && at + 4 <= file.size()) {
        if (littleEndian(file, at, 2) == type)
            return at;
        at += 4 + littleEndian(file, at + 2, 2);
    }
    return -1;
}

qsizetype workbookEntry(const QByteArray& file) {
    return file.indexOf(utf16(QStringLiteral("Workbook")));
}

} // namespace

class TestXlsChecks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void records_data();
    void records();
    void containers_data();
    void containers();
    void textsLongerThanARecord();

private:
    QString write(const QString& name, const QByteArray& data);

    QTemporaryDir m_dir;
};

QString TestXlsChecks::write(const QString& name, const QByteArray& data) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
    return path;
}

void TestXlsChecks::records_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("mention"); // "" when the stream is accepted

    const QByteArray two = utf16(QStringLiteral("甲乙"));
    QTest::newRow("table in one record")
        << table(2, text(3, 0, "abc") + text(2, 1, two)) << QString();
    QTest::newRow("one-byte text split, rest in the continuation")
        << table(1, text(10, 0, "abcd")) + continuation(raw("\x00"
                                                            "efghij"))
        << QString();
    QTest::newRow("two-byte text split, rest in the continuation")
        << table(1, text(4, 1, two)) + continuation("\x01" + utf16(QStringLiteral("丙丁")))
        << QString();
    QTest::newRow("split text going on in one-byte characters")
        << table(1, text(4, 1, two)) + continuation(raw("\x00"
                                                        "cd"))
        << QString();
    QTest::newRow("string after a split one")
        << table(2, text(4, 0, "ab")) + continuation(raw("\x00"
                                                         "cd") +
                                                     text(1, 0, "e"))
        << QString();
    QTest::newRow("rest longer than the continuation")
        << table(1, text(10, 0, "abcd")) + continuation(raw("\x00"
                                                            "ef"))
        << "续接记录";
    QTest::newRow("rest in two-byte characters longer than the continuation")
        << table(1, text(4, 0, "ab")) + continuation("\x01" + utf16(QStringLiteral("c")))
        << "续接记录";
    QTest::newRow("second table record going on with a split text")
        << table(1, text(10, 0, "ab")) + record(0x00FC, raw("\x00"
                                                            "c"))
        << "续接记录";
    QTest::newRow("empty continuation of a split text")
        << table(1, text(10, 0, "ab")) + continuation({}) << "续接记录是空的";
    QTest::newRow("count beyond the table") << table(0x40000000, text(1, 0, "a")) << "1073741824";
    QTest::newRow("string header cut by the record end")
        << table(2, text(1, 0, "a") + "\x05") << "截断";
    QTest::newRow("phonetic block before another string")
        << table(2, text(1, 0x04, le32(0) + "a") + text(1, 0, "b")) << "拼音";
    QTest::newRow("phonetic block on the last string")
        << table(1, text(1, 0x04, le32(0) + "a")) << QString();
    QTest::newRow("rich text runs skipped")
        << table(2, text(1, 0x08, le16(1) + "a" + le32(0)) + text(1, 0, "b")) << QString();
    QTest::newRow("rich text runs past the record")
        << table(2, text(1, 0x08, le16(2) + "a" + le32(0))) + continuation(text(1, 0, "b"))
        << "格式信息";
    QTest::newRow("rich text runs of a split text past the continuation")
        << table(1, text(4, 0x08, le16(1) + "ab")) + continuation(raw("\x00"
                                                                      "cd"))
        << "格式信息";
    QTest::newRow("continuation of another record is no table")
        << table(0, {}) + record(0x00E0, QByteArray(20, '\0')) + continuation(raw("\x00\xFF\xFF"))
        << QString();
    QTest::newRow("sheet with its dimension record")
        << oneSheet(kDimension + number(0, 0) + number(0, 1)) << QString();
    QTest::newRow("sheet without a dimension record") << oneSheet({}) << "缺少尺寸记录";
    QTest::newRow("sheet list pointing past the sheet")
        << oneSheet(kDimension, 4) << "不在工作表列表中";
    QTest::newRow("cell before the dimension record")
        << oneSheet(number(0, 0) + kDimension) << "尺寸记录之前";
    QTest::newRow("cell outside the sheet's size")
        << oneSheet(kDimension + number(2, 0)) << "超出了工作表声明的尺寸";
    QTest::newRow("value list running past the sheet's size")
        << oneSheet(kDimension + record(0x00BD, le16(0) + le16(1) + QByteArray(12, '\0') + le16(2)))
        << "第 1 行第 3 列";
    QTest::newRow("cell in the globals")
        << bof(0x0005) + number(0, 0) + record(0x000A, {}) << "全局部分";
    QTest::newRow("two records for one cell")
        << oneSheet(kDimension + number(1, 1) + number(1, 1)) << "第 2 行第 2 列";
    QTest::newRow("value list over a cell already read")
        << oneSheet(kDimension + number(0, 1) +
                    record(0x00BD, le16(0) + le16(0) + QByteArray(12, '\0') + le16(1)))
        << "第 1 行第 2 列）有不止一个记录";
    QTest::newRow("cell record shorter than its fields")
        << oneSheet(kDimension + record(0x027E, le16(1))) << "0x027e";
    QTest::newRow("dimension record shorter than its fields")
        << oneSheet(record(0x0200, le32(0) + le32(2))) << "0x0200";
    QTest::newRow("sheet name read as two-byte characters")
        << bof(0x0005) + record(0x0085, le32(0) + raw("\x00\x00\x05\x04") + "abcdefghi")
        << "0x0085";
    QTest::newRow("padding after the last record")
        << oneSheet(kDimension) + QByteArray(64, '\0') << QString();
    QTest::newRow("end marker before a sheet")
        << oneSheet(kDimension).insert(42, QByteArray(4, '\0')) << "结束标记";
    QTest::newRow("record longer than the format allows")
        << oneSheet(kDimension + record(0x00E5, QByteArray(8225, '\0'))) << "8225";
    QByteArray formats;
    for (int i = 0; i < 4051; ++i)
        formats += record(0x00E0, QByteArray(20, '\0'));
    QTest::newRow("more cell formats than the format allows") << bof(0x0005) + formats << "4050";
    QTest::newRow("embedded chart does not start a sheet")
        << oneSheet(kDimension + bof(0x0020) + kDimension + record(0x000A, {})) << "多个尺寸记录";
    QTest::newRow("record past the end of the stream")
        << table(0, {}) + le16(0x0204) + le16(100) + QByteArray(10, 'x') << "末尾";
}

void TestXlsChecks::records() {
    QFETCH(QByteArray, stream);
    QFETCH(QString, mention);
    const Result<> checked = xlsreader::checkRecords(stream);
    if (mention.isEmpty())
        QVERIFY2(checked.isOk(), qPrintable(checked.cause()));
    else
        QVERIFY2(!checked && checked.cause().contains(mention), qPrintable(checked.cause()));
}

void TestXlsChecks::containers_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("mention");

    const QByteArray basic = fileBytes(workbookData(QStringLiteral("basic.xls")));
    const qsizetype entry = workbookEntry(basic);
    const qsizetype strings = recordOffset(basic, 0x00FC);
    QVERIFY(entry > 0 && strings > 0);

    // A name whose length leaves out the terminating NUL still names the workbook
    // for FreeXL, so its records must be checked all the same.
    QByteArray unterminated = basic;
    unterminated.replace(entry + 64, 2, le16(16));
    unterminated.replace(strings + 8, 4, le32(0x40000000));
    QTest::newRow("workbook name without NUL") << unterminated << "1073741824";

    // FreeXL follows a stream's chain to its end, whatever the stream's length.
    QByteArray shorter = basic;
    const auto size = quint32(littleEndian(basic, entry + 120, 4));
    shorter.replace(entry + 120, 4, le32(size - 1024));
    QTest::newRow("chain longer than the workbook") << shorter << "扇区链";
}

void TestXlsChecks::containers() {
    QFETCH(QByteArray, file);
    QFETCH(QString, mention);
    Workbook workbook;
    const QString error =
        workbook.open(write(QTest::currentDataTag() + QStringLiteral(".xls"), file)).message();
    QVERIFY2(error.contains(mention), qPrintable(error));
    QCOMPARE(workbook.rowCount(), 0);
}

void TestXlsChecks::textsLongerThanARecord() {
    // Split texts that end in the next record read back whole.
    Workbook workbook;
    QCOMPARE(workbook.open(workbookData(QStringLiteral("long-texts.xls"))).message(), QString());
    QCOMPARE(workbook.rowCount(), 3);
    QCOMPARE(workbook.field(0).toText(), QString(3000, QChar(u'段')));
    workbook.moveNext();
    QCOMPARE(workbook.field(0).toText(), QString(7000, QLatin1Char('x')));
    QCOMPARE(workbook.field(1).toText(), QStringLiteral("1.25"));
    workbook.moveNext();
    QCOMPARE(workbook.field(0).toText(), QStringLiteral("尾"));

    // One running on through two more records would be read wrongly: it is refused.
    const QString error = workbook.open(workbookData(QStringLiteral("longer-text.xls"))).message();
    QVERIFY2(error.contains(QStringLiteral("超长的文字")), qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("longer-text.xls")));
}

QTEST_GUILESS_MAIN(TestXlsChecks)
#include "tst_xlschecks.moc"
