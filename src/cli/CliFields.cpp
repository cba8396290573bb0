#include "cli/CliFields.h"

#include "trace/FieldDefaults.h"
#include "trace/FieldRules.h"

CliFields::CliFields(Random& random, bool centred) : m_random(random), m_centred(centred) {
    for (const Field field : allFields())
        m_texts[field] = fielddefaults::text(field);
}

QString CliFields::caption(Field field) const {
    return fielddefaults::caption(field);
}

QString CliFields::write(Field field, const QString& text) {
    const fieldrules::Edit edit = fieldrules::afterEdit(field, text, m_centred, m_random);
    if (edit.verdict != fieldrules::Edit::Verdict::Accepted) {
        m_texts[field].clear();
        return fieldrules::refusalMessage();
    }
    m_texts[field] = text;
    if (edit.testDistance)
        m_texts[Field::TestDistance] = *edit.testDistance;
    return {};
}
