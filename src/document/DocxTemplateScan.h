#pragma once

#include "document/DocxFields.h"
#include "document/DocxNotices.h"
#include "document/DocxXml.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QXmlStreamReader>

// What the body scan finds of a report template besides the plot
// placeholders: the paragraphs holding fields, the table rows that hold row
// fields, the sections between matched markers, and the pictures this
// program wrote (to replace one in place).
namespace docx {

struct ScannedParagraph;

// A paragraph whose text holds fields.
struct FieldParagraphSpan {
    ElementSpan span;
    QList<FoundField> fields; // row, summary and limit fields
    bool rowFields = false;
};

// The two marker paragraphs of a section; what lies between them is repeated.
struct SectionSpan {
    ElementSpan start;
    ElementSpan end;
};

// A picture of this program: the name that marks it, and the relationship
// its picture comes through.
struct OwnDrawing {
    QString name;
    QString embed;
    ElementSpan blip; // its a:blip's start tag
};

struct TemplateScan {
    QList<FieldParagraphSpan> fields; // in document order
    // The innermost table rows holding a paragraph with a row field.
    QList<ElementSpan> rows;
    QList<SectionSpan> sections;
    QList<OwnDrawing> ownDrawings;
    // How many pictures of the main part show each relationship.
    QHash<QString, int> embedUses;
};

// The name a picture of this program carries: it tells the segment, so that a
// later plot of that segment can replace it.
QString pictureName(const QString& segmentName);

// Fed by the body scan with the rows, paragraphs, tables and drawings it meets.
class TemplateTracker {
public:
    explicit TemplateTracker(XmlScanner& scanner) : m_scanner(scanner) {}

    // The reader stands on a row's start or end.
    void rowStarted();
    void rowEnded();
    // A paragraph ended directly inside the element of its parentSerial, a
    // table cell when inCell.
    void paragraphEnded(const ScannedParagraph& paragraph, bool inCell);
    void tableEnded(int parentSerial);
    // Any start element of the body.
    void drawingElement(const QXmlStreamReader& reader);
    // Pairs the markers: what cannot be paired is left and said in notices.
    void finish(TemplateScan* scan, Notices* notices);

private:
    struct Marker {
        ElementSpan span;
        bool start = false;
        int parent = 0;
        QString problem; // why it cannot be used on its own
    };
    struct LastBlock {
        bool paragraph = false;
        int marker = -1; // the marker it is, if one
    };
    struct OpenRow {
        ElementSpan span;
        bool rowFields = false;
    };
    void marker(const ScannedParagraph& paragraph, bool start, bool inCell);

    XmlScanner& m_scanner;
    TemplateScan m_scan;
    QList<Marker> m_markers;
    QHash<int, LastBlock> m_lastBlocks; // by the parent's serial
    QList<OpenRow> m_rows;
    int m_ownDrawing = -1; // the own drawing whose picture comes next
};

} // namespace docx
