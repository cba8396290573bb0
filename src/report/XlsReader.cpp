#include "report/XlsReader.h"

#include <QFile>

#include <freexl.h>

#include <cmath>
#include <cstring>

namespace {

quint16 u16At(QByteArrayView data, qsizetype at) {
    return static_cast<quint16>(static_cast<unsigned char>(data[at]) |
                                static_cast<unsigned char>(data[at + 1]) << 8);
}

QString protectedCause() {
    return QStringLiteral("工作簿设置了打开密码（已加密），无法读取；"
                          "请先在 Excel 中取消密码并另存后再导入");
}

QString freexlCause(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("无法打开文件");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足，无法读取工作簿");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return QStringLiteral("复合文档结构已损坏（FreeXL 错误 %1），文件可能被截断").arg(code);
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_ILLEGAL_CELL_ROW_COL:
    case FREEXL_ILLEGAL_RK_VALUE:
        return QStringLiteral("工作簿数据已损坏（FreeXL 错误 %1）").arg(code);
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return QStringLiteral("工作簿的文字编码无法识别（FreeXL 错误 %1）").arg(code);
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("文件结构异常，可能已损坏或被篡改，拒绝读取");
    default:
        return QStringLiteral("无法读取工作簿（FreeXL 错误 %1），文件可能已损坏").arg(code);
    }
}

class FreeXlHandle {
public:
    ~FreeXlHandle() {
        if (m_handle)
            freexl_close(m_handle);
    }
    const void* get() const { return m_handle; }
    const void** out() { return &m_handle; }

private:
    const void* m_handle = nullptr;
};

QString dimensionCause(quint32 rows, quint32 columns) {
    return QStringLiteral("工作表声明的尺寸（%1 行 × %2 列）超出 .xls 格式的上限"
                          "（%3 行 × %4 列），文件已损坏")
        .arg(rows)
        .arg(columns)
        .arg(xlsreader::kMaxRows)
        .arg(xlsreader::kMaxColumns);
}

CellValue cellOf(const FreeXL_CellValue& value) {
    switch (value.type) {
    case FREEXL_CELL_INT:
        return CellValue::fromNumber(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return std::isfinite(value.value.double_value)
                   ? CellValue::fromNumber(value.value.double_value)
                   : CellValue::fromText(QStringLiteral("#NUM!"));
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return CellValue::fromText(QString::fromUtf8(value.value.text_value));
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME: {
        // FreeXL gives dates and times as text only.
        const QString text = QString::fromUtf8(value.value.text_value);
        if (auto date = CellValue::fromIsoText(text))
            return *date;
        return CellValue::fromText(text);
    }
    default:
        return CellValue();
    }
}

} // namespace

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

