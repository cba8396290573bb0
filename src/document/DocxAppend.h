#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>

// Appending inline pictures to the body of a .docx, on the parts as bytes.
// Knows nothing of files: the caller reads the parts from the container and
// writes the results back.
namespace docx {

// Shown at 96 dpi: one pixel is 914400 / 96 EMU.
inline constexpr qint64 kEmuPerPixel = 9525;
inline constexpr qint64 kEmuPerTwip = 635;

struct Picture {
    QByteArray png;
    QSize pixels; // at 96 dpi, the size on the page; the PNG may hold more
    QString segmentName;
};

// The parts that appending reads, as they are in the container.
struct AppendInput {
    QString mainPart; // stored name of the main document part
    QByteArray document;
    QString relsPart;               // stored name of its relationships part
    std::optional<QByteArray> rels; // absent when the part does not exist yet
    QByteArray contentTypes;
    QSet<QString> takenNames; // every entry name, lower case
};

struct AppendOutput {
    QByteArray document;
    QByteArray rels;
    QByteArray contentTypes;
    QList<std::pair<QString, QByteArray>> media; // entry name, PNG
};

// The name of the relationships part that belongs to a part.
QString relationshipsPartOf(const QString& part);

// Appends at the insertion point: paragraphs[0] holds the pictures (indices
// into pictures) that go into the insertion paragraph, every further entry is
// one more paragraph after it (an empty list: an empty paragraph). With no
// paragraphs at all the parts are only checked. Returns an empty string or
// the cause, naming the part.
QString appendPictures(const AppendInput& input, const QList<Picture>& pictures,
                       const QList<QList<int>>& paragraphs, AppendOutput* output);

// The parts of a new, empty A4 document, in the order they go into the zip.
QList<std::pair<QString, QByteArray>> newDocumentParts();

// The alternative text a picture carries.
QString alternativeText(const QString& segmentName);

} // namespace docx
