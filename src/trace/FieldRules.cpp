#include "trace/FieldRules.h"

#include "platform/Random.h"
#include "trace/FieldDefaults.h"
#include "trace/FieldErrors.h"
#include "trace/Numbers.h"

#include <cmath>

#include <QCoreApplication>

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
    return QCoreApplication::translate("trace", "您的输入有错！请输入纯数字数据！");
}

QString fieldrules::refusalMessage(Field field, Refusal refusal, const QString& text) {
    const QString quoted = fielderrors::quoted(text.trimmed());
    switch (refusal) {
    case Refusal::NotANumber:
        break;
    case Refusal::BelowOne:
        return QCoreApplication::translate("trace",
                                           "驻波比“%1”小于1！驻波比不能小于1，请重新输入！")
            .arg(quoted);
    case Refusal::NotPositive:
        return QCoreApplication::translate("trace", "%1“%2”不大于0！%1必须大于0，请重新输入！")
            .arg(fielddefaults::caption(field), quoted);
    }
    return refusalMessage();
}

std::optional<fieldrules::Refusal> fieldrules::outOfBounds(Field field, double value) {
    switch (field) {
    case Field::Vswr:
        return value < 1 ? std::optional(Refusal::BelowOne) : std::nullopt;
    case Field::FeederLength:
    case Field::TestDistance:
        return value <= 0 ? std::optional(Refusal::NotPositive) : std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<fieldrules::Refusal> fieldrules::check(Field field, const QString& text) {
    const bool checked =
        field == Field::FeederLength || field == Field::Vswr || field == Field::TestDistance;
    if (!checked || text.isEmpty())
        return std::nullopt;
    const auto value = numbers::parse(text);
    if (!value)
        return Refusal::NotANumber;
    return outOfBounds(field, *value);
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