xlsreader::CompoundFile xlsreader::checkCompoundFile(QByteArrayView file) {
    constexpr quint32 kLastSpecial = 0xFFFFFFFA; // larger ids mark free or chain ends
    constexpr quint32 kEndOfChain = 0xFFFFFFFE;
    CompoundFile result;
    const auto damaged = [&](const QString& what) {
        result.cause = QStringLiteral("复合文档结构已损坏（%1），文件可能被截断或被篡改").arg(what);
        result.streamNames.clear();
        result.workbookAt = -1;
        return result;
    };
    if (file.size() < 512)
        return damaged(QStringLiteral("文件头不完整"));
    const auto u32At = [&](qsizetype at) {
        return quint32(u16At(file, at)) | quint32(u16At(file, at + 2)) << 16;
    };
    const quint16 shift = u16At(file, 0x1E);
    if (u16At(file, 0x1C) != 0xFFFE || (shift != 9 && shift != 12) || u16At(file, 0x20) != 6)
        return damaged(QStringLiteral("文件头无效"));
    const qsizetype sectorSize = qsizetype(1) << shift;
    const quint32 perSector = quint32(sectorSize / 4);
    // The header takes the whole first sector; with 4096-byte sectors a shorter file
    // would leave the count of sectors below zero.
    if (file.size() < sectorSize)
        return damaged(QStringLiteral("文件头不完整"));
    // Sector n starts at (n + 1) * sectorSize; a partial last sector does not count.
    const quint32 sectors = quint32(file.size() / sectorSize) - 1;
    const auto sectorAt = [&](quint32 id) { return (qsizetype(id) + 1) * sectorSize; };

    // The allocation table's own sectors: 109 in the header, the rest in a chain.
    const quint32 fatCount = u32At(0x2C);
    if (fatCount > sectors)
        return damaged(QStringLiteral("分配表大小无效"));
    std::vector<quint32> fatSectors;
    for (quint32 i = 0; i < fatCount && i < 109; ++i)
        fatSectors.push_back(u32At(0x4C + 4 * i));
    quint32 difat = u32At(0x44);
    for (quint32 hops = 0; fatSectors.size() < fatCount; ++hops) {
        if (difat >= sectors || hops > sectors)
            return damaged(QStringLiteral("分配表索引无效"));
        for (quint32 i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32At(sectorAt(difat) + 4 * i));
        difat = u32At(sectorAt(difat) + 4 * (perSector - 1));
    }
    std::vector<quint32> fat;
    fat.reserve(fatSectors.size() * perSector);
    for (quint32 id : fatSectors) {
        if (id >= sectors)
            return damaged(QStringLiteral("分配表位置无效"));
        for (quint32 i = 0; i < perSector; ++i)
            fat.push_back(u32At(sectorAt(id) + 4 * i));
    }
    // Follows a chain of sectors; false when it leaves the file, loops or breaks off.
    const auto chain = [&](quint32 first, std::vector<quint32>& out) {
        out.clear();
        for (quint32 id = first; id != kEndOfChain; id = fat[id]) {
            if (id >= sectors || id >= fat.size() || out.size() > sectors)
                return false;
            out.push_back(id);
        }
        return true;
    };

    std::vector<quint32> directory;
    if (!chain(u32At(0x30), directory) || directory.empty())
        return damaged(QStringLiteral("目录位置无效"));
    const quint32 miniCutoff = u32At(0x38);
    std::vector<quint32> streamSectors;
    std::vector<quint32> miniStream; // the root entry's chain, holding the small streams
    quint32 workbookStart = kEndOfChain;
    quint32 workbookSize = 0;
    std::vector<quint32> workbookSectors;
    for (quint32 id : directory) {
        for (qsizetype entry = sectorAt(id); entry < sectorAt(id) + sectorSize; entry += 128) {
            const quint16 nameBytes = u16At(file, entry + 64);
            const auto type = static_cast<unsigned char>(file[entry + 66]);
            // FreeXL converts the name of every entry, unused ones included, trusting
            // its length.
            if (nameBytes > 64 || nameBytes % 2 != 0)
                return damaged(QStringLiteral("目录项无效"));
            if (type == 0)
                continue; // unused entry
            if (type != 1 && type != 2 && type != 5)
                return damaged(QStringLiteral("目录项无效"));
            QString name;
            for (qsizetype i = 0; i + 2 < nameBytes; i += 2)
                name += QChar(u16At(file, entry + i));
            // The streams FreeXL reads (the workbook and the root's mini stream) must
            // fit the chains that hold them.
            const quint32 start = u32At(entry + 116);
            const quint32 size = u32At(entry + 120);
            const bool workbook =
                type == 2 && size > 0 &&
                (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0 ||
                 name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0);
            const bool inOrdinarySectors = type == 5 || (workbook && size >= miniCutoff);
            if (inOrdinarySectors && size > 0 &&
                (start > kLastSpecial || !chain(start, streamSectors) ||
                 qsizetype(streamSectors.size()) * sectorSize < qsizetype(size)))
                return damaged(QStringLiteral("“%1”的扇区链无效").arg(name));
            if (type == 5 && size > 0)
                miniStream = streamSectors;
            if (workbook && result.workbookAt < 0) {
                workbookStart = start;
                workbookSize = size;
                workbookSectors = streamSectors;
            }
            if (workbook && size >= miniCutoff) {
                result.workbookAt = sectorAt(start);
            } else if (workbook && start <= kLastSpecial) {
                // Mini sectors are 64 bytes, laid end to end along the root's chain.
                const qsizetype offset = qsizetype(start) * 64;
                const qsizetype index = offset / sectorSize;
                if (index < qsizetype(miniStream.size()))
                    result.workbookAt = sectorAt(miniStream[index]) + offset % sectorSize;
            }
            result.streamNames << name;
        }
    }

    // The workbook stream's bytes: whole sectors along its chain, or 64-byte mini
    // sectors along the mini allocation table, inside the root's mini stream.
    if (workbookSize >= miniCutoff) {
        for (quint32 id : workbookSectors)
            result.workbook.append(file.sliced(sectorAt(id), sectorSize));
    } else if (workbookSize > 0 && workbookStart <= kLastSpecial) {
        std::vector<quint32> miniFatSectors;
        std::vector<quint32> miniFat;
        if (chain(u32At(0x3C), miniFatSectors))
            for (quint32 id : miniFatSectors)
                for (quint32 i = 0; i < perSector; ++i)
                    miniFat.push_back(u32At(sectorAt(id) + 4 * i));
        for (quint32 id = workbookStart;
             id < miniFat.size() && result.workbook.size() < qsizetype(workbookSize);
             id = miniFat[id]) {
            const qsizetype offset = qsizetype(id) * 64;
            const qsizetype index = offset / sectorSize;
            if (index >= qsizetype(miniStream.size()))
                break;
            result.workbook.append(
                file.sliced(sectorAt(miniStream[index]) + offset % sectorSize, 64));
        }
    }
    result.workbook.truncate(workbookSize);
    return result;
}

