#pragma once

#include "common/Result.h"
#include "zip/ZipPackage.h"

#include <QString>
#include <QXmlStreamReader>

#include <memory>

// XML readers over the parts of an .xlsx workbook's zip package (see zip/ZipPackage.h):
// each part is unpacked while it is parsed, under the package's limits, and what stops
// the reading is said in the words of a workbook.
namespace xlsxpackage {

using zippackage::Package;
using zippackage::PartStream;

// Why the package or a part of it is not read, in Chinese, naming the part.
QString causeOf(const zippackage::Failure& failure);

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
    // Reads the rest of the part, so that its size and checksum are checked too; fails
    // with the first cause that stopped the reading.
    Result<> finish();
    // The part's name as messages show it.
    const QString& part() const { return m_part; }

private:
    std::unique_ptr<PartStream> m_stream;
    QString m_part;
    QString m_cause;
    bool m_dtd = false;
};

} // namespace xlsxpackage
