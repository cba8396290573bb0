// The BIFF records of an .xls workbook stream, checked before FreeXL reads them:
// FreeXL trusts the lengths and counts the records claim.

#include "workbook/LittleEndian.h"
#include "workbook/XlsReader.h"
#include "workbook/XlsSharedStrings.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>

namespace {

constexpr quint16 kBof = 0x0809;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kFormat = 0x041E;
constexpr quint16 kLabel = 0x0204;
constexpr quint16 kRichString = 0x00D6;
constexpr quint16 kSharedStrings = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kBoolErr = 0x0205;
constexpr quint16 kRk = 0x027E;
constexpr quint16 kMulRk = 0x00BD;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kFormula = 0x0006;
constexpr quint16 kXf = 0x00E0;
constexpr qsizetype kMaxRecordBytes = 8224;
// Excel keeps at most 4050 cell formats in an .xls workbook.
constexpr int kMaxCellFormats = 4050;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kDateMode = 0x0022;

using littleendian::u16At;
using littleendian::u32At;

// The bytes of the continuation records that follow the record ending at `at`.
qint64 continuationBytes(QByteArrayView stream, qsizetype at) {
    qint64 bytes = 0;
    while (at + 4 <= stream.size() && u16At(stream, at) == kContinue) {
        bytes += u16At(stream, at + 2);
        at += 4 + u16At(stream, at + 2);
    }
    return bytes;
}

// Walks the records of a workbook stream once, in order.
class RecordCheck {
public:
    explicit RecordCheck(QByteArrayView stream) : m_stream(stream) {}
    Result<> run();

private:
    Result<> record(quint16 type, QByteArrayView body);
    qsizetype minimumLength(quint16 type) const;
    Result<> bof(QByteArrayView body);
    Result<> cells(quint16 type, QByteArrayView body);
    Result<> texts(quint16 type, QByteArrayView body) const;
    Result<> dimension(QByteArrayView body);
    Result<> sharedStrings(quint16 type, QByteArrayView body);
    Result<> sheetsWithoutDimension() const;
    QString damagedCause(quint16 type) const {
        return QCoreApplication::translate("workbook",
                                           "工作簿中位于 %1 的记录（类型 0x%2）长度与内容不符，"
                                           "文件已损坏或被篡改")
            .arg(m_at)
            .arg(type, 4, 16, QLatin1Char('0'));
    }

