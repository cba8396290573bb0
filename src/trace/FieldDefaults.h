#pragma once

#include <QString>

// Captions and start texts of the fourteen parameter fields.
namespace fielddefaults {

constexpr int kFieldCount = 14;

QString caption(int index);
QString text(int index); // empty for the date (8) and time (11)

} // namespace fielddefaults
