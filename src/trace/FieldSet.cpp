#include "trace/FieldSet.h"

#include "trace/FieldDefaults.h"

FieldSet::FieldSet(Random& random, QObject* parent) : QObject(parent), m_random(random) {
    for (const Field field : allFields())
        m_texts[static_cast<size_t>(indexOf(field))] = fielddefaults::text(field);
}

QString FieldSet::text(Field field) const {
    return m_texts[static_cast<size_t>(indexOf(field))];
}

QString FieldSet::caption(Field field) const {
    return fielddefaults::caption(field);
}

void FieldSet::set(Field field, const QString& text) {
    QString& held = m_texts[static_cast<size_t>(indexOf(field))];
    if (held == text)
        return;
    held = text;
    emit changed(field);
}

std::optional<FieldSet::Refusal> FieldSet::apply(Field field, const QString& text, bool typing) {
    set(field, text);
    const fieldrules::Edit edit = fieldrules::afterEdit(field, text, m_centred, m_random, typing);
    if (edit.verdict == fieldrules::Edit::Verdict::Refused) {
        // Emptied first, then said.
        set(field, QString());
        return Refusal{field, fieldrules::Refusal::NotANumber, text};
    }
    if (edit.testDistance)
        set(Field::TestDistance, *edit.testDistance);
    return std::nullopt;
}

std::optional<FieldSet::Refusal> FieldSet::write(Field field, const QString& text) {
    return apply(field, text, false);
}

std::optional<FieldSet::Refusal> FieldSet::type(Field field, const QString& text) {
    return apply(field, text, true);
}

std::optional<FieldSet::Refusal> FieldSet::leave(Field field) {
    const QString current = text(field);
    const auto refusal = fieldrules::check(field, current);
    // The test distance is free text until a plot is drawn from it.
    if (!refusal || (field == Field::TestDistance && *refusal == fieldrules::Refusal::NotANumber))
        return std::nullopt;
    if (*refusal == fieldrules::Refusal::NotANumber)
        set(field, QString());
    return Refusal{field, *refusal, current};
}

std::optional<FieldSet::Refusal> FieldSet::checkBounds() const {
    for (const Field field : {Field::FeederLength, Field::Vswr, Field::TestDistance}) {
        // A text that is no number is the drawing's to report, as it always was.
        const auto refusal = fieldrules::check(field, text(field));
        if (refusal && *refusal != fieldrules::Refusal::NotANumber)
            return Refusal{field, *refusal, text(field)};
    }
    return std::nullopt;
}
