#pragma once

#include <QSet>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

typedef struct zip zip_t;

// The zip package of an .xlsx workbook and XML readers over its parts. A part is
// unpacked while it is parsed, a piece at a time, so that a large sheet is never held
// as a whole in memory; the size limits are applied as the bytes come, and a document
// type declaration stops the reading where it begins. Each part is read at most once
// (a sheet that the fast reader leaves to Qt's is read again from its start, and counts
// once), and what is unpacked from all the parts of one package together is limited as
// one part is, however often its relationships name a part.
namespace xlsxpackage {

class PartStream;

class Package {
public:
    Package();
    ~Package();
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // Returns "" or the cause: not a zip, too many entries, two entries of one name.
    QString open(const QString& path);
    // Part names are compared without regard to letter case.
    bool contains(const QString& name) const;
    // Whether the part `name` has been opened for reading already.
    bool wasRead(const QString& name) const;

    // Opens the part `name` (`shown` as messages name it) for reading; null with `cause`
    // set when it cannot be read, or was read before.
    std::unique_ptr<PartStream> openPart(const QString& name, const QString& shown, QString& cause);
    // Takes back the reading of the part `stream` has begun, as if it had not been
    // opened: it may be read again from its start, and what it unpacked counts no more.
    void forget(const PartStream& stream);

private:
    zip_t* m_archive = nullptr;
    qint64 m_unpacked = 0; // from all the parts read so far
    QSet<qint64> m_read;   // the entries opened for reading
};

// A QXmlStreamReader over one part that refuses document type declarations (and with
// them any entity definitions) and words its failures with the part's name.
class PartReader : public QXmlStreamReader {
public:
    // A part that was read before is not read again: the reader fails with the cause.
    PartReader(Package& package, const QString& part);
    ~PartReader();

    // Reads the next token; false at the end of the document or on failure.
    bool next();
    // Advances to the next start element anywhere below.
    bool nextStart();
    // Advances to the next child of the element whose start tag was read last (its
    // earlier children having been read to their end); false at its end tag.
    bool nextChild();
    // The text of all <t> descendants of the current element, leaving out phonetic
    // runs (<rPh>), which hold reading aids rather than the cell's text.
    QString richText();
    QString attribute(QLatin1String name) const { return attributes().value(name).toString(); }
    // The attribute's value as long as the reader stays on this token.
    QStringView attributeView(QLatin1StringView name) const { return attributes().value(name); }

    // Stops the reading with `cause` (the first one given stands).
    void fail(const QString& cause);
    // Reads the rest of the part, so that its size and checksum are checked too, and
    // returns "" or the first cause that stopped the reading.
    QString finish();
    // The part's name as messages show it.
    const QString& part() const { return m_part; }

private:
    std::unique_ptr<PartStream> m_stream;
    QString m_part;
    QString m_cause;
    bool m_dtd = false;
};

} // namespace xlsxpackage
