#pragma once

#include <QString>

// Read access to the parameter fields 0..13 and their captions. The drawing
// routines read a field at the moment a step needs it.
class FieldReader {
public:
    virtual ~FieldReader() = default;
    virtual QString text(int index) const = 0;
    virtual QString caption(int index) const = 0;
};
