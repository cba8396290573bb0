#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The one place where field texts are tested as numbers, converted, and
// numbers are formatted for display.
namespace numbers {

// Parses the whole text as one number with the locale's rules, blanks around it
// allowed. The same function is the numeric test and the conversion, so every
// text that passes the test converts. Non-finite values are refused. Digits,
// signs, points and blanks typed in full width (as a Chinese input method
// types them: "１３．５", "－５") read as their plain forms.
std::optional<double> parse(const QString& text, const QLocale& locale = QLocale());

// Whether the text is written as a number but lies beyond what a double holds
// ("1e400", four hundred nines): parse() refuses it, yet it is a number.
bool isOutOfRange(const QString& text, const QLocale& locale = QLocale());

// Whether the text is a number being typed: one that typing more characters
// can still make a number ("-", ".", "1e", "1.5e-"), or a number already.
bool isNumberPrefix(const QString& text, const QLocale& locale = QLocale());

inline bool isNumeric(const QString& text) {
    return parse(text).has_value();
}

// Formats with exactly `decimals` digits after a point ("0", "0.0", "0.00"),
// halves away from zero, rounding the value's 15-significant-digit decimal form
// (so 1.15 gives "1.2" although the double is slightly below 1.15).
QString format(double value, int decimals);

// A number written with "." as its decimal point, as the locale writes it for
// the fields to read it back: "13.5" is "13,5" in a German locale.
QString forLocale(const QString& plain, const QLocale& locale = QLocale());

// Integer division of a value by a whole divisor: the value is first rounded to
// the nearest 32-bit integer (a half to the even neighbour), then divided with
// the quotient truncated toward zero. Empty when the value or the quotient does
// not fit, or the divisor is 0.
std::optional<int> integerDivide(double value, int divisor);

} // namespace numbers