QString xlsreader::checkRecords(QByteArrayView stream) {
    constexpr quint16 kBof = 0x0809;
    constexpr quint16 kDimension = 0x0200;
    constexpr quint16 kBoundSheet = 0x0085;
    constexpr quint16 kFormat = 0x041E;
    constexpr quint16 kLabel = 0x0204;
    constexpr quint16 kRichString = 0x00D6;
    bool biff8 = true;
    bool sawBof = false;
    qint64 claimed = 0;
    int dimensionsInSheet = 0;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = u16At(stream, at);
        const qsizetype length = u16At(stream, at + 2);
        const qsizetype body = at + 4;
        if (body + length > stream.size())
            break;
        const QByteArrayView record = stream.sliced(body, length);
        const auto damaged = [&] {
            return QStringLiteral("工作簿中位于 %1 的记录（类型 0x%2）长度与内容不符，"
                                  "文件已损坏或被篡改")
                .arg(at)
                .arg(type, 4, 16, QLatin1Char('0'));
        };
        // A BIFF8 text of `characters` starting with its option byte at `from`: the
        // option byte says whether characters take one byte or two, and which
        // optional fields (4 and 2 bytes long) come before them.
        const auto unicodeFits = [&](qsizetype from, qsizetype characters) {
            if (from >= record.size())
                return false;
            const auto options = static_cast<unsigned char>(record[from]);
            const qsizetype start =
                from + 1 + ((options & 0x04) ? 4 : 0) + ((options & 0x08) ? 2 : 0);
            return start + characters * ((options & 0x01) ? 2 : 1) <= record.size();
        };
        switch (type) {
        case kBof:
            dimensionsInSheet = 0;
            if (!sawBof && length >= 2) {
                // FreeXL reads every record by the version of the first BOF.
                biff8 = u16At(record, 0) == 0x0600;
                sawBof = true;
            }
            break;
        case kBoundSheet:
            if (length < (biff8 ? 8 : 7))
                return damaged();
            if (biff8 ? !unicodeFits(7, static_cast<unsigned char>(record[6]))
                      : 7 + static_cast<unsigned char>(record[6]) > length)
                return damaged();
            break;
        case kFormat:
            if (length < (biff8 ? 5 : 3))
                return damaged();
            if (biff8 ? !unicodeFits(4, u16At(record, 2))
                      : 3 + static_cast<unsigned char>(record[2]) > length)
                return damaged();
            break;
        case kLabel:
        case kRichString:
            if (length < (biff8 ? 9 : 8))
                return damaged();
            if (biff8 ? !unicodeFits(8, u16At(record, 6)) : 8 + u16At(record, 6) > length)
                return damaged();
            break;
        case kDimension:
            // FreeXL sizes the sheet anew for each one, but keeps the cells of the
            // first when the next cannot be allocated, and then frees them by the
            // new size.
            if (++dimensionsInSheet > 1)
                return QStringLiteral("工作簿中的一个工作表有多个尺寸记录（位于 %1），"
                                      "文件已损坏或被篡改")
                    .arg(at);
            if (length >= (biff8 ? 12 : 8)) {
                const quint32 rows = biff8 ? quint32(u16At(record, 4)) | quint32(u16At(record, 6))
                                                                             << 16
                                           : u16At(record, 2);
                const quint16 columns = u16At(record, biff8 ? 10 : 6);
                if (rows > kMaxRows || columns > kMaxColumns)
                    return dimensionCause(rows, columns);
                claimed += qint64(rows) * columns;
                if (claimed > kMaxClaimedCells)
                    return QStringLiteral("各工作表声明的尺寸合计超过 %1 个单元格，"
                                          "超出可读取的上限，文件可能已损坏或被篡改")
                        .arg(kMaxClaimedCells);
            }
            break;
        default:
            break;
        }
        at = body + length;
    }
    return QString();
}

