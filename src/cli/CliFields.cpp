#include "cli/CliFields.h"

#include "trace/FieldDefaults.h"
#include "trace/FieldRules.h"

CliFields::CliFields(Random& random, bool centred) : m_random(random), m_centred(centred) {
    for (int i = 0; i < fielddefaults::kFieldCount; ++i)
        m_texts[i] = fielddefaults::text(i);
}

QString CliFields::caption(int index) const {
    return fielddefaults::caption(index);
}

QString CliFields::write(int index, const QString& text) {
    if (!fieldrules::accepts(index, text)) {
        m_texts[index].clear();
        return fieldrules::refusalMessage();
    }
    m_texts[index] = text;
    if (index == fieldrules::kFeederLength) {
        if (const auto distance = fieldrules::derivedTestDistance(text, m_centred, m_random))
            m_texts[fieldrules::kTestDistance] = *distance;
    }
    return {};
}
