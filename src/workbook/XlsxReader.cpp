#include "workbook/XlsxReader.h"

#include "common/ShortText.h"
#include "workbook/XlsxPackage.h"

#include <QDir>
#include <QHash>
#include <QUrl>

#include <cmath>
#include <vector>

namespace {

using DateParts = CellValue::DateParts;

using xlsxpackage::Package;
using xlsxpackage::PartReader;

struct Relationship {
    QString type;
    QString target;
    bool external = false;
};

// Relationship parts list targets relative to the folder of their source part.
QString resolveTarget(const QString& sourcePart, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    QString path;
    if (decoded.startsWith(QLatin1Char('/'))) {
        path = decoded.mid(1);
    } else {
        const qsizetype slash = sourcePart.lastIndexOf(QLatin1Char('/'));
        path = (slash >= 0 ? sourcePart.left(slash + 1) : QString()) + decoded;
    }
    path = QDir::cleanPath(path);
    if (path.isEmpty() || path.startsWith(QLatin1String("..")) || path.startsWith(QLatin1Char('/')))
        return QString();
    return path;
}

QString relsPartOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString readRelationships(const Package& package, const QString& relsPart,
                          QHash<QString, Relationship>& out) {
    PartReader xml(package, relsPart);
    while (xml.nextStart()) {
        if (xml.name() != QLatin1String("Relationship"))
            continue;
        Relationship rel;
        rel.type = xml.attribute(QLatin1String("Type"));
        rel.target = xml.attribute(QLatin1String("Target"));
        rel.external = xml.attribute(QLatin1String("TargetMode"))
                           .compare(QLatin1String("External"), Qt::CaseInsensitive) == 0;
        out.insert(xml.attribute(QLatin1String("Id")), rel);
    }
    return xml.finish();
}

bool typeIs(const Relationship& rel, QLatin1String kind) {
    return rel.type.endsWith(QLatin1Char('/') + kind);
}

QString notAWorkbook() {
    return QStringLiteral(
        "这是一个 zip 文件，但其中没有 Excel 工作簿（可能是 Word 文档或其他文件）");
}

// Built-in number formats that show dates or times. 14-22 and 45-47 are those of
// every locale; 27-36 and 50-58 are the East Asian ones (年/月/日, 时/分/秒) that a
// workbook saved by a Chinese edition of Excel refers to without defining them.
std::optional<DateParts> builtInDateParts(int id) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) ||
        id == 57 || id == 58)
        return DateParts::Date;
    if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47) || (id >= 32 && id <= 35) || id == 55 ||
        id == 56)
        return DateParts::Time;
    if (id == 22)
        return DateParts::DateAndTime;
    return std::nullopt;
}

struct Styles {
    // Per cellXfs index: the date parts its number format shows, if any.
    std::vector<std::optional<DateParts>> cellFormats;

    std::optional<DateParts> partsOf(int styleIndex) const {
        if (styleIndex < 0 || styleIndex >= static_cast<int>(cellFormats.size()))
            return std::nullopt;
        return cellFormats[styleIndex];
    }
};

QString readStyles(const Package& package, const QString& part, Styles& styles) {
    PartReader xml(package, part);
    // The date parts of each custom format, judged once however many cell formats use it.
    QHash<int, std::optional<DateParts>> customFormats;
    // Differential formats (dxfs) carry numFmt elements too; only those in numFmts
    // define the ids that cellXfs refer to.
    bool inNumFmts = false;
    bool inCellXfs = false;
    while (xml.next()) {
        if (xml.isEndElement() && xml.name() == QLatin1String("numFmts"))
            inNumFmts = false;
        if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("numFmts")) {
            inNumFmts = true;
        } else if (inNumFmts && xml.name() == QLatin1String("numFmt")) {
            customFormats.insert(xml.attribute(QLatin1String("numFmtId")).toInt(),
                                 xlsxreader::dateParts(xml.attribute(QLatin1String("formatCode"))));
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
            const int id = xml.attribute(QLatin1String("numFmtId")).toInt();
            const auto custom = customFormats.constFind(id);
            styles.cellFormats.push_back(custom != customFormats.cend() ? *custom
                                                                        : builtInDateParts(id));
        }
    }
    return xml.finish();
}

