#include "workbook/XlsxSheet.h"

#include "workbook/XlsxFastReader.h"
#include "workbook/XlsxPackage.h"

#include <charconv>
#include <cmath>

#include <QCoreApplication>

namespace {

using DateParts = CellValue::DateParts;

using xlsxpackage::PartReader;
using xlsxsheet::SheetContext;

// The characters of a plain decimal number ("-12.5", "0.3", "1.5E+05"), copied to
// `out` (room for `size`); false for any other text, or a longer one.
bool copyPlainDecimal(QStringView text, char* out, qsizetype size) {
    if (text.size() > size)
        return false;
    enum { Sign, Whole, Point, Fraction, E, ExponentSign, Exponent } state = Sign;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool digit = c >= '0' && c <= '9';
        if (digit)
            state = state <= Whole ? Whole : state <= Fraction ? Fraction : Exponent;
        else if (c == '-' && (state == Sign || state == E))
            state = state == Sign ? Whole : ExponentSign;
        else if (c == '.' && state == Whole && i > 0 && out[i - 1] != '-')
            state = Point;
        else if ((c == 'e' || c == 'E') && (state == Whole || state == Fraction) &&
                 out[i - 1] != '-')
            state = E;
        else if (c == '+' && state == E)
            state = ExponentSign;
        else
            return false;
        out[i] = char(c);
    }
    return !text.isEmpty() && out[text.size() - 1] >= '0' && out[text.size() - 1] <= '9';
}

// The number a cell's text holds, as QString::toDouble reads it. A plain decimal number
// of a normal value is read by std::from_chars, which rounds the same, correctly, and
// costs far less.
double toDouble(QStringView text, bool& ok) {
    char plain[64];
    if (copyPlainDecimal(text, plain, qsizetype(sizeof plain))) {
        double value = 0;
        const char* end = plain + text.size();
        const auto result = std::from_chars(plain, end, value);
        ok = result.ec == std::errc() && result.ptr == end;
        if (ok && (std::fpclassify(value) == FP_NORMAL || value == 0))
            return value;
    }
    return text.toDouble(&ok);
}

