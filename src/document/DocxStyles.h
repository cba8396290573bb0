#pragma once

#include "document/DocxParagraph.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The paragraph styles, document defaults and numbering of a document, for
// what a paragraph inherits: its line height and its indents.
namespace docx {

class StyleSheet {
public:
    // Reads the styles part and the numbering part; what cannot be read is
    // left unsaid.
    void readStyles(const QByteArray& bytes);
    void readNumbering(const QByteArray& bytes);

    // What holds for a paragraph of these own properties (empty for a new
    // paragraph without any): its own, then its numbering level's, then its
    // style's along the chain of styles it is based on (the default
    // paragraph style without one), then the document defaults.
    ParagraphFormat resolve(const ParagraphFormat& own) const;

private:
    struct Style {
        QString basedOn;
        ParagraphFormat format;
    };
    // A numbering instance: its abstract numbering and the levels it overrides.
    struct Numbering {
        int abstractId = -1;
        QHash<int, ParagraphFormat> levels;
    };
    ParagraphFormat numberingLevel(int numId, int level) const;

    QHash<QString, Style> m_styles; // paragraph styles by id
    QString m_defaultStyle;
    ParagraphFormat m_defaults;
    QHash<int, Numbering> m_numberings;
    QHash<int, QHash<int, ParagraphFormat>> m_abstracts;
};

} // namespace docx
