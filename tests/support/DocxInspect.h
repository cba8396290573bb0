#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Reads what the tests need to know about a .docx package with libzip and
// QXmlStreamReader directly, never through the program's own document layer.
namespace docxinspect {

inline const QString kW =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
inline const QString kWp =
    QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
inline const QString kA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
inline const QString kR =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
inline const QString kDocumentPart = QStringLiteral("word/document.xml");
inline const QString kRelsPart = QStringLiteral("word/_rels/document.xml.rels");
inline const QString kTypesPart = QStringLiteral("[Content_Types].xml");

// The entries of a zip: name and bytes.
using Entries = QList<std::pair<QString, QByteArray>>;

// Every entry of a zip, in stored order; none when the file is no readable zip,
// and no bytes for an entry that cannot be read whole.
Entries readZip(const QString& path);
// The bytes of the entry of that name; empty when there is none.
QByteArray entry(const Entries& entries, const QString& name);
// The bytes of one package entry; empty when the file or entry is missing.
QByteArray entry(const QString& docxPath, const QString& name);

// What the tests see of a document: its body, one word per block ("text",
// "pic", "empty", "break" for a section break, else the element's name), and
// its pictures in order.
struct Inspection {
    struct Picture {
        QString description;
        QString id;
        QString embed;
        qint64 cx = 0;
        qint64 cy = 0;
        bool inlined = false;   // in line with the text rather than anchored
        bool described = false; // has alternative text, if only an empty one
    };
    Entries entries;
    QStringList blocks;
    QList<Picture> pictures;
    QHash<QString, QString> relationshipTargets;
    QStringList relationshipIds;
    int pngDefaults = 0;
    // Paragraphs anywhere in the main part that hold no run at all.
    int runlessParagraphs = 0;
    QString error;
};

Inspection inspect(const QString& path);

// The picture a relationship leads to, decoded as the given format (any
// format Qt recognises when null).
QImage pictureOf(const Inspection& doc, const Inspection::Picture& picture,
                 const char* format = "PNG");

// The alternative texts of the inline pictures of the main document that have
// one, in order.
QStringList pictureDescriptions(const QString& docxPath);
// The pictures of the main document, decoded, in document order.
QList<QImage> pictures(const QString& docxPath);
// The number of paragraphs that hold no run at all (empty paragraphs).
int emptyParagraphs(const QString& docxPath);

} // namespace docxinspect
