#pragma once

#include "common/Result.h"
#include "zip/ZipPackage.h"

#include <QByteArray>
#include <QString>

#include <QHash>

#include <list>
#include <optional>

struct zip;

// A .docx zip container. Its parts are read through zippackage::Package, under
// its limits. A commit builds the new container in one pass: the entries of the
// opened one in their order, those not written copied as they are (their
// compressed data is neither unpacked nor packed again), then the added ones.
// A failure's cause names the part but not the file, which the caller adds.
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
        // For writing a changed copy (commitTo). The check is left to the
        // commit, which reads every local header anyway, so a write costs one
        // pass over them.
        Update,
    };
    // Opens an existing file.
    Result<> open(const QString& path, Mode mode);
    // Starts an empty container (see commitToMemory).
    void create();

    qint64 entryCount() const;
    QString entryName(qint64 index) const;
    // The stored name of an entry, looked up without regard to case (part
    // names of a package are case-insensitive).
    std::optional<QString> locate(const QString& name) const;
    // Reads an XML entry of at most limit unpacked bytes; the size in the
    // directory is not trusted, and each entry is read at most once.
    Result<QByteArray> read(const QString& name, qint64 limit = kMaxPartSize);
    // Replaces the entry (named as it is stored) or adds it. Stored entries
    // are not compressed (for data that is compressed already).
    void write(const QString& name, const QByteArray& data, bool store);

    // Writes the container with the changes to a new file at path, which
    // must not exist yet; the opened file is only read. On failure no file is
    // left at path.
    Result<> commitTo(const QString& path);
    // The bytes of the container with the changes.
    Result<QByteArray> commitToMemory();

private:
    struct Written {
        QString name;
        QByteArray data;
        bool store;
    };

    void discard();
    // Puts the entries into the new container out, which libzip writes when
    // it is closed.
    Result<> fill(struct zip* out) const;
    Result<> copyEntry(struct zip* out, qint64 index) const;
    static Result<> add(struct zip* out, const Written& written);

    zippackage::Package m_source;
    // libzip reads these when the new container is closed, so they must live
    // until then.
    std::list<Written> m_written;
    QHash<QString, Written*> m_byName;
};
