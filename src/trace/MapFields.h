#pragma once

#include "trace/FieldReader.h"

#include <QMap>

// A field reader over plain maps, for drawing without a window.
class MapFields : public FieldReader {
public:
    // The main window's design defaults (date and time left empty).
    static MapFields defaults();

    QString text(Field field) const override { return texts.value(field); }
    QString caption(Field field) const override { return captions.value(field); }

    QMap<Field, QString> texts;
    QMap<Field, QString> captions;
};
