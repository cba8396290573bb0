#include "workbook/WorkbookGrid.h"

#include "common/ShortText.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include <QCoreApplication>

namespace {

bool before(int row, int column, int otherRow, int otherColumn) {
    return row < otherRow || (row == otherRow && column < otherColumn);
}

} // namespace

void WorkbookGrid::set(int row, int column, const CellValue& value) {
    if (value.isEmpty())
        return;
    if (!m_cells.empty()) {
        Cell& last = m_cells.back();
        if (last.row == row && last.column == column) {
            last.value = value;
            return;
        }
        if (before(row, column, last.row, last.column))
            m_sorted = false;
    }
    m_cells.push_back({row, column, value});
}

void WorkbookGrid::sort() const {
    if (m_sorted)
        return;
    // The cells' places in order of row, column and then the order they were given:
    // sorted as small keys, then each cell moved once into its place.
    struct Place {
        quint64 key;
        std::size_t index;
    };
    std::vector<Place> places(m_cells.size());
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        places[i] = {quint64(m_cells[i].row) << 32 | quint32(m_cells[i].column), i};
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
        return a.key < b.key || (a.key == b.key && a.index < b.index);
    });
    // Of the cells given more than once, the last given stands.
    std::deque<Cell> sorted;
    for (std::size_t i = 0; i < places.size(); ++i)
        if (i + 1 == places.size() || places[i + 1].key != places[i].key)
            sorted.push_back(std::move(m_cells[places[i].index]));
    m_cells.swap(sorted);
    m_sorted = true;
}

std::deque<WorkbookGrid::Cell>::const_iterator WorkbookGrid::find(int row, int column) const {
    sort();
    return std::lower_bound(m_cells.cbegin(), m_cells.cend(), std::pair(row, column),
                            [](const Cell& cell, const std::pair<int, int>& key) {
                                return before(cell.row, cell.column, key.first, key.second);
                            });
}

const CellValue& WorkbookGrid::at(int row, int column) const {
    static const CellValue empty;
    const auto found = find(row, column);
    return found != m_cells.cend() && found->row == row && found->column == column ? found->value
                                                                                   : empty;
}

int WorkbookGrid::lastRow() const {
    sort();
    return m_cells.empty() ? -1 : m_cells.back().row;
}

int WorkbookGrid::emptyRows(int firstRow, int columns) const {
    const int last = lastRow();
    if (last < firstRow)
        return 0;
    int withValues = 0;
    int counted = -1; // the last row counted as holding a value
    for (auto it = find(firstRow, 0); it != m_cells.cend(); ++it)
        if (it->column < columns && it->row != counted) {
            counted = it->row;
            ++withValues;
        }
    return last - firstRow + 1 - withValues;
}

void WorkbookGrid::clear() {
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_sorted = true;
}

bool WorkbookGrid::operator==(const WorkbookGrid& other) const {
    sort();
    other.sort();
    return std::equal(m_cells.cbegin(), m_cells.cend(), other.m_cells.cbegin(),
                      other.m_cells.cend(), [](const Cell& a, const Cell& b) {
                          return a.row == b.row && a.column == b.column && a.value == b.value;
                      });
}

void WorkbookGrid::textForMixedColumns(int firstRow) {
    // Kinds seen per column, one bit per kind.
    std::vector<unsigned> kinds(kMaxColumns);
    // Found first: putting the cells in order replaces the container.
    const auto first = find(firstRow, 0);
    const auto from = m_cells.begin() + (first - m_cells.cbegin());
    for (auto it = from; it != m_cells.end(); ++it)
        kinds[it->column] |= 1u << static_cast<unsigned>(it->value.kind);

    const auto mixed = [&](int column) {
        const unsigned bits = kinds[column];
        return (bits & (bits - 1)) != 0;
    };
    for (auto it = from; it != m_cells.end(); ++it) {
        if (it->value.kind == CellValue::Kind::Text || !mixed(it->column))
            continue;
        it->value = it->value.kind == CellValue::Kind::Number
                        ? CellValue::numberAsText(it->value.number)
                        : CellValue::fromText(it->value.toText());
    }
}

int workbookgrid::findSheet(const QStringList& names, const QString& wanted) {
    const int exact = names.indexOf(wanted);
    if (exact >= 0)
        return exact;
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString workbookgrid::missingSheetCause(const QStringList& names, const QString& wanted) {
    if (names.isEmpty())
        return QCoreApplication::translate("workbook",
                                           "没有名为“%1”的工作表（工作簿中没有任何工作表）")
            .arg(wanted);
    return QCoreApplication::translate("workbook", "没有名为“%1”的工作表（工作簿中的工作表：%2）")
        .arg(wanted, shorttext::quotedList(names));
}

namespace {

// The upper case of a reference's letter; ASCII without a call into the library.
char16_t upper(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= 'a' && u <= 'z' ? char16_t(u - 'a' + 'A') : u;
    return c.toUpper().unicode();
}

// The value of a decimal digit of any script, -1 for another character.
int digit(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= '0' && u <= '9' ? u - '0' : -1;
    return c.isDigit() ? c.digitValue() : -1;
}

} // namespace

bool workbookgrid::parseReference(QStringView reference, int& row, int& column) {
    qsizetype i = 0;
    qint64 col = 0;
    while (i < reference.size() && i < 4) {
        const char16_t c = upper(reference[i]);
        if (c < 'A' || c > 'Z')
            break;
        col = col * 26 + (c - 'A' + 1);
        ++i;
    }
    if (i == 0 || i > 3 || col > WorkbookGrid::kMaxColumns)
        return false;
    qint64 number = 0;
    const qsizetype digitsStart = i;
    while (i < reference.size() && digit(reference[i]) >= 0 && i - digitsStart < 8) {
        number = number * 10 + digit(reference[i]);
        ++i;
    }
    if (i == digitsStart || i != reference.size() || number < 1 || number > WorkbookGrid::kMaxRows)
        return false;
    row = static_cast<int>(number - 1);
    column = static_cast<int>(col - 1);
    return true;
}

QString workbookgrid::columnName(int column) {
    QString name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QLatin1Char(static_cast<char>('A' + (n - 1) % 26)));
    return name;
}