QString xlsreader::readSheet(const QString& path, const QString& sheetName, WorkbookGrid& grid) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开文件（%1）").arg(file.errorString());
    if (file.size() > kMaxFileBytes)
        return QStringLiteral("文件大小 %1 MiB 超过 .xls 工作簿的合理上限 %2 MiB，拒绝读取")
            .arg(file.size() / (1024 * 1024))
            .arg(kMaxFileBytes / (1024 * 1024));
    {
        uchar* mapped = file.map(0, file.size());
        const QByteArray read = mapped ? QByteArray() : file.readAll();
        const QByteArrayView bytes =
            mapped ? QByteArrayView(reinterpret_cast<const char*>(mapped), file.size())
                   : QByteArrayView(read);
        const bool compound = bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
        const CompoundFile structure = compound ? checkCompoundFile(bytes) : CompoundFile();
        // What Excel writes for a password-protected .xlsx.
        const bool encryptedPackage =
            structure.streamNames.contains(QLatin1String("EncryptedPackage")) ||
            structure.streamNames.contains(QLatin1String("EncryptionInfo"));
        const bool encrypted =
            encryptedPackage || (structure.workbookAt >= 0 &&
                                 startsWithFilePassword(bytes.sliced(structure.workbookAt)));
        if (mapped)
            file.unmap(mapped);
        if (encrypted)
            return protectedCause();
        if (!structure.cause.isEmpty())
            return structure.cause;
        if (const QString cause = checkRecords(structure.workbook); !cause.isEmpty())
            return cause;
    }
    file.close();

    FreeXlHandle handle;
    const int opened = freexl_open(QFile::encodeName(path).constData(), handle.out());
    if (opened != FREEXL_OK)
        return freexlCause(opened);
    if (!handle.get())
        return QStringLiteral("工作簿数据已损坏或结构异常，无法解析");

    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        return protectedCause();

    unsigned int sheetCount = 0;
    if (const int rc = freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount);
        rc != FREEXL_OK)
        return freexlCause(rc);
    QStringList names;
    for (unsigned int i = 0; i < sheetCount && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (const int rc =
                freexl_get_worksheet_name(handle.get(), static_cast<unsigned short>(i), &name);
            rc != FREEXL_OK)
            return freexlCause(rc);
        names << QString::fromUtf8(name ? name : "");
    }
    const int index = workbookgrid::findSheet(names, sheetName);
    if (index < 0)
        return workbookgrid::missingSheetCause(names, sheetName);
    if (const int rc =
            freexl_select_active_worksheet(handle.get(), static_cast<unsigned short>(index));
        rc != FREEXL_OK)
        return freexlCause(rc);

    // Counts of rows and columns, as the sheet's own dimension record claims them.
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (const int rc = freexl_worksheet_dimensions(handle.get(), &rows, &columns); rc != FREEXL_OK)
        return freexlCause(rc);
    if (rows > kMaxRows || columns > kMaxColumns)
        return dimensionCause(rows, columns);

    grid.clear();
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue value;
            std::memset(&value, 0, sizeof value);
            if (const int rc = freexl_get_cell_value(handle.get(), row, column, &value);
                rc != FREEXL_OK)
                return freexlCause(rc);
            // Texts belong to the handle: cellOf copies them before it closes.
            grid.set(static_cast<int>(row), column, cellOf(value));
        }
    }
    return QString();
}
