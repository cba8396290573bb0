#pragma once

#include "trace/Field.h"

#include <QString>

// Read access to the parameter fields and their captions. The drawing
// routines read a field at the moment a step needs it.
class FieldReader {
public:
    virtual ~FieldReader() = default;
    virtual QString text(Field field) const = 0;
    virtual QString caption(Field field) const = 0;
};