CellValue numberCell(const QString& text, std::optional<DateParts> parts, bool date1904, bool& ok) {
    const double value = toDouble(QStringView(text).trimmed(), ok);
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

// What a cell's type attribute says it holds; a number unless it names another kind.
enum class CellType { Number, InlineString, SharedString, Text, Boolean, Date };

CellType cellType(QStringView type) {
    // Most cells have no type, or "n": tell them by their length.
    if (type.size() == 9 && type == QLatin1StringView("inlineStr"))
        return CellType::InlineString;
    if (type == QLatin1StringView("s"))
        return CellType::SharedString;
    if (type == QLatin1StringView("str") || type == QLatin1StringView("e"))
        return CellType::Text;
    if (type == QLatin1StringView("b"))
        return CellType::Boolean;
    if (type == QLatin1StringView("d"))
        return CellType::Date;
    return CellType::Number;
}

// One <c> element; the reader stands on its start tag.
template <class Xml>
CellValue readCell(Xml& xml, const SheetContext& context, CellType type,
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

    if (type == CellType::InlineString)
        return CellValue::fromText(hasInline ? inline_ : value);
    if (!hasValue || QStringView(value).trimmed().isEmpty())
        return CellValue();
    if (type == CellType::SharedString) {
        bool ok = false;
        const qlonglong index = value.trimmed().toLongLong(&ok);
        if (!ok || index < 0 || index >= context.sharedStrings.size()) {
            xml.fail(QCoreApplication::translate(
                         "workbook", "“%1”引用了不存在的共享字符串（编号 %2），文件已损坏")
                         .arg(xml.part(), value.left(20)));
            return CellValue();
        }
        return CellValue::fromText(context.sharedStrings[static_cast<qsizetype>(index)]);
    }
    if (type == CellType::Text)
        return CellValue::fromText(value);
    if (type == CellType::Boolean)
        return CellValue::fromText(
            value.trimmed() == QLatin1String("1") ||
                    value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("TRUE")
                : QStringLiteral("FALSE"));
    if (type == CellType::Date) {
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
        xml.fail(QCoreApplication::translate("workbook", "“%1”中有无法识别的数值“%2”，文件已损坏")
                     .arg(xml.part(), value.left(40)));
    return cell;
}

QString outOfRange(const QString& part, const QString& what) {
    return QCoreApplication::translate("workbook",
                                       "“%1”中的%2超出工作表范围（最大 XFD%3），拒绝读取")
        .arg(part, what, QString::number(WorkbookGrid::kMaxRows));
}

// The sheet's declared size: only checked, never used to size anything.
template <class Xml> void checkDimension(Xml& xml) {
    const QStringList corners =
        xml.attribute(QLatin1String("ref")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    int r = 0;
    int c = 0;
    for (const QString& corner : corners)
        if (!workbookgrid::parseReference(corner, r, c)) {
            xml.fail(
                outOfRange(xml.part(), QCoreApplication::translate("workbook", "声明尺寸“%1”")
                                           .arg(xml.attribute(QLatin1String("ref")).left(40))));
            return;
        }
}

// The row the <row> element the reader stands on is: its number, else the one
// after `row`. Stops the reading when that lies outside the sheet.
template <class Xml> int rowOf(Xml& xml, int row) {
    const QString r = xml.attribute(QLatin1String("r"));
    if (r.isEmpty()) {
        ++row;
    } else {
        bool ok = false;
        const qlonglong number = r.toLongLong(&ok);
        if (!ok || number < 1 || number > WorkbookGrid::kMaxRows) {
            xml.fail(outOfRange(
                xml.part(), QCoreApplication::translate("workbook", "行号“%1”").arg(r.left(20))));
            return row;
        }
        row = static_cast<int>(number - 1);
    }
    if (row >= WorkbookGrid::kMaxRows)
        xml.fail(outOfRange(xml.part(),
                            QCoreApplication::translate("workbook", "行号“%1”").arg(row + 1)));
    return row;
}

// The cells of the <row> element the reader stands on, into `row` of the grid
// unless a cell names its own.
template <class Xml>
void readRow(Xml& xml, const SheetContext& context, int row, WorkbookGrid& grid) {
    int column = -1;
    while (xml.nextChild()) {
        if (xml.name() != QLatin1String("c")) {
            xml.skipCurrentElement();
            continue;
        }
        // Views of the attributes, valid until the reader moves on.
        const QStringView ref = xml.attributeView(QLatin1StringView("r"));
        int cellRow = row;
        if (ref.isEmpty()) {
            ++column;
        } else if (!workbookgrid::parseReference(ref, cellRow, column)) {
            xml.fail(outOfRange(
                xml.part(),
                QCoreApplication::translate("workbook", "单元格引用“%1”").arg(ref.left(20))));
            return;
        }
        if (column >= WorkbookGrid::kMaxColumns) {
            xml.fail(outOfRange(
                xml.part(), QCoreApplication::translate("workbook", "第 %1 行的列").arg(row + 1)));
            return;
        }
        const int style = xml.attributeView(QLatin1StringView("s")).toInt();
        const CellType type = cellType(xml.attributeView(QLatin1StringView("t")));
        const CellValue value = readCell(xml, context, type, context.styles.partsOf(style));
        if (xml.hasError())
            return;
        grid.set(cellRow, column, value);
    }
}

// Reads the sheet part with `xml` into `grid`.
template <class Xml> void readWorksheet(Xml& xml, const SheetContext& context, WorkbookGrid& grid) {
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
}

} // namespace

Result<WorkbookGrid> xlsxsheet::read(zippackage::Package& package, const QString& part,
                                     const SheetContext& context, xlsxreader::SheetXml reader) {
    using xlsxreader::SheetXml;
    if (reader != SheetXml::General) {
        WorkbookGrid grid;
        xlsxpackage::FastPartReader xml(package, part);
        readWorksheet(xml, context, grid);
        if (!xml.unhandled()) {
            if (Result<> finished = xml.finish(); !finished)
                return finished.failed();
            return grid;
        }
        if (reader == SheetXml::Fast)
            return Failed{
                QCoreApplication::translate("workbook", "部件“%1”含有快速读取不处理的内容")
                    .arg(xml.part())};
        // Read anew by the general reader, from the start; what the fast one read goes.
        xml.giveBack(package);
    }
    WorkbookGrid grid;
    PartReader xml(package, part);
    readWorksheet(xml, context, grid);
    if (Result<> finished = xml.finish(); !finished)
        return finished.failed();
    return grid;
}
