// The compound file around an .xls workbook: its allocation table, its directory and
// the bytes of the workbook stream, checked before FreeXL reads them.

#include "common/Result.h"
#include "workbook/LittleEndian.h"
#include "workbook/XlsReader.h"

#include <optional>
#include <vector>

#include <QCoreApplication>

namespace {

constexpr quint32 kLastSpecial = 0xFFFFFFFA; // larger ids mark free sectors or chain ends
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr qsizetype kEntryBytes = 128;

using littleendian::u16At;
using littleendian::u32At;

QString damagedCause(const QString& what) {
    return QCoreApplication::translate("workbook",
                                       "复合文档结构已损坏（%1），文件可能被截断或被篡改")
        .arg(what);
}

// The sectors of a compound file and the allocation table that chains them.
class Sectors {
public:
    // Reads the header and the allocation table; fails with what is damaged.
    Result<> load(QByteArrayView file);

    qsizetype size() const { return m_size; }
    QByteArrayView sector(quint32 id) const { return m_file.sliced(offsetOf(id), m_size); }
    qsizetype offsetOf(quint32 id) const { return (qsizetype(id) + 1) * m_size; }
    // Follows a chain of sectors; false when it leaves the file, loops or breaks off.
    bool chain(quint32 first, std::vector<quint32>& out) const;
    // The first `bytes` bytes of the sectors `ids`, laid end to end.
    QByteArray stream(const std::vector<quint32>& ids, qsizetype bytes) const;
    // Whether `ids` is exactly as long as a stream of `bytes` bytes needs.
    bool fits(const std::vector<quint32>& ids, qsizetype bytes) const {
        return qsizetype(ids.size()) == (bytes + m_size - 1) / m_size;
    }

private:
    QByteArrayView m_file;
    qsizetype m_size = 512;
    quint32 m_count = 0; // whole sectors after the header
    std::vector<quint32> m_fat;
};

Result<> Sectors::load(QByteArrayView file) {
    m_file = file;
    if (file.size() < 512)
        return Failed{QCoreApplication::translate("workbook", "文件头不完整")};
    const quint16 shift = u16At(file, 0x1E);
    if (u16At(file, 0x1C) != 0xFFFE || (shift != 9 && shift != 12) || u16At(file, 0x20) != 6)
        return Failed{QCoreApplication::translate("workbook", "文件头无效")};
    m_size = qsizetype(1) << shift;
    // The header takes the whole first sector; with 4096-byte sectors a shorter file
    // would leave the count of sectors below zero.
    if (file.size() < m_size)
        return Failed{QCoreApplication::translate("workbook", "文件头不完整")};
    // Sector n starts at (n + 1) * size; a partial last sector does not count.
    m_count = quint32(file.size() / m_size) - 1;
    const quint32 perSector = quint32(m_size / 4);

    // The allocation table's own sectors: 109 in the header, the rest in a chain.
    const quint32 fatCount = u32At(file, 0x2C);
    if (fatCount > m_count)
        return Failed{QCoreApplication::translate("workbook", "分配表大小无效")};
    std::vector<quint32> fatSectors;
    for (quint32 i = 0; i < fatCount && i < 109; ++i)
        fatSectors.push_back(u32At(file, 0x4C + 4 * i));
    quint32 difat = u32At(file, 0x44);
    for (quint32 hops = 0; fatSectors.size() < fatCount; ++hops) {
        if (difat >= m_count || hops > m_count)
            return Failed{QCoreApplication::translate("workbook", "分配表索引无效")};
        for (quint32 i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32At(file, offsetOf(difat) + 4 * i));
        difat = u32At(file, offsetOf(difat) + 4 * (perSector - 1));
    }
    m_fat.reserve(fatSectors.size() * perSector);
    for (quint32 id : fatSectors) {
        if (id >= m_count)
            return Failed{QCoreApplication::translate("workbook", "分配表位置无效")};
        for (quint32 i = 0; i < perSector; ++i)
            m_fat.push_back(u32At(file, offsetOf(id) + 4 * i));
    }
    return {};
}

bool Sectors::chain(quint32 first, std::vector<quint32>& out) const {
    out.clear();
    for (quint32 id = first; id != kEndOfChain; id = m_fat[id]) {
        if (id >= m_count || id >= m_fat.size() || out.size() > m_count)
            return false;
        out.push_back(id);
    }
    return true;
}

QByteArray Sectors::stream(const std::vector<quint32>& ids, qsizetype bytes) const {
    QByteArray result;
    result.reserve(qMin(bytes, qsizetype(ids.size()) * m_size));
    for (quint32 id : ids)
        result.append(sector(id));
    result.truncate(bytes);
    return result;
}

// A small stream: 64-byte mini sectors along the mini allocation table, laid end to
// end in the sectors `miniStream` of the root entry. As far as the chain leads, and
// never round a loop in it.
QByteArray miniStreamBytes(QByteArrayView file, const Sectors& sectors,
                           const std::vector<quint32>& miniStream, quint32 start, quint32 size) {
    constexpr qsizetype kMiniSector = 64;
    std::vector<quint32> miniFatSectors;
    std::vector<quint32> miniFat;
    if (sectors.chain(u32At(file, 0x3C), miniFatSectors))
        for (quint32 id : miniFatSectors)
            for (qsizetype i = 0; i < sectors.size(); i += 4)
                miniFat.push_back(u32At(sectors.sector(id), i));
    std::vector<bool> seen(miniFat.size());
    QByteArray bytes;
    for (quint32 id = start; id < miniFat.size() && !seen[id] && bytes.size() < qsizetype(size);
         id = miniFat[id]) {
        seen[id] = true;
        const qsizetype offset = qsizetype(id) * kMiniSector;
        const qsizetype index = offset / sectors.size();
        if (index >= qsizetype(miniStream.size()))
            break;
        bytes.append(
            sectors.sector(miniStream[index]).sliced(offset % sectors.size(), kMiniSector));
    }
    bytes.truncate(size);
    return bytes;
}

// A directory entry's name as a C string comparison sees it: up to the first NUL of
// the bytes its length covers.
QString entryName(QByteArrayView entry, quint16 nameBytes) {
    QString name;
    for (qsizetype i = 0; i + 1 < nameBytes && u16At(entry, i) != 0; i += 2)
        name += QChar(u16At(entry, i));
    return name;
}

bool isWorkbookName(const QString& name) {
    return name == QLatin1String("Workbook") || name == QLatin1String("Book");
}

// What FreeXL reads as the workbook stream. It looks only at the first sector of the
// directory, takes the first entry named exactly "Workbook" or "Book" that has a start
// sector, and reads a workbook up to the mini stream cutoff from the start of the
// root's mini stream, whatever the mini allocation table says. nullopt when FreeXL
// finds no workbook and so reads no records; else the stream's bytes, or why it cannot
// be read as FreeXL reads it.
std::optional<Result<QByteArray>> freexlStream(QByteArrayView file, const Sectors& sectors,
                                               quint32 directoryStart) {
    quint32 rootStart = kEndOfChain;
    quint32 rootSize = 0;
    quint32 start = kNoStream;
    quint32 size = 0;
    const QByteArrayView directory = sectors.sector(directoryStart);
    for (qsizetype at = 0; at < directory.size() && start == kNoStream; at += kEntryBytes) {
        const QByteArrayView entry = directory.sliced(at, kEntryBytes);
        const QString name = entryName(entry, u16At(entry, 64));
        if (name == QLatin1String("Root Entry")) {
            rootStart = u32At(entry, 116);
            rootSize = u32At(entry, 120);
        }
        if (isWorkbookName(name)) {
            start = u32At(entry, 116);
            size = u32At(entry, 120);
        }
    }
    if (start == kNoStream)
        return std::nullopt;

    const quint32 miniCutoff = u32At(file, 0x40) > 0 ? u32At(file, 0x38) : 0;
    const bool mini = size <= miniCutoff;
    std::vector<quint32> ids;
    const quint32 first = mini ? rootStart : start;
    const quint32 bytes = mini ? rootSize : size;
    if (!sectors.chain(first, ids) || !sectors.fits(ids, bytes))
        return Failed{QCoreApplication::translate("workbook", "工作簿流的扇区链与其长度不符")};
    if (mini && size > rootSize)
        return Failed{QCoreApplication::translate("workbook", "工作簿流超出了小流的范围")};
    return sectors.stream(ids, size);
}

// What the directory tells of the streams FreeXL reads, each entry checked on
// the way: every name, the root's mini stream and the first workbook stream.
class Directory {
public:
    Directory(QByteArrayView file, const Sectors& sectors)
        : m_file(file), m_sectors(sectors), m_miniCutoff(u32At(file, 0x38)) {}

