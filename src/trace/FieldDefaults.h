#pragma once

#include "trace/Field.h"

#include <QString>

// Captions and start texts of the fourteen parameter fields.
namespace fielddefaults {

QString caption(Field field);
// Empty for the date and the time. The numbers are written with the
// locale's decimal separator, as the fields read them.
QString text(Field field);

} // namespace fielddefaults
