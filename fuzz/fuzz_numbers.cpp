// Feeds arbitrary texts to the number module: the numeric test and conversion in
// the C and the Chinese locale, and formatting and integer division of every
// value that parses.
#include "trace/Numbers.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

void exercise(double value, int divisor) {
    for (int decimals = 0; decimals <= 2; ++decimals) {
        const QString text = numbers::format(value, decimals);
        // The text reads back as the value rounded to `decimals` places.
        const auto back = numbers::parse(text, QLocale::c());
        if (!back) {
            // Only the largest doubles round past the largest double at 15 digits.
            check(std::fabs(value) > 1.79769313486231e308, "formatted text parses");
            continue;
        }
        const double allowed =
            0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-14;
        check(std::fabs(*back - value) <= allowed, "formatted text reads back");
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        check(decimals == 0 ? point < 0 : point == text.size() - decimals - 1, "decimals");
    }
    for (int by : {divisor, 1, -1, 100, 7}) {
        const auto quotient = numbers::integerDivide(value, by);
        if (by == 0) {
            check(!quotient, "division by zero refused");
            continue;
        }
        const double rounded = std::nearbyint(value);
        const bool fits = rounded >= std::numeric_limits<int>::min() &&
                          rounded <= std::numeric_limits<int>::max();
        if (!quotient) {
            check(!fits || (rounded == std::numeric_limits<int>::min() && by == -1),
                  "quotient refused only when it does not fit");
            continue;
        }
        check(fits, "value fits");
        check(*quotient == static_cast<int>(static_cast<long long>(rounded) / by), "quotient");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5)
        return 0;
    // The first byte picks the encoding, the next four a divisor.
    const bool utf16 = data[0] & 1;
    int divisor = 0;
    std::memcpy(&divisor, data + 1, sizeof divisor);
    data += 5;
    size -= 5;
    QString text;
    if (utf16) {
        std::u16string units(size / 2, u'\0');
        std::memcpy(units.data(), data, units.size() * 2);
        text = QString::fromStdU16String(units);
    } else {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    }

    static const QLocale chinese(QLocale::Chinese, QLocale::China);
    for (const QLocale& locale : {QLocale::c(), chinese}) {
        const auto value = numbers::parse(text, locale);
        if (!value)
            continue;
        check(std::isfinite(*value), "parsed value finite");
        // Blanks around a number do not change it.
        const auto padded =
            numbers::parse(QStringLiteral(" \t") + text + QStringLiteral(" "), locale);
        check(padded && *padded == *value, "blanks around");
        exercise(*value, divisor);
    }
    return 0;
}