    // Reads the entries of the directory sectors `ids`; fails with what is damaged.
    Result<> read(const std::vector<quint32>& ids) {
        for (quint32 id : ids) {
            const QByteArrayView entries = m_sectors.sector(id);
            for (qsizetype at = 0; at < entries.size(); at += kEntryBytes)
                if (Result<> sound = readEntry(entries.sliced(at, kEntryBytes)); !sound)
                    return sound;
        }
        return {};
    }

    // The workbook stream's bytes: whole sectors along its chain, or mini sectors in
    // the root's mini stream (none when it claims more than the mini stream holds).
    QByteArray workbook() const {
        if (!workbookInMiniStream())
            return m_sectors.stream(m_workbookSectors, m_workbookSize);
        if (m_workbookSize <= m_miniStreamSize)
            return miniStreamBytes(m_file, m_sectors, m_miniStream, m_workbookStart,
                                   m_workbookSize);
        return QByteArray();
    }
    bool workbookInMiniStream() const {
        return m_workbookSize > 0 && m_workbookSize < m_miniCutoff;
    }
    bool workbookBeyondMiniStream() const {
        return workbookInMiniStream() && m_workbookSize > m_miniStreamSize;
    }
    const QStringList& names() const { return m_names; }

private:
    Result<> readEntry(QByteArrayView entry) {
        const quint16 nameBytes = u16At(entry, 64);
        const auto type = static_cast<unsigned char>(entry[66]);
        // FreeXL converts the name of every entry, unused ones included, trusting
        // its length.
        if (nameBytes > 64 || nameBytes % 2 != 0)
            return Failed{QCoreApplication::translate("workbook", "目录项无效")};
        if (type == 0)
            return {}; // unused entry
        if (type != 1 && type != 2 && type != 5)
            return Failed{QCoreApplication::translate("workbook", "目录项无效")};
        const QString name = entryName(entry, nameBytes);
        // The streams FreeXL reads (the workbook and the root's mini stream) must
        // fit the chains that hold them.
        const quint32 start = u32At(entry, 116);
        const quint32 size = u32At(entry, 120);
        // No stream is longer than the file holding it.
        if ((type == 2 || type == 5) && qsizetype(size) > m_file.size())
            return Failed{
                QCoreApplication::translate("workbook", "“%1”的长度超出了文件本身").arg(name)};
        const bool workbook = type == 2 && size > 0 &&
                              (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0 ||
                               name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0);
        const bool inOrdinarySectors = type == 5 || (workbook && size >= m_miniCutoff);
        if (inOrdinarySectors && size > 0 &&
            (start > kLastSpecial || !m_sectors.chain(start, m_streamSectors) ||
             qsizetype(m_streamSectors.size()) * m_sectors.size() < qsizetype(size)))
            return Failed{QCoreApplication::translate("workbook", "“%1”的扇区链无效").arg(name)};
        if (type == 5 && size > 0) {
            m_miniStream = m_streamSectors;
            m_miniStreamSize = size;
        }
        if (workbook && m_workbookSize == 0) {
            m_workbookStart = start;
            m_workbookSize = size;
            m_workbookSectors = m_streamSectors;
        }
        m_names << name;
        return {};
    }

