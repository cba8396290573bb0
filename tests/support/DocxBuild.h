#pragma once

#include "support/DocxInspect.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Builds the documents and pictures the document-layer tests write to, and
// shows what was written in a form a test compares as text. Like
// DocxInspect, it shares no code with the document layer.
namespace docxbuild {

using docxinspect::Entries;
using docxinspect::Inspection;

extern const QString kDeclaration;

inline constexpr qint64 kFullWidthEmu = 601 * 9525;

// The bytes of a file; none when it cannot be read.
QByteArray fileBytes(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// A zip of the entries in order, each deflated (an empty one stored).
void writeZip(const QString& path, const Entries& entries);
// Every name in a folder, hidden ones too, sorted.
QStringList directoryListing(const QString& path);

// A package of a content types list, the package relationships and the main
// part (no relationships part of its own).
Entries minimalPackage(const QByteArray& document);

// A main part of that body, with the prefix w only.
QByteArray wordDocument(const QString& body);

// The colour of the bar at the left of plot(index).
QColor plotColor(int index);

// A plot-sized picture whose top-left corner tells which one it is.
QImage plot(int index);

// A segment name per index.
QString segment(int index);

// What every written package must satisfy: well-formed parts, one PNG content
// type, unique ids and names, every picture's relationship leading to a part
// in the package.
void verifyPackage(const Inspection& doc);

// Template pieces: a paragraph of text (with properties), a placeholder
// paragraph, and what a picture looks like once the document is read back
// (see templateBody).
QString para(const QString& text, const QString& properties = {});

// A picture of a segment as templateBody shows it.
QString pic(const QString& segment, qint64 cx = kFullWidthEmu);

// A paragraph holding the picture of a segment, as templateBody shows it.
QString picPara(const QString& segment, qint64 cx = kFullWidthEmu);

// A paragraph of text marked with the bookmark "veltrace".
QString bookmarked(const QString& text, const QString& id = QStringLiteral("0"));

// A table of one row per entry; a cell is "width|content" (width in twips,
// for tcW; empty for none) and the grid is given in twips.
QString table(const QList<int>& grid, const QList<QStringList>& rows);

// The relationships of the main part: each entry "type target", the type
// being the last word of its URI (header, footer, footnotes, styles, ...).
QByteArray relationships(const QStringList& entries);

// Each notice holds the word expected of it, in order.
void compareNotices(const QStringList& notices, const QStringList& words);

// A4 with margins of 2 cm: a plot fits at full width.
extern const QString kSection;

// The body of a main part with every picture run this program wrote shown as
// <PIC seg="segment"/> (and its width in EMU when not the full width), so the
// rest can be compared byte for byte.
QString templateBody(const QByteArray& document);

// What an independent reader sees of a template body in document order: the
// text of each paragraph that has some, and "pic:segment" for each picture.
QStringList templateSequence(const QString& body);

// Keeps a produced document for the checks with independent readers, with
// what they should find in it.
void keepSample(const QString& path, const QJsonObject& expectation);
// Keeps the document a sample starts from, beside the sample (when it is
// kept): a schema check holds the sample to what its source already was.
void keepSource(const QByteArray& source);

} // namespace docxbuild
