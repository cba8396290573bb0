#pragma once

#include "document/DocxBody.h"

#include <QList>
#include <QSet>
#include <QString>

#include <utility>

// The markup of the inline pictures this program puts into a main part: the
// prefixes it is written with, the drawing ids it takes, and the run itself.
namespace docx {

// Prefixes the new markup is written with.
struct Prefixes {
    QString w, wp, a, pic, r;
};

// The prefixes for the pictures' markup in the scanned main part; prefixes
// that must be declared on its root element go to declarations.
Prefixes prefixesFor(const DocumentScan& scan, QList<std::pair<QString, QString>>* declarations);

struct PlacedPicture {
    quint32 id = 0;
    QString mediaName; // entry name
    QString fileName;  // last path component
    QString relationshipId;
    qint64 cx = 0;
    qint64 cy = 0;
    QString description;
    QString name; // tells the segment: what replacing a segment's plot finds
};

// The markup of one inline picture run. The template is split once per write
// into literal text (prefixes filled in) and the places of the values, so a
// batch of hundreds of pictures costs a few appends per picture.
class PictureRunWriter {
public:
    explicit PictureRunWriter(const Prefixes& prefixes);
    // Appends the run of one picture.
    void write(const PlacedPicture& picture, QString* out) const;

private:
    struct Piece {
        QString literal;
        int value; // the %-number that follows the literal, 0 at the end
    };
    QList<Piece> m_pieces;
};

// Ids not used yet: counting on from the largest one, wrapping round.
class IdAllocator {
public:
    explicit IdAllocator(const QSet<quint32>& used);
    quint32 next();

private:
    QSet<quint32> m_used;
    quint64 m_next = 1;
};

} // namespace docx
