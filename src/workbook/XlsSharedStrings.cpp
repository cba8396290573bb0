#include "workbook/XlsSharedStrings.h"

#include "workbook/LittleEndian.h"

#include <QCoreApplication>

using littleendian::u16At;
using littleendian::u32At;

Result<> SharedStrings::first(QByteArrayView record, qint64 tableBytes) {
    if (record.size() < 8)
        return Failed{QCoreApplication::translate("workbook", "记录太短")};
    m_count = u32At(record, 4);
    // Every string takes at least three bytes (its length and options); FreeXL makes
    // room for as many strings as the record counts before it reads any.
    if (qint64(m_count) * 3 > tableBytes)
        return Failed{
            QCoreApplication::translate("workbook", "声明的 %1 个字符串超出了表的长度，文件已损坏")
                .arg(m_count)};
    m_started = true;
    return strings(record, 8);
}

Result<> SharedStrings::next(QByteArrayView record) {
    qsizetype at = 0;
    if (m_splitLength > 0) {
        // FreeXL copies the whole rest of a split string from this one record.
        if (record.isEmpty())
            return Failed{QCoreApplication::translate("workbook", "续接记录是空的，文件已损坏")};
        const qsizetype width = (record[0] & 0x01) ? 2 : 1;
        at = 1 + qsizetype(m_splitLength - m_splitDone) * width;
        if (at > record.size())
            return Failed{
                QCoreApplication::translate("workbook", "有一段超长的文字跨越了不止一个续接记录")};
        at += m_splitSkip;
        if (at > record.size())
            return Failed{QCoreApplication::translate("workbook", "文字的格式信息跨越了记录边界")};
        m_splitLength = 0;
        ++m_index;
    }
    return strings(record, at);
}

Result<> SharedStrings::strings(QByteArrayView record, qsizetype at) {
    for (; m_index < m_count; ++m_index) {
        if (at >= record.size())
            return {};
        if (at + 3 > record.size())
            return Failed{
                QCoreApplication::translate("workbook", "字符串的开头被记录边界截断，文件已损坏")};
        const quint16 characters = u16At(record, at);
        const auto options = static_cast<unsigned char>(record[at + 2]);
        const qsizetype phonetic = (options & 0x04) ? 4 : 0;
        const qsizetype header = 3 + phonetic + ((options & 0x08) ? 2 : 0);
        if (at + header > record.size())
            return Failed{
                QCoreApplication::translate("workbook", "字符串的开头被记录边界截断，文件已损坏")};
        // FreeXL takes the length of a phonetic block from two bytes of a four-byte
        // field, so where the next string starts after one is unpredictable.
        if (phonetic && m_index + 1 < m_count)
            return Failed{QCoreApplication::translate("workbook", "字符串带有拼音等扩展信息")};
        const qint64 skip = (options & 0x08) ? 4 * qint64(u16At(record, at + 3 + phonetic)) : 0;
        at += header;
        const qsizetype width = (options & 0x01) ? 2 : 1;
        const qsizetype available = record.size() - at;
        if (characters * width > available) {
            m_splitLength = characters;
            m_splitDone = quint32(width == 2 ? available / 2 : available);
            m_splitSkip = skip;
            return {};
        }
        at += characters * width + skip;
        // FreeXL carries formatting runs that go past the record into the next one
        // without checking where they end.
        if (at > record.size())
            return Failed{QCoreApplication::translate("workbook", "文字的格式信息跨越了记录边界")};
    }
    return {};
}
