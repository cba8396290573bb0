#include "report/WorkbookGrid.h"

#include <algorithm>
#include <unordered_map>

void WorkbookGrid::set(int row, int column, const CellValue& value) {
    if (value.isEmpty())
        return;
    Row& cells = m_rows[row];
    const auto at = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const auto& cell, int c) { return cell.first < c; });
    if (at != cells.end() && at->first == column)
        at->second = value;
    else
        cells.insert(at, {column, value});
}

const CellValue& WorkbookGrid::at(int row, int column) const {
    static const CellValue empty;
    const auto found = m_rows.find(row);
    if (found == m_rows.end())
        return empty;
    const Row& cells = found->second;
    const auto at = std::lower_bound(cells.begin(), cells.end(), column,
                                     [](const auto& cell, int c) { return cell.first < c; });
    return at != cells.end() && at->first == column ? at->second : empty;
}

int WorkbookGrid::lastRow() const {
    return m_rows.empty() ? -1 : m_rows.rbegin()->first;
}

void WorkbookGrid::textForMixedColumns(int firstRow) {
    // Kinds seen per column, one bit per kind.
    std::unordered_map<int, unsigned> kinds;
    for (auto it = m_rows.lower_bound(firstRow); it != m_rows.end(); ++it)
        for (const auto& [column, value] : it->second)
            kinds[column] |= 1u << static_cast<unsigned>(value.kind);

    const auto mixed = [&](int column) {
        const unsigned bits = kinds[column];
        return (bits & (bits - 1)) != 0;
    };
    for (auto it = m_rows.lower_bound(firstRow); it != m_rows.end(); ++it)
        for (auto& [column, value] : it->second)
            if (value.kind != CellValue::Kind::Text && mixed(column))
                value = CellValue::fromText(value.toText());
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
        return QStringLiteral("没有名为“%1”的工作表（工作簿中没有任何工作表）").arg(wanted);
    QStringList quoted;
    for (const QString& name : names)
        quoted << QStringLiteral("“%1”").arg(name);
    return QStringLiteral("没有名为“%1”的工作表（工作簿中的工作表：%2）")
        .arg(wanted, quoted.join(QStringLiteral("、")));
}

bool workbookgrid::parseReference(QStringView reference, int& row, int& column) {
    qsizetype i = 0;
    qint64 col = 0;
    while (i < reference.size() && i < 4) {
        const QChar c = reference[i].toUpper();
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        col = col * 26 + (c.unicode() - 'A' + 1);
        ++i;
    }
    if (i == 0 || i > 3 || col > WorkbookGrid::kMaxColumns)
        return false;
    qint64 number = 0;
    const qsizetype digitsStart = i;
    while (i < reference.size() && reference[i].isDigit() && i - digitsStart < 8) {
        number = number * 10 + reference[i].digitValue();
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
