#include "workbook/XlsxStyles.h"

#include "workbook/XlsxPackage.h"
#include "workbook/XlsxReader.h"

#include <QHash>

namespace {

using DateParts = CellValue::DateParts;

using xlsxpackage::PartReader;

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

} // namespace

Result<xlsxstyles::Styles> xlsxstyles::read(zippackage::Package& package, const QString& part) {
    PartReader xml(package, part);
    Styles styles;
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
    if (Result<> finished = xml.finish(); !finished)
        return finished.failed();
    return styles;
}

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
