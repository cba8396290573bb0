#include "workbook/CellValue.h"

#include <QDate>
#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// 9999-12-31 is serial 2958465; the next day is beyond what a spreadsheet shows.
constexpr double kLastSerial = 2958466.0;
// Serial 1462 is 1904-01-01, day 0 of the 1904 date system.
constexpr double k1904Offset = 1462.0;

// Writes `value` (below 10^digits) with `digits` digits, leading zeros included.
char* putDigits(char* out, qint64 value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = char('0' + value % 10);
    return out + digits;
}

QString timeText(qint64 secondOfDay) {
    char text[8];
    putDigits(text, secondOfDay / 3600, 2);
    text[2] = ':';
    putDigits(text + 3, secondOfDay / 60 % 60, 2);
    text[5] = ':';
    putDigits(text + 6, secondOfDay % 60, 2);
    return QString::fromLatin1(text, sizeof text);
}

// yyyy-MM-dd.
QString dateText(const QDate& date) {
    // A serial a moment before 10000-01-01 is shown rounded up to that day.
    if (date.year() < 1000 || date.year() > 9999)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    char text[10];
    putDigits(text, date.year(), 4);
    text[4] = '-';
    putDigits(text + 5, date.month(), 2);
    text[7] = '-';
    putDigits(text + 8, date.day(), 2);
    return QString::fromLatin1(text, sizeof text);
}

// The 1900 date system counts 1900-02-29, a day that never was (serial 60), so
// serials before it are one day off the real calendar; serial 0 shows as 1900-01-00.
QString serialDateText(qint64 day) {
    if (day == 0)
        return QStringLiteral("1900-01-00");
    if (day == 60)
        return QStringLiteral("1900-02-29");
    const QDate date =
        day < 60 ? QDate(1899, 12, 31).addDays(day) : QDate(1899, 12, 30).addDays(day);
    return dateText(date);
}

double serialOfDate(const QDate& date) {
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    return static_cast<double>(days < 61 ? days - 1 : days);
}

} // namespace

QString cellNumberText(double value) {
    if (std::isnan(value))
        return QStringLiteral("#NUM!");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("#NUM!") : QStringLiteral("-#NUM!");
    if (value == 0)
        return QStringLiteral("0");

    // d.dddddddddddddde±x: 15 significant digits, correctly rounded.
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer, result.ptr - buffer);
    const std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);

    QString out = value < 0 ? QStringLiteral("-") : QString();
    const int count = static_cast<int>(digits.size());
    if (exponent >= 21 || exponent < -9) {
        out += QLatin1Char(digits[0]);
        if (count > 1)
            out += QLatin1Char('.') + QString::fromLatin1(digits.data() + 1, count - 1);
        out += QStringLiteral("E%1%2")
                   .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                   .arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    } else if (exponent < 0) {
        out += QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) +
               QString::fromLatin1(digits.data(), count);
    } else if (count <= exponent + 1) {
        out += QString::fromLatin1(digits.data(), count) +
               QString(exponent + 1 - count, QLatin1Char('0'));
    } else {
        out += QString::fromLatin1(digits.data(), exponent + 1) + QLatin1Char('.') +
               QString::fromLatin1(digits.data() + exponent + 1, count - exponent - 1);
    }
    return out;
}

QString CellValue::toText() const {
    switch (kind) {
    case Kind::Empty:
        return QString();
    case Kind::Number:
        return cellNumberText(number);
    case Kind::Text:
    case Kind::DateTime:
        return text;
    }
    return QString();
}

CellValue CellValue::fromNumber(double value) {
    CellValue cell;
    cell.kind = Kind::Number;
    cell.number = value;
    return cell;
}

CellValue CellValue::fromText(const QString& text) {
    CellValue cell;
    if (!text.isEmpty()) {
        cell.kind = Kind::Text;
        cell.text = text;
    }
    return cell;
}

CellValue CellValue::numberAsText(double value) {
    CellValue cell = fromText(cellNumberText(value));
    cell.number = value;
    cell.wasNumber = true;
    return cell;
}

std::optional<double> CellValue::numberValue() const {
    if (kind == Kind::Number || (kind == Kind::Text && wasNumber))
        return number;
    return std::nullopt;
}

std::optional<CellValue> CellValue::fromSerial(double serial, DateParts parts, bool date1904) {
    if (!std::isfinite(serial))
        return std::nullopt;
    const double value = date1904 ? serial + k1904Offset : serial;
    if (value < 0 || value >= kLastSerial)
        return std::nullopt;
    // Shown to the second, rounded as a spreadsheet rounds it for display.
    const qint64 seconds = std::llround(value * kSecondsPerDay);
    const qint64 day = seconds / kSecondsPerDay;
    const qint64 second = seconds % kSecondsPerDay;

    CellValue cell;
    cell.kind = Kind::DateTime;
    cell.number = value;
    switch (parts) {
    case DateParts::Date:
        cell.text = serialDateText(day);
        break;
    case DateParts::Time:
        cell.text = timeText(second);
        break;
    case DateParts::DateAndTime:
        cell.text = serialDateText(day) + QLatin1Char(' ') + timeText(second);
        break;
    }
    return cell;
}

std::optional<CellValue> CellValue::fromIsoText(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(\\d{4})-(\\d{2})-(\\d{2}))?(?:(?:^|[T ])(\\d{2}):(\\d{2}):(\\d{2})"
                       "(\\.\\d+)?Z?)?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch() || (!match.hasCaptured(1) && !match.hasCaptured(4)))
        return std::nullopt;

    double serial = 0;
    if (match.hasCaptured(1)) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                         match.captured(3).toInt());
        if (!date.isValid() || date.year() < 1900)
            return std::nullopt;
        serial = serialOfDate(date);
    }
    if (match.hasCaptured(4)) {
        const int hours = match.captured(4).toInt();
        const int minutes = match.captured(5).toInt();
        const int seconds = match.captured(6).toInt();
        if (hours > 23 || minutes > 59 || seconds > 59)
            return std::nullopt;
        const double fraction = match.hasCaptured(7) ? match.captured(7).toDouble() : 0.0;
        serial += (hours * 3600.0 + minutes * 60.0 + seconds + fraction) / kSecondsPerDay;
    }
    const DateParts parts = !match.hasCaptured(4)   ? DateParts::Date
                            : !match.hasCaptured(1) ? DateParts::Time
                                                    : DateParts::DateAndTime;
    return fromSerial(serial, parts);
}
