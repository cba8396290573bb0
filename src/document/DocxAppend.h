#pragma once

#include "common/Result.h"
#include "document/DocxFill.h"
#include "document/DocxPicture.h"
#include "document/DocxTemplate.h"
#include "zip/ZipRelationships.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// Putting inline pictures into a .docx, on the parts as bytes: into the
// document's placeholders, after its bookmark "veltrace", or at the end of its
// body. Knows nothing of files: the caller reads the parts from the container
// and writes the results back.
namespace docx {

// The parts that appending reads, as they are in the container.
struct AppendInput {
    QString mainPart; // stored name of the main document part
    QByteArray document;
    QString relsPart;               // stored name of its relationships part
    std::optional<QByteArray> rels; // absent when the part does not exist yet
    QByteArray contentTypes;
    QSet<QString> takenNames; // every entry name, lower case
    // The parts the main part refers to that are only read, each once.
    struct SidePart {
        enum Kind {
            Styles,         // what paragraphs inherit: line heights, indents
            Numbering,      // the indents of list items
            HeaderOrFooter, // placeholders that cannot be used, drawing ids
            Notes,          // footnotes and endnotes: drawing ids
        };
        Kind kind;
        QString name;
        QByteArray bytes;
    };
    QList<SidePart> sideParts;
    // What the reading of the parts has to tell (parts left out).
    Notices notices;
};

struct AppendOutput {
    QByteArray document;
    QByteArray rels;
    QByteArray contentTypes;
    QList<std::pair<QString, QByteArray>> media; // entry name, PNG
    Placement placement;
};

// The kind of part a relationship of the main part of that type names, when
// appending reads it: styles and numbering (read first, in that order of
// kinds), headers, footers, footnotes and endnotes.
std::optional<AppendInput::SidePart::Kind> sidePartKind(QStringView relationshipType);

// The name of the relationships part that belongs to a part.
using zippackage::relationshipsPartOf;

// Puts pictures into the document as typed paragraphs: each entry of
// paragraphs holds the pictures (indices into pictures) of one paragraph, and
// every entry but the last was ended by a paragraph break. An ended paragraph
// with pictures goes to a placeholder or after the bookmark when the document
// has one free (see assign()); the others go to the end of the body, the
// first into the insertion paragraph there, every further one after it (an
// empty list: an empty paragraph). With no paragraphs at all the parts are
// only checked. A failure's cause names the part.
// The typed paragraphs of a batch's rows fill the document's report template
// (see DocxFill.h) as fill says.
Result<AppendOutput> appendPictures(const AppendInput& input, const QList<Picture>& pictures,
                                    const QList<QList<int>>& paragraphs,
                                    const FillInput& fill = {});

// The parts of a new, empty A4 document, in the order they go into the zip.
QList<std::pair<QString, QByteArray>> newDocumentParts();

// The alternative text a picture carries.
QString alternativeText(const QString& segmentName);

} // namespace docx