    QByteArrayView m_stream;
    qsizetype m_at = 0; // where the current record starts
    enum class Place { BeforeGlobals, InSubstream, BetweenSubstreams };
    Place m_place = Place::BeforeGlobals;
    bool m_biff8 = true;
    qsizetype m_sheetBof = -1; // where the current sheet starts; -1 in the globals
    QSet<quint64> m_cells;     // the current sheet's cells so far
    int m_dimensionsInSheet = 0;
    quint32 m_rows = 0; // the current sheet's size, as its dimension record gives it
    quint32 m_columns = 0;
    qint64 m_claimed = 0;
    int m_formats = 0;
    SharedStrings m_strings;
    quint16 m_previous = 0;          // the last record that was not a continuation
    QSet<quint32> m_sheetOffsets;    // where the sheet list says each sheet starts
    QSet<qsizetype> m_withDimension; // substreams that have a dimension record
};

Result<> RecordCheck::run() {
    for (m_at = 0; m_at + 4 <= m_stream.size();) {
        const quint16 type = u16At(m_stream, m_at);
        const qsizetype length = u16At(m_stream, m_at + 2);
        // FreeXL stops at an empty record of type 0 when it reads a stream from
        // whole sectors, and goes on when it reads one from the mini stream: only
        // padding may follow one.
        if (type == 0 && length == 0) {
            if (m_stream.sliced(m_at).count('\0') != m_stream.size() - m_at)
                return Failed{QCoreApplication::translate("workbook",
                                                          "工作簿中位于 %1 的结束标记之后还有数据，"
                                                          "文件已损坏或被篡改")
                                  .arg(m_at)};
            break;
        }
        if (m_at + 4 + length > m_stream.size())
            return Failed{QCoreApplication::translate(
                              "workbook",
                              "工作簿中位于 %1 的记录（类型 0x%2）超出了工作簿流的末尾，"
                              "文件可能被截断或被篡改")
                              .arg(m_at)
                              .arg(type, 4, 16, QLatin1Char('0'))};
        // FreeXL copies each record into a buffer of the format's largest record.
        if (length > kMaxRecordBytes)
            return Failed{QCoreApplication::translate(
                              "workbook",
                              "工作簿中位于 %1 的记录（类型 0x%2）长 %3 字节，超过格式上限 %4 "
                              "字节，文件已损坏或被篡改")
                              .arg(m_at)
                              .arg(type, 4, 16, QLatin1Char('0'))
                              .arg(length)
                              .arg(kMaxRecordBytes)};
        if (Result<> sound = record(type, m_stream.sliced(m_at + 4, length)); !sound)
            return sound;
        m_at += 4 + length;
    }
    return sheetsWithoutDimension();
}

Result<> RecordCheck::record(quint16 type, QByteArrayView body) {
    if (Result<> sound = sharedStrings(type, body); !sound)
        return sound;
    if (type != kContinue)
        m_previous = type;
    if (body.size() < minimumLength(type))
        return Failed{damagedCause(type)};
    switch (type) {
    case kBof:
        return bof(body);
    case kEof:
        if (m_place == Place::InSubstream)
            m_place = Place::BetweenSubstreams;
        return {};
    case kBoundSheet:
        if (body.size() >= 4) {
            const quint32 offset = u32At(body, 0);
            // FreeXL finds a sheet's records by this offset: two sheets at one offset
            // would leave the second without its dimension record.
            if (m_sheetOffsets.contains(offset))
                return Failed{damagedCause(type)};
            m_sheetOffsets.insert(offset);
        }
        return texts(type, body);
    case kFormat:
        return texts(type, body);
    case kXf:
        // FreeXL keeps a table of 8192 of them, but looks a cell's up by any
        // index below their count.
        if (++m_formats > kMaxCellFormats)
            return Failed{QCoreApplication::translate(
                              "workbook", "工作簿的单元格格式超过 %1 个，超出 .xls 格式的上限，"
                                          "文件已损坏或被篡改")
                              .arg(kMaxCellFormats)};
        return {};
    case kLabel:
    case kRichString:
        if (Result<> sound = texts(type, body); !sound)
            return sound;
        return cells(type, body);
    case kDimension:
        return dimension(body);
    default:
        return cells(type, body);
    }
}

// The bytes FreeXL reads from a record of `type` whatever its length: a shorter
// record would give it the rest of the record before.
qsizetype RecordCheck::minimumLength(quint16 type) const {
    switch (type) {
    case kBof:
    case kXf:
        return 4;
    case kCodePage:
    case kDateMode:
        return 2;
    case kMulRk:
        return 6;
    case kBoolErr:
        return 8;
    case kRk:
    case kLabelSst:
        return 10;
    case kNumber:
        return 14;
    case kFormula:
        return 20;
    case kDimension:
        return m_biff8 ? 14 : 10;
    default:
        return 0;
    }
}

// FreeXL's view of substreams: the first BOF opens the workbook globals; after an
// EOF the next BOF opens the sheet the sheet list places at that offset. A BOF
// inside a substream (an embedded chart) changes nothing.
Result<> RecordCheck::bof(QByteArrayView body) {
    switch (m_place) {
    case Place::BeforeGlobals:
        // FreeXL reads every record by the version of the first BOF.
        m_biff8 = body.size() >= 2 && u16At(body, 0) == 0x0600;
        m_place = Place::InSubstream;
        return {};
    case Place::BetweenSubstreams:
        if (!m_sheetOffsets.contains(quint32(m_at)))
            return Failed{QCoreApplication::translate("workbook",
                                                      "工作簿中位于 %1 的工作表不在工作表列表中，"
                                                      "文件已损坏或被篡改")
                              .arg(m_at)};
        m_place = Place::InSubstream;
        m_sheetBof = m_at;
        m_dimensionsInSheet = 0;
        m_cells.clear();
        return {};
    case Place::InSubstream:
        return {};
    }
    return {};
}

// A cell FreeXL reads twice keeps only the second value and loses the text of the
// first: a sound sheet has one record per cell.
Result<> RecordCheck::cells(quint16 type, QByteArrayView body) {
    const bool cell = type == kNumber || type == kBoolErr || type == kRk || type == kMulRk ||
                      type == kLabel || type == kLabelSst || type == kRichString ||
                      type == kFormula;
    if (!cell || m_place != Place::InSubstream)
        return {};
    // FreeXL makes a cell's text before it looks for the cell, and loses it when
    // there is none: in the globals, or outside the sheet's size.
    if (m_sheetBof < 0)
        return Failed{QCoreApplication::translate("workbook",
                                                  "工作簿的全局部分中位于 %1 处有单元格记录，"
                                                  "文件已损坏或被篡改")
                          .arg(m_at)};
    // FreeXL drops the cells it reads before it knows the sheet's size.
    if (m_dimensionsInSheet == 0)
        return Failed{QCoreApplication::translate("workbook",
                                                  "工作表中位于 %1 的单元格出现在尺寸记录之前，"
                                                  "文件已损坏或被篡改")
                          .arg(m_at)};
    const quint16 row = u16At(body, 0);
    const quint16 first = u16At(body, 2);
    int count = 1;
    if (type == kMulRk) // FreeXL reads six-byte values while more than six bytes remain
        count = body.size() > 10 ? int((body.size() - 5) / 6) : 0;
    for (int i = 0; i < count; ++i) {
        if (row >= m_rows || quint32(first) + quint32(i) >= m_columns)
            return Failed{QCoreApplication::translate(
                              "workbook",
                              "工作表中的单元格（第 %1 行第 %2 列）超出了工作表声明的尺寸"
                              "（%3 行 × %4 列），文件已损坏或被篡改")
                              .arg(row + 1)
                              .arg(first + i + 1)
                              .arg(m_rows)
                              .arg(m_columns)};
        const quint64 key = quint64(row) << 32 | (quint32(first) + quint32(i));
        if (m_cells.contains(key))
            return Failed{QCoreApplication::translate(
                              "workbook",
                              "工作表中的单元格（第 %1 行第 %2 列）有不止一个记录（位于 %3），"
                              "文件已损坏或被篡改")
                              .arg(row + 1)
                              .arg(first + i + 1)
                              .arg(m_at)};
        m_cells.insert(key);
    }
    return {};
}

// The texts FreeXL copies out of a record by the number of characters they claim.
Result<> RecordCheck::texts(quint16 type, QByteArrayView body) const {
    // A BIFF8 text of `characters` starting with its option byte at `from`: the
    // option byte says whether characters take one byte or two, and which optional
    // fields (4 and 2 bytes long) come before them.
    const auto unicodeFits = [&](qsizetype from, qsizetype characters) {
        if (from >= body.size())
            return false;
        const auto options = static_cast<unsigned char>(body[from]);
        const qsizetype start = from + 1 + ((options & 0x04) ? 4 : 0) + ((options & 0x08) ? 2 : 0);
        return start + characters * ((options & 0x01) ? 2 : 1) <= body.size();
    };
    const qsizetype length = body.size();
    bool fits = true;
    if (type == kBoundSheet)
        // FreeXL reads a sheet name's characters right after its option byte, two
        // bytes each unless that byte is zero.
        fits = length >= (m_biff8 ? 8 : 7) &&
               (m_biff8 ? unicodeFits(7, static_cast<unsigned char>(body[6])) &&
                              8 + static_cast<unsigned char>(body[6]) * (body[7] ? 2 : 1) <= length
                        : 7 + static_cast<unsigned char>(body[6]) <= length);
    else if (type == kFormat)
        fits = length >= (m_biff8 ? 5 : 3) &&
               (m_biff8 ? unicodeFits(4, u16At(body, 2))
                        : 3 + static_cast<unsigned char>(body[2]) <= length);
    else
        fits = length >= (m_biff8 ? 9 : 8) &&
               (m_biff8 ? unicodeFits(8, u16At(body, 6)) : 8 + u16At(body, 6) <= length);
    if (!fits)
        return Failed{damagedCause(type)};
    return {};
}

Result<> RecordCheck::dimension(QByteArrayView body) {
    // FreeXL sizes the sheet anew for each one, but keeps the cells of the first when
    // the next cannot be allocated, and then frees them by the new size.
    if (++m_dimensionsInSheet > 1)
        return Failed{QCoreApplication::translate("workbook",
                                                  "工作簿中的一个工作表有多个尺寸记录（位于 %1），"
                                                  "文件已损坏或被篡改")
                          .arg(m_at)};
    m_withDimension.insert(m_sheetBof);
    const quint32 rows = m_biff8 ? u32At(body, 4) : u16At(body, 2);
    const quint16 columns = u16At(body, m_biff8 ? 10 : 6);
    m_rows = rows;
    m_columns = columns;
    if (rows > xlsreader::kMaxRows || columns > xlsreader::kMaxColumns)
        return Failed{xlsreader::dimensionCause(rows, columns)};
    m_claimed += qint64(rows) * columns;
    if (m_claimed > xlsreader::kMaxClaimedCells)
        return Failed{QCoreApplication::translate("workbook",
                                                  "各工作表声明的尺寸合计超过 %1 个单元格，"
                                                  "超出可读取的上限，文件可能已损坏或被篡改")
                          .arg(xlsreader::kMaxClaimedCells)};
    return {};
}

Result<> RecordCheck::sharedStrings(quint16 type, QByteArrayView body) {
    if (type != kSharedStrings && !(type == kContinue && m_previous == kSharedStrings))
        return {};
    const Result<> read =
        m_strings.started()
            ? m_strings.next(body)
            : m_strings.first(body,
                              body.size() + continuationBytes(m_stream, m_at + 4 + body.size()));
    if (read)
        return {};
    return Failed{QCoreApplication::translate(
                      "workbook", "工作簿的共享字符串表无法安全读取（位于 %1 的记录：%2）；"
                                  "请在 Excel 中另存为 .xlsx 后再导入")
                      .arg(m_at)
                      .arg(read.cause())};
}

// Every sheet of a sound workbook has a dimension record. FreeXL sizes a sheet
// without one after reading the whole workbook, but gives the cells to whichever
// sheet it read last, losing what that sheet had.
Result<> RecordCheck::sheetsWithoutDimension() const {
    const auto missing =
        std::count_if(m_sheetOffsets.begin(), m_sheetOffsets.end(),
                      [&](quint32 offset) { return !m_withDimension.contains(qsizetype(offset)); });
    if (missing == 0)
        return {};
    return Failed{QCoreApplication::translate("workbook",
                                              "工作簿中有 %1 个工作表缺少尺寸记录（或其位置无效），"
                                              "文件已损坏或不完整；请在 Excel 中另存后再导入")
                      .arg(missing)};
}

} // namespace

QString xlsreader::dimensionCause(quint32 rows, quint32 columns) {
    return QCoreApplication::translate("workbook",
                                       "工作表声明的尺寸（%1 行 × %2 列）超出 .xls 格式的上限"
                                       "（%3 行 × %4 列），文件已损坏")
        .arg(rows)
        .arg(columns)
        .arg(kMaxRows)
        .arg(kMaxColumns);
}

bool xlsreader::startsWithFilePassword(QByteArrayView stream) {
    if (stream.size() < 8 || u16At(stream, 0) != 0x0809)
        return false;
    const quint16 length = u16At(stream, 2);
    const quint16 version = u16At(stream, 4);
    const quint16 kind = u16At(stream, 6);
    const qsizetype next = 4 + qsizetype(length);
    return (version == 0x0600 || version == 0x0500) && kind == 0x0005 && length >= 8 &&
           next + 2 <= stream.size() && u16At(stream, next) == 0x002F;
}
Result<> xlsreader::checkRecords(QByteArrayView stream) {
    return RecordCheck(stream).run();
}