QString readSharedStrings(const Package& package, const QString& part, QStringList& strings) {
    PartReader xml(package, part);
    while (xml.nextStart())
        if (xml.name() == QLatin1String("si"))
            strings.append(xml.richText());
    return xml.finish();
}

struct SheetContext {
    const QStringList& sharedStrings;
    const Styles& styles;
    bool date1904 = false;
};

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

QString readWorksheet(const Package& package, const QString& part, const SheetContext& context,
                      WorkbookGrid& grid) {
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

// What the letters of a number format's first section show.
struct FormatLetters {
    bool date = false;
    bool time = false;
    bool month = false; // an "m", the month or the minutes
};

// A bracketed part ([h], [mm], [ss]) that shows elapsed time; `inside` is lower case.
bool isElapsedTime(const QString& inside) {
    return !inside.isEmpty() && (inside.count(inside[0]) == inside.size()) &&
           (inside[0] == QLatin1Char('h') || inside[0] == QLatin1Char('m') ||
            inside[0] == QLatin1Char('s'));
}

// Notes what the letter at `i` of a format, outside quotes and brackets, shows.
void noteLetter(const QString& formatCode, qsizetype i, FormatLetters& seen) {
    switch (formatCode[i].toLower().unicode()) {
    case 'y':
    case 'd':
        seen.date = true;
        break;
    case 'h':
    case 's':
        seen.time = true;
        break;
    case 'm':
        seen.month = true;
        break;
    case 'a':
        if (formatCode.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0 ||
            formatCode.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0)
            seen.time = true;
        break;
    default:
        break;
    }
}

std::optional<DateParts> partsShown(FormatLetters seen) {
    // "m" is the month unless it stands among hours and seconds.
    if (seen.month && !seen.time)
        seen.date = true;
    if (seen.date && seen.time)
        return DateParts::DateAndTime;
    if (seen.date)
        return DateParts::Date;
    if (seen.time)
        return DateParts::Time;
    return std::nullopt;
}

// The part the package's relationships name as its main one, normally
// xl/workbook.xml; "" or the cause when there is none.
QString findWorkbookPart(const Package& package, QString& workbookPart) {
    workbookPart = QStringLiteral("xl/workbook.xml");
    if (package.contains(QStringLiteral("_rels/.rels"))) {
        QHash<QString, Relationship> rootRels;
        if (const QString cause =
                readRelationships(package, QStringLiteral("_rels/.rels"), rootRels);
            !cause.isEmpty())
            return cause;
        for (const Relationship& rel : std::as_const(rootRels))
            if (typeIs(rel, QLatin1String("officeDocument")) && !rel.external) {
                workbookPart = resolveTarget(QString(), rel.target);
                break;
            }
    }
    if (workbookPart.isEmpty() || !package.contains(workbookPart))
        return notAWorkbook();
    return QString();
}

// What the workbook part lists: its sheets with their relationship ids, and
// its date system.
struct WorkbookSheets {
    QStringList names;
    QStringList ids;
    bool date1904 = false;
};

// The relationship id of a <sheet> element, in whatever prefix the
// relationships namespace has.
QString sheetRelationshipId(const PartReader& xml) {
    QString id;
    for (const QXmlStreamAttribute& attribute : xml.attributes())
        if (attribute.name() == QLatin1String("id") &&
            attribute.namespaceUri().endsWith(QLatin1String("relationships")))
            id = attribute.value().toString();
    return id;
}

QString readWorkbook(const Package& package, const QString& part, WorkbookSheets& sheets) {
    PartReader xml(package, part);
    bool isWorkbook = false;
    while (xml.nextStart()) {
        const auto name = xml.name();
        if (name == QLatin1String("workbook")) {
            isWorkbook = true;
        } else if (name == QLatin1String("workbookPr")) {
            const QString flag = xml.attribute(QLatin1String("date1904"));
            sheets.date1904 = flag == QLatin1String("1") ||
                              flag.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (name == QLatin1String("sheet")) {
            sheets.names << xml.attribute(QLatin1String("name"));
            sheets.ids << sheetRelationshipId(xml);
        }
    }
    if (const QString cause = xml.finish(); !cause.isEmpty())
        return cause;
    if (!isWorkbook)
        return notAWorkbook();
    return QString();
}

// The worksheet part the workbook's relationship `id` leads to, for the sheet
// called `name`; "" or the cause when it leads nowhere in the package.
QString findSheetPart(const QHash<QString, Relationship>& rels, const QString& relsPart,
                      const QString& workbookPart, const QString& name, const QString& id,
                      QString& sheetPart) {
    const auto sheetRel = rels.constFind(id);
    if (sheetRel == rels.cend() || sheetRel->external)
        return QStringLiteral("“%1”中找不到工作表“%2”的关系，文件已损坏")
            .arg(shorttext::cut(relsPart), shorttext::cut(name));
    sheetPart = resolveTarget(workbookPart, sheetRel->target);
    if (sheetPart.isEmpty())
        return QStringLiteral("工作表“%1”的位置“%2”不在包内，文件已损坏")
            .arg(shorttext::cut(name), shorttext::cut(sheetRel->target));
    return QString();
}

// The styles and shared strings the workbook's relationships lead to.
QString readSharedParts(const Package& package, const QString& workbookPart,
                        const QHash<QString, Relationship>& rels, Styles& styles,
                        QStringList& sharedStrings) {
    for (const Relationship& rel : rels) {
        if (rel.external)
            continue;
        const QString part = resolveTarget(workbookPart, rel.target);
        QString cause;
        if (typeIs(rel, QLatin1String("styles")) && !part.isEmpty())
            cause = readStyles(package, part, styles);
        else if (typeIs(rel, QLatin1String("sharedStrings")) && !part.isEmpty())
            cause = readSharedStrings(package, part, sharedStrings);
        if (!cause.isEmpty())
            return cause;
    }
    return QString();
}

} // namespace

std::optional<CellValue::DateParts> xlsxreader::dateParts(const QString& formatCode) {
    FormatLetters seen;
    // The first section is the one positive numbers (and so dates) are shown with.
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode[i];
        if (c == QLatin1Char(';'))
            break;
        if (c == QLatin1Char('"')) {
            const qsizetype end = formatCode.indexOf(QLatin1Char('"'), i + 1);
            if (end < 0)
                break;
            i = end;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = formatCode.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0)
                break;
            if (isElapsedTime(formatCode.mid(i + 1, end - i - 1).toLower()))
                seen.time = true;
            i = end;
        } else {
            noteLetter(formatCode, i, seen);
        }
    }
    return partsShown(seen);
}

