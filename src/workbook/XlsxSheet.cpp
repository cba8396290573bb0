#include "workbook/XlsxSheet.h"

#include "workbook/XlsxPackage.h"

#include <cmath>

namespace {

using DateParts = CellValue::DateParts;

using xlsxpackage::PartReader;
using xlsxsheet::SheetContext;

CellValue numberCell(const QString& text, std::optional<DateParts> parts, bool date1904, bool& ok) {
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        ok = false;
        return CellValue();
    }
    if (parts)
        if (auto date = CellValue::fromSerial(value, *parts, date1904))
            return *date;
    // A number too large or negative for a date shows as a number.
    return CellValue::fromNumber(value);
}

// One <c> element; the reader stands on its start tag.
CellValue readCell(PartReader& xml, const SheetContext& context, const QString& type,
                   std::optional<DateParts> parts) {
    QString value;
    QString inline_;
    bool hasValue = false;
    bool hasInline = false;
    while (xml.nextChild()) {
        if (xml.name() == QLatin1String("v")) {
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            hasValue = true;
        } else if (xml.name() == QLatin1String("is")) {
            inline_ = xml.richText();
            hasInline = true;
        } else {
            xml.skipCurrentElement();
        }
        if (xml.hasError())
            return CellValue();
    }
    if (xml.hasError())
        return CellValue();

    if (type == QLatin1String("inlineStr"))
        return CellValue::fromText(hasInline ? inline_ : value);
    if (!hasValue || value.trimmed().isEmpty())
        return CellValue();
    if (type == QLatin1String("s")) {
        bool ok = false;
        const qlonglong index = value.trimmed().toLongLong(&ok);
        if (!ok || index < 0 || index >= context.sharedStrings.size()) {
            xml.fail(QStringLiteral("“%1”引用了不存在的共享字符串（编号 %2），文件已损坏")
                         .arg(xml.part(), value.left(20)));
            return CellValue();
        }
        return CellValue::fromText(context.sharedStrings[static_cast<qsizetype>(index)]);
    }
    if (type == QLatin1String("str") || type == QLatin1String("e"))
        return CellValue::fromText(value);
    if (type == QLatin1String("b"))
        return CellValue::fromText(
            value.trimmed() == QLatin1String("1") ||
                    value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("TRUE")
                : QStringLiteral("FALSE"));
    if (type == QLatin1String("d")) {
        auto date = CellValue::fromIsoText(value);
        if (!date)
            return CellValue::fromText(value);
        if (parts)
            if (auto shown = CellValue::fromSerial(date->number, *parts))
                return *shown;
        return *date;
    }
    bool ok = false;
    CellValue cell = numberCell(value, parts, context.date1904, ok);
    if (!ok)
        xml.fail(QStringLiteral("“%1”中有无法识别的数值“%2”，文件已损坏")
                     .arg(xml.part(), value.left(40)));
    return cell;
}

QString outOfRange(const QString& part, const QString& what) {
    return QStringLiteral("“%1”中的%2超出工作表范围（最大 XFD%3），拒绝读取")
        .arg(part, what, QString::number(WorkbookGrid::kMaxRows));
}

// The sheet's declared size: only checked, never used to size anything.
void checkDimension(PartReader& xml) {
    const QStringList corners =
        xml.attribute(QLatin1String("ref")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    int r = 0;
    int c = 0;
    for (const QString& corner : corners)
        if (!workbookgrid::parseReference(corner, r, c)) {
            xml.fail(outOfRange(
                xml.part(),
                QStringLiteral("声明尺寸“%1”").arg(xml.attribute(QLatin1String("ref")).left(40))));
            return;
        }
}

// The row the <row> element the reader stands on is: its number, else the one
// after `row`. Stops the reading when that lies outside the sheet.
int rowOf(PartReader& xml, int row) {
    const QString r = xml.attribute(QLatin1String("r"));
    if (r.isEmpty()) {
        ++row;
    } else {
        bool ok = false;
        const qlonglong number = r.toLongLong(&ok);
        if (!ok || number < 1 || number > WorkbookGrid::kMaxRows) {
            xml.fail(outOfRange(xml.part(), QStringLiteral("行号“%1”").arg(r.left(20))));
            return row;
        }
        row = static_cast<int>(number - 1);
    }
    if (row >= WorkbookGrid::kMaxRows)
        xml.fail(outOfRange(xml.part(), QStringLiteral("行号“%1”").arg(row + 1)));
    return row;
}

// The cells of the <row> element the reader stands on, into `row` of the grid
// unless a cell names its own.
void readRow(PartReader& xml, const SheetContext& context, int row, WorkbookGrid& grid) {
    int column = -1;
    while (xml.nextChild()) {
        if (xml.name() != QLatin1String("c")) {
            xml.skipCurrentElement();
            continue;
        }
        const QString ref = xml.attribute(QLatin1String("r"));
        int cellRow = row;
        if (ref.isEmpty()) {
            ++column;
        } else if (!workbookgrid::parseReference(ref, cellRow, column)) {
            xml.fail(outOfRange(xml.part(), QStringLiteral("单元格引用“%1”").arg(ref.left(20))));
            return;
        }
        if (column >= WorkbookGrid::kMaxColumns) {
            xml.fail(outOfRange(xml.part(), QStringLiteral("第 %1 行的列").arg(row + 1)));
            return;
        }
        const int style = xml.attribute(QLatin1String("s")).toInt();
        const CellValue value = readCell(xml, context, xml.attribute(QLatin1String("t")),
                                         context.styles.partsOf(style));
        if (xml.hasError())
            return;
        grid.set(cellRow, column, value);
    }
}

} // namespace

QString xlsxsheet::read(xlsxpackage::Package& package, const QString& part,
                        const SheetContext& context, WorkbookGrid& grid) {
    PartReader xml(package, part);
    int row = -1;
    while (xml.nextStart()) {
        if (xml.name() == QLatin1String("dimension")) {
            checkDimension(xml);
        } else if (xml.name() == QLatin1String("row")) {
            row = rowOf(xml, row);
            if (!xml.hasError())
                readRow(xml, context, row, grid);
        }
        if (xml.hasError())
            break;
    }
    return xml.finish();
}
