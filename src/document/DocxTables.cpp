#include "document/DocxTables.h"

#include "document/DocxXml.h"

#include <algorithm>

#include <QCoreApplication>

namespace docx {

namespace {

// Moves on to a later grid column; a hostile count of columns stops at a
// limit far beyond any real table.
void advance(TableTracker::Table* table, int columns) {
    table->column = std::min(table->column + std::clamp(columns, 0, 1000), 1 << 16);
}

} // namespace

void TableTracker::startTable() {
    m_tables.append(Table());
}

void TableTracker::startRow() {
    if (m_tables.isEmpty())
        return;
    m_tables.last().column = 0;
    m_tables.last().rowDeleted = m_tables.last().rowHidden = false;
    m_tables.last().rowHeight = {-1, -1, {}};
}

void TableTracker::startCell() {
    Cell cell;
    if (!m_tables.isEmpty()) {
        cell.column = m_tables.last().column;
        cell.marginLeft = m_tables.last().marginLeft;
        cell.marginRight = m_tables.last().marginRight;
    }
    m_cells.append(cell);
}

void TableTracker::endTable() {
    if (!m_tables.isEmpty())
        m_tables.removeLast();
}

void TableTracker::endCell() {
    if (m_cells.isEmpty())
        return;
    if (!m_tables.isEmpty())
        advance(&m_tables.last(), m_cells.last().span);
    m_cells.removeLast();
}

// Column widths of a table's grid, the columns a row skips, the width and
// span of a cell, cell margins.
bool TableTracker::readProperty(Scope scope, const QXmlStreamReader& reader) {
    const QStringView name = reader.name();
    if (scope == Scope::TableMargins || scope == Scope::CellMargins) {
        readMargin(scope, reader);
        return true;
    }
    if (scope == Scope::TableGrid && name == u"gridCol" && !m_tables.isEmpty())
        m_tables.last().grid.append(parseTwips(wordAttribute(reader, QStringLiteral("w"))));
    if (scope == Scope::RowProperties && !m_tables.isEmpty())
        return readRowProperty(reader);
    if (scope != Scope::CellProperties || m_cells.isEmpty())
        return true;
    // A merged cell's continuations show nothing of their own.
    if ((name == u"vMerge" || name == u"hMerge") &&
        wordAttribute(reader, QStringLiteral("val")) != u"restart")
        m_cells.last().merged = true;
    if (name == u"gridSpan")
        m_cells.last().span =
            std::clamp(wordAttribute(reader, QStringLiteral("val")).toInt(), 1, 1000);
    const QString type = wordAttribute(reader, QStringLiteral("type"));
    if (name == u"tcW" && (type.isEmpty() || type == u"dxa"))
        m_cells.last().width = parseTwips(wordAttribute(reader, QStringLiteral("w")));
    return true;
}

// The columns a row skips, whether it is a tracked deletion or hidden, and
// an exact height.
bool TableTracker::readRowProperty(const QXmlStreamReader& reader) {
    const QStringView name = reader.name();
    Table& table = m_tables.last();
    if (name == u"gridBefore")
        advance(&table, wordAttribute(reader, QStringLiteral("val")).toInt());
    else if (name == u"del")
        table.rowDeleted = true;
    else if (name == u"hidden")
        table.rowHidden = isOn(wordAttribute(reader, QStringLiteral("val")));
    if (name != u"trHeight" || wordAttribute(reader, QStringLiteral("hRule")) != u"exact")
        return true;
    ElementSpan tag;
    if (!m_scanner.startSpan(&tag))
        return false;
    table.rowHeight = {tag.start, tag.startTagEnd,
                       withValue(QStringView(m_text).mid(tag.start, tag.startTagEnd - tag.start),
                                 writtenName(reader, QStringLiteral("hRule")),
                                 QStringLiteral("atLeast"))};
    return true;
}

// A cell margin of a table or of one cell, in twips.
void TableTracker::readMargin(Scope scope, const QXmlStreamReader& reader) {
    const QStringView name = reader.name();
    const QString type = wordAttribute(reader, QStringLiteral("type"));
    if (!type.isEmpty() && type != u"dxa")
        return;
    const double width = parseTwips(wordAttribute(reader, QStringLiteral("w")));
    const bool left = name == u"left" || name == u"start";
    const bool right = name == u"right" || name == u"end";
    double* marginLeft = nullptr;
    double* marginRight = nullptr;
    if (scope == Scope::TableMargins && !m_tables.isEmpty()) {
        marginLeft = &m_tables.last().marginLeft;
        marginRight = &m_tables.last().marginRight;
    } else if (scope == Scope::CellMargins && !m_cells.isEmpty()) {
        marginLeft = &m_cells.last().marginLeft;
        marginRight = &m_cells.last().marginRight;
    }
    if (marginLeft && left && width >= 0)
        *marginLeft = width;
    if (marginRight && right && width >= 0)
        *marginRight = width;
}

double TableTracker::cellWidth() const {
    if (m_cells.isEmpty() || m_tables.isEmpty())
        return -1;
    const Cell& cell = m_cells.last();
    const Table& table = m_tables.last();
    double width = cell.width;
    if (width <= 0 && cell.column + cell.span <= table.grid.size()) {
        width = 0;
        for (int i = cell.column; i < cell.column + cell.span; ++i)
            width += std::max(0.0, table.grid.at(i));
    }
    if (width <= 0)
        return -1;
    const double inside = width - std::max(0.0, cell.marginLeft) - std::max(0.0, cell.marginRight);
    return inside > 0 ? inside : width;
}

QList<Edit> TableTracker::exactRows() const {
    QList<Edit> rows;
    for (const Table& table : m_tables) {
        if (table.rowHeight.start >= 0)
            rows.append(table.rowHeight);
    }
    return rows;
}

QString TableTracker::hiddenPlace() const {
    for (const Table& table : m_tables) {
        if (table.rowDeleted)
            return QCoreApplication::translate("document", "位于修订中已删除的表格行中");
        if (table.rowHidden)
            return QCoreApplication::translate("document", "位于隐藏的表格行中");
    }
    for (const Cell& cell : m_cells) {
        if (cell.merged)
            return QCoreApplication::translate("document", "位于合并单元格中被合并的部分");
    }
    return {};
}

} // namespace docx
