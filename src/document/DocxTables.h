#pragma once

#include "document/DocxXml.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

// The tables around the place the body scan has reached, as far as pictures
// care: how wide the text of the innermost cell is, and whether what is put
// there is shown at all, and which rows of exact height would cut a picture. Fed by the body scan
// with the table elements it meets and the properties inside them.
namespace docx {

class TableTracker {
public:
    TableTracker(XmlScanner& scanner, const QString& text) : m_scanner(scanner), m_text(text) {}

    // Where a property element stands.
    enum class Scope {
        TableProperties,
        TableMargins,
        TableGrid,
        RowProperties,
        CellProperties,
        CellMargins
    };

    void startTable();
    void startRow();
    // Every cell's start is matched by its end, even outside a table.
    void startCell();
    void endTable();
    void endCell();
    // A WordprocessingML element directly inside one of the scopes. False
    // when its place in the text cannot be found.
    bool readProperty(Scope scope, const QXmlStreamReader& reader);

    // The width of the innermost cell's text in twips: its own width, else its
    // grid columns', less its margins; negative outside tables or when not known.
    double cellWidth() const;
    // Why the content of a cell around is not shown (a continuation of a
    // merged cell, a deleted or hidden row), or an empty string.
    QString hiddenPlace() const;
    // The heights of the rows around that are exact, each as an edit that
    // makes it a minimum: a picture in such a row would be cut to its height.
    QList<Edit> exactRows() const;

    // Word's cell margins when neither the table nor the cell sets any.
    static constexpr double kDefaultCellMargin = 108;
    struct Table {
        QList<double> grid;
        double marginLeft = kDefaultCellMargin;
        double marginRight = kDefaultCellMargin;
        int column = 0;
        bool rowDeleted = false; // of its current row
        bool rowHidden = false;
        Edit rowHeight{-1, -1, {}}; // its exact height made a minimum
    };
    struct Cell {
        int column = 0;
        int span = 1;
        double width = -1;
        double marginLeft = kDefaultCellMargin;
        double marginRight = kDefaultCellMargin;
        bool merged = false; // continues the cell above or before it
    };

private:
    bool readRowProperty(const QXmlStreamReader& reader);
    void readMargin(Scope scope, const QXmlStreamReader& reader);

    XmlScanner& m_scanner;
    const QString& m_text;
    QList<Table> m_tables;
    QList<Cell> m_cells;
};

} // namespace docx
