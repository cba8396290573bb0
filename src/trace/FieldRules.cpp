#include "trace/FieldRules.h"

#include "platform/Random.h"
#include "trace/Numbers.h"

#include <cmath>

QString fieldrules::refusalMessage() {
    return QStringLiteral("您的输入有错！请输入纯数字数据！");
}

bool fieldrules::accepts(int index, const QString& text) {
    if (index != kFeederLength && index != kVswr)
        return true;
    return text.isEmpty() || numbers::isNumeric(text);
}

std::optional<QString> fieldrules::derivedTestDistance(const QString& feederLength, bool centred,
                                                       Random& random) {
    const auto length = numbers::parse(feederLength);
    if (!length)
        return std::nullopt;
    const double distance = centred ? 2 * *length : *length + *length * random.nextSingle() + 1;
    if (!std::isfinite(distance))
        return std::nullopt;
    return numbers::format(distance, 0);
}
