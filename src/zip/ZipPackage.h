#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

typedef struct zip zip_t;

// Reading the zip package of a workbook or a document (.xlsx, .docx), which may be
// hostile. A part is unpacked as its reader asks for the bytes, so that a large sheet
// is never held whole in memory, and the limits are applied as the bytes come, never
// trusting the sizes the zip's directory claims: no part unpacks to more than
// kMaxPartBytes, and each part is read at most once, so that what all the parts read
// from one package unpack to together stays within kMaxPackageBytes however often its
// relationships name a part. A document type declaration stops a part where it begins.
// What goes wrong comes back as a Failure, which the layers above put in their words.
namespace zippackage {

inline constexpr qint64 kMaxPartBytes = 64 * 1024 * 1024;
inline constexpr qint64 kMaxPackageBytes = kMaxPartBytes;
// Before its root element a part holds an XML declaration and perhaps a comment; more
// than this there is refused, whatever the encoding the watch for "<!DOCTYPE" reads.
inline constexpr qint64 kMaxPrologBytes = 64 * 1024;

// Why a package, or one of its parts, is not read.
struct Failure {
    enum Kind {
        None,
        NotAZip,         // libzip could not open it (zipCode, zipText)
        TooManyEntries,  // `count` entries, more than the package may hold
        DuplicateEntry,  // two entries named `part`, or names only letter case apart
        Missing,         // no entry named `part`
        ReadBefore,      // `part` was read before, named as another part
        NoInformation,   // its entry in the directory cannot be read
        PartTooLarge,    // it unpacks to more than kMaxPartBytes
        PackageTooLarge, // with the parts read before, to more than kMaxPackageBytes
        Encrypted,       // it is encrypted
        NotOpened,       // libzip could not start unpacking it (zipCode, zipText)
        NotUnpacked,     // unpacking it failed midway (zipText)
        Declaration,     // it holds a document type declaration
        LongProlog,      // more than kMaxPrologBytes come before its root element
    };
    Kind kind = None;
    QString part; // the part concerned, as it was asked for
    qint64 count = 0;
    int zipCode = 0;
    QString zipText; // libzip's error in words (see ZipErrors.h)

    explicit operator bool() const { return kind != None; }
    // Whether libzip could not unpack the part for want of a password.
    bool wantsPassword() const;
};

class PartStream;

class Package {
public:
    struct Options {
        // More entries than the format's packages ever need are refused.
        qint64 maxEntries = 10000;
        // Every local header is checked against the directory as the package opens.
        bool checkConsistency = false;
        // What all the parts read may unpack to together.
        qint64 maxPackageBytes = kMaxPackageBytes;
    };

    Package();
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Opens the package read-only and checks its entry list: not a zip, too many
    // entries, two entries of one name.
    Failure open(const QString& path, const Options& options);
    // Closes the package; what was read counts no more.
    void close();

    qint64 entryCount() const;
    QString entryName(qint64 index) const;
    // The stored name of the entry `name`, looked up without regard to letter case
    // (the part names of a package are case-insensitive).
    std::optional<QString> locate(const QString& name) const;
    bool contains(const QString& name) const { return locate(name).has_value(); }
    // Whether the part `name` has been opened for reading already.
    bool wasRead(const QString& name) const;
    // What the parts read so far unpacked to.
    qint64 unpacked() const { return m_unpacked; }

    // Opens the part `name` for reading a piece at a time; null with `failure` set
    // when it cannot be read, or was read before. A part that unpacks to more than
    // `limit` (at most kMaxPartBytes) is refused as too large.
    std::unique_ptr<PartStream> openPart(const QString& name, Failure& failure,
                                         qint64 limit = kMaxPartBytes);
    // Takes back the reading of the part `stream` has begun, as if it had not been
    // opened: it may be read again from its start, and what it unpacked counts no more.
    void forget(const PartStream& stream);
    // Reads the whole XML part `name`, refused past `limit` as openPart says. A failed
    // part leaves `bytes` empty and counts as not read.
    Failure read(const QString& name, QByteArray* bytes, qint64 limit = kMaxPartBytes);
    // The archive, for copying entries from it as they are; null when none is open.
    zip_t* archive() const { return m_archive; }

private:
    // Takes an archive opened elsewhere and checks its entry list.
    Failure adopt(zip_t* archive, const Options& options);

    zip_t* m_archive = nullptr;
    qint64 m_maxPackageBytes = kMaxPackageBytes;
    qint64 m_unpacked = 0; // from all the parts read so far
    QSet<qint64> m_read;   // the entries opened for reading
};

} // namespace zippackage