QString xlsxreader::readSheet(const QString& path, const QString& sheetName, WorkbookGrid& grid) {
    Package package;
    if (const QString cause = package.open(path); !cause.isEmpty())
        return cause;
    QString workbookPart;
    if (const QString cause = findWorkbookPart(package, workbookPart); !cause.isEmpty())
        return cause;
    WorkbookSheets sheets;
    if (const QString cause = readWorkbook(package, workbookPart, sheets); !cause.isEmpty())
        return cause;

    const int index = workbookgrid::findSheet(sheets.names, sheetName);
    if (index < 0)
        return workbookgrid::missingSheetCause(sheets.names, sheetName);

    QHash<QString, Relationship> rels;
    const QString relsPart = relsPartOf(workbookPart);
    if (const QString cause = readRelationships(package, relsPart, rels); !cause.isEmpty())
        return cause;
    QString sheetPart;
    if (const QString cause = findSheetPart(rels, relsPart, workbookPart, sheets.names[index],
                                            sheets.ids[index], sheetPart);
        !cause.isEmpty())
        return cause;
    Styles styles;
    QStringList sharedStrings;
    if (const QString cause = readSharedParts(package, workbookPart, rels, styles, sharedStrings);
        !cause.isEmpty())
        return cause;

    const SheetContext context{sharedStrings, styles, sheets.date1904};
    grid.clear();
    return readWorksheet(package, sheetPart, context, grid);
}
