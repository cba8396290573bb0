#include "trace/FieldRules.h"

#include "platform/Random.h"
#include "trace/Numbers.h"

#include <cmath>

namespace {

// The test distance for a feeder length; none when the text is no number or
// the result is not finite.
std::optional<QString> derivedTestDistance(const QString& feederLength, bool centred,
                                           Random& random) {
    const auto length = numbers::parse(feederLength);
    if (!length)
        return std::nullopt;
    const double distance = centred ? 2 * *length : *length + *length * random.nextSingle() + 1;
    if (!std::isfinite(distance))
        return std::nullopt;
    return numbers::forLocale(numbers::format(distance, 0));
}

} // namespace

QString fieldrules::refusalMessage() {
    return QStringLiteral("您的输入有错！请输入纯数字数据！");
}

fieldrules::Edit fieldrules::afterEdit(Field field, const QString& text, bool centred,
                                       Random& random, bool typing) {
    Edit edit;
    if ((field != Field::FeederLength && field != Field::Vswr) || text.isEmpty())
        return edit;
    if (!numbers::isNumeric(text)) {
        edit.verdict = typing && numbers::isNumberPrefix(text) ? Edit::Verdict::Unfinished
                                                               : Edit::Verdict::Refused;
        return edit;
    }
    if (field == Field::FeederLength)
        edit.testDistance = derivedTestDistance(text, centred, random);
    return edit;
}