    QByteArrayView m_file;
    const Sectors& m_sectors;
    const quint32 m_miniCutoff;
    std::vector<quint32> m_streamSectors; // the chain of the last stream followed
    QStringList m_names;
    std::vector<quint32> m_miniStream; // the root entry's chain, holding the small streams
    quint32 m_miniStreamSize = 0;
    quint32 m_workbookStart = kEndOfChain;
    quint32 m_workbookSize = 0;
    std::vector<quint32> m_workbookSectors;
};

} // namespace

Result<xlsreader::CompoundFile> xlsreader::checkCompoundFile(QByteArrayView file) {
    const auto damaged = [](const QString& what) { return Failed{damagedCause(what)}; };
    Sectors sectors;
    if (const Result<> loaded = sectors.load(file); !loaded)
        return damaged(loaded.cause());

    std::vector<quint32> directorySectors;
    if (!sectors.chain(u32At(file, 0x30), directorySectors) || directorySectors.empty())
        return damaged(QCoreApplication::translate("workbook", "目录位置无效"));
    Directory directory(file, sectors);
    if (const Result<> read = directory.read(directorySectors); !read)
        return damaged(read.cause());
    CompoundFile result;
    result.streamNames = directory.names();
    result.workbook = directory.workbook();

    // The records checked later are the ones FreeXL will read: where its way of finding
    // the workbook leads to other bytes, the file is refused.
    if (const auto seen = freexlStream(file, sectors, directorySectors.front())) {
        if (!*seen)
            return damaged(seen->cause());
        if (seen->value() != result.workbook)
            return damaged(QCoreApplication::translate("workbook", "工作簿流的位置或长度前后不一"));
    }
    if (directory.workbookBeyondMiniStream())
        return damaged(QCoreApplication::translate("workbook", "工作簿流超出了小流的范围"));
    return result;
}
