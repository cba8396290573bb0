#pragma once

#include "zip/ZipPackage.h"

#include <QByteArray>
#include <QString>

#include <list>
#include <optional>

struct zip;
struct zip_source;

// A .docx zip container. Its parts are read through zippackage::Package, under
// its limits; entries that are not written are carried over as they are (libzip
// copies their compressed data); a commit writes a temporary file beside the
// target and renames it over the target. Errors come back as Chinese causes
// without the file name, which the caller adds.
class DocxPackage {
public:
    // Unpacked size above which a part is not read.
    static constexpr qint64 kMaxPartSize = zippackage::kMaxPartBytes;
    // More entries than any real document has, and room for tens of
    // thousands of plots; a container above it is refused, and no write makes
    // one.
    static constexpr qint64 kMaxEntries = 100000;

    DocxPackage() = default;
    ~DocxPackage();
    DocxPackage(const DocxPackage&) = delete;
    DocxPackage& operator=(const DocxPackage&) = delete;

    enum class Mode {
        // Read only, and every local header checked against the directory.
        Inspect,
        // For changing the file. The check is left to the commit, which reads
        // every local header anyway, so a write costs one pass over them.
        Update,
    };
    // Opens an existing file.
    QString open(const QString& path, Mode mode);
    // Starts an empty container in memory (see commitToMemory).
    QString create();

    qint64 entryCount() const;
    QString entryName(qint64 index) const;
    // The stored name of an entry, looked up without regard to case (part
    // names of a package are case-insensitive).
    std::optional<QString> locate(const QString& name) const;
    // Reads an XML entry of at most limit unpacked bytes; the size in the
    // directory is not trusted, and each entry is read at most once.
    QString read(const QString& name, QByteArray* data, qint64 limit = kMaxPartSize);
    // Replaces the entry or adds it. Stored entries are not compressed again
    // (for data that is compressed already).
    QString write(const QString& name, const QByteArray& data, bool store);

    // Writes the changes to the file. On failure the file is untouched.
    QString commit();
    // For a container from create(): the bytes of the finished zip.
    QString commitToMemory(QByteArray* bytes);

private:
    void discard();

    zippackage::Package m_source;
    struct zip* m_zip = nullptr;
    struct zip_source* m_memory = nullptr;
    // libzip reads these at commit time, so they must live until then.
    std::list<QByteArray> m_buffers;
};
