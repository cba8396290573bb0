#pragma once

#include "document/DocxXml.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The fields of a report template: placeholders in running text that stand
// for a value ("{{驻波比}}", "{{段数}}", "{{驻波比上限=1.4}}") and the markers of
// a section repeated per segment ("{{#每段}}", "{{/每段}}"). Finds them in a
// paragraph's text, even where the word processor split them over runs, and
// puts values in their place keeping each run's formatting.
namespace docx {

// A value of one plotted row.
enum class RowField { Number, Segment, Vswr, Length, Loss, Distance, Time, Verdict };
// A value of the whole batch.
enum class SummaryField { Rows, Passed, Failed, MaxVswr, MaxVswrSegment, Limit, Date };

struct FieldName {
    enum Kind { Row, Summary, Limit, SectionStart, SectionEnd };
    Kind kind = Row;
    RowField row = RowField::Number;
    SummaryField summary = SummaryField::Rows;
    // For a limit: the number as written (compatibility forms folded).
    QString limitText;
    double limit = 0;
};

// What the text between "{{" and "}}" names, if it is a field. Blanks do not
// matter, nor full-width letters, digits and signs.
std::optional<FieldName> fieldName(QStringView inner);

// A field in a text: [from, to) with its braces.
struct FoundField {
    qsizetype from = 0;
    qsizetype to = 0;
    FieldName name;
};

// Whether the text holds "{{" (full-width braces too): the quick test before
// looking for fields.
bool mentionsField(QStringView text);
QList<FoundField> findFields(QStringView text);
// Whether the whole text (blanks around it aside) is a section marker.
std::optional<FieldName::Kind> sectionMarker(QStringView text);

// A value put in place of a field; a red one is written in red.
struct FieldValue {
    QString text;
    bool red = false;
};

// A paragraph's runs and their texts as its XML holds them.
class FieldParagraph {
public:
    // xml: the paragraph element's text; w: the prefix WordprocessingML is
    // written with in the part. False when it cannot be read.
    bool parse(const QString& xml, const QString& w);
    const QString& text() const { return m_text; }
    const QList<FoundField>& fields() const { return m_fields; }

    using Values = std::function<std::optional<FieldValue>(const FieldName&)>;
    // The edits, at offsets into the paragraph's XML plus offset, that put
    // the values in place of the fields (a field without a value stays). The
    // value takes the formatting of the field's first run; text around it
    // stays in its run. A red value gets a run of its own unless it fills
    // its run. Returns the number of fields replaced in *replaced.
    QList<Edit> edits(const Values& values, qsizetype offset, int* replaced = nullptr) const;

private:
    struct Run {
        ElementSpan span;
        ElementSpan properties;  // its rPr; invalid when it has none
        bool lastIsText = false; // its last child is one of its texts
    };
    struct Piece {
        ElementSpan span; // its w:t
        QString text;
        int run = 0;
    };
    struct Segment {
        QString text;
        bool red = false;
    };
    QString renderPiece(int piece, const QList<Segment>& segments) const;
    QString textElement(const QString& text) const;
    qsizetype pieceAt(qsizetype position) const;

    QString m_xml;
    QString m_w;
    QList<Run> m_runs;
    QList<Piece> m_pieces;
    QList<qsizetype> m_starts; // where each piece's text starts in m_text
    QString m_text;
    QList<FoundField> m_fields;
};

// Run properties with their colour set to red, the other formatting kept;
// rPr: the element's text, or empty when the run has none.
QString redProperties(QStringView rPr, const QString& w);

// A text with no two braces in a row, so that a value never reads as a
// field or placeholder in a later write.
QString inertText(const QString& text);

} // namespace docx
