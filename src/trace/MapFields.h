#pragma once

#include "trace/FieldReader.h"

#include <QMap>

// A field reader over plain maps, for drawing without a window.
class MapFields : public FieldReader {
public:
    // The main window's design defaults (date and time left empty).
    static MapFields defaults();

    QString text(int index) const override { return texts.value(index); }
    QString caption(int index) const override { return captions.value(index); }

    QMap<int, QString> texts;
    QMap<int, QString> captions;
};
