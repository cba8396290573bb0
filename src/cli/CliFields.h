#pragma once

#include "trace/FieldReader.h"

#include <QMap>
#include <QString>

class Random;

// The parameter fields without a window: the window's defaults, written with
// the same rules as the window's edits (numeric check, derived test distance).
class CliFields : public FieldReader {
public:
    CliFields(Random& random, bool centred);

    QString text(Field field) const override { return m_texts.value(field); }
    QString caption(Field field) const override;

    // Writes the field; returns the refusal message when the rules refuse the
    // text (the field is then emptied), or an empty string.
    QString write(Field field, const QString& text);

private:
    QMap<Field, QString> m_texts;
    Random& m_random;
    bool m_centred;
};
