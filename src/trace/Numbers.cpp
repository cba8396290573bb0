#include "trace/Numbers.h"

#include <QRegularExpression>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr int kSignificant = 15;

// Adds one unit in the last place of a string of decimal digits.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The digits of |value| * 10^decimals rounded half away from zero, computed on
// the 15-significant-digit decimal form of the value.
std::string scaledDigits(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificant - 1, std::fabs(value));
    // buffer: d.dddddddddddddde[+-]XX
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, kSignificant - 1);
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);
    const int shift = exponent + 1 - kSignificant + decimals;
    if (shift >= 0)
        return digits + std::string(static_cast<size_t>(shift), '0');
    const int keep = kSignificant + shift;
    if (keep < 0)
        return "0";
    const bool roundUp = digits[static_cast<size_t>(keep)] >= '5';
    std::string kept = keep == 0 ? std::string("0") : digits.substr(0, static_cast<size_t>(keep));
    if (roundUp)
        incrementDigits(kept);
    return kept;
}

} // namespace

namespace {

// Full-width forms to their plain ones, as a Chinese input method types a
// number: the full-width block mirrors ASCII, and the ideographic space, the
// minus sign and (where the point is the decimal separator) the ideographic
// full stop are a blank, a hyphen-minus and a point to the user. Other
// look-alikes (superscripts, subscripts, circled digits) stay what they are,
// so "1.1²" is no number.
QString plainForms(const QString& text, const QLocale& locale) {
    const bool pointIsDecimal = locale.decimalPoint() == QStringLiteral(".");
    QString plain = text;
    for (QChar& c : plain) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(u - 0xFEE0);
        else if (u == 0x3000)
            c = u' ';
        else if (u == 0x2212)
            c = u'-';
        else if (u == 0x3002 && pointIsDecimal)
            c = u'.';
    }
    return plain;
}

} // namespace

std::optional<double> numbers::parse(const QString& text, const QLocale& locale) {
    const QString trimmed = plainForms(text, locale).trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool numbers::isOutOfRange(const QString& text, const QLocale& locale) {
    QString plain = plainForms(text, locale).trimmed();
    plain.replace(locale.decimalPoint(), QStringLiteral("."));
    static const QRegularExpression kNumber(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!kNumber.match(plain).hasMatch())
        return false;
    const std::string digits = plain.toStdString();
    return !std::isfinite(std::strtod(digits.c_str(), nullptr));
}

bool numbers::isNumberPrefix(const QString& text, const QLocale& locale) {
    // A prefix becomes a number with one more digit ("-" "-0", "1e" "1e0").
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() &&
           (parse(trimmed, locale) || parse(trimmed + u'0', locale).has_value());
}

QString numbers::forLocale(const QString& plain, const QLocale& locale) {
    QString text = plain;
    return text.replace(u'.', locale.decimalPoint());
}

QString numbers::format(double value, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value);
    std::string digits = scaledDigits(value, decimals);
    const size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? std::string("0") : digits.substr(first);
    const bool zero = digits == "0";
    if (digits.size() < static_cast<size_t>(decimals) + 1)
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<size_t>(decimals), 1, '.');
    if (value < 0 && !zero)
        digits.insert(0, 1, '-');
    return QString::fromStdString(digits);
}

std::optional<int> numbers::integerDivide(double value, int divisor) {
    if (!std::isfinite(value) || divisor == 0)
        return std::nullopt;
    const double rounded = std::nearbyint(value); // current mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    const int whole = static_cast<int>(rounded);
    // The one quotient that does not fit: the smallest int divided by -1.
    if (whole == std::numeric_limits<int>::min() && divisor == -1)
        return std::nullopt;
    return whole / divisor;
}
