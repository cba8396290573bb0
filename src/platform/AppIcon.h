#pragma once

#include <QIcon>
#include <QList>

// The program's own icon: a green trace with one lobe on a dark grid.
namespace appicon {

// Pixel sizes the icon is drawn at (one image each, no scaling between them).
QList<int> sizes();
// The icon of every window of the program, holding one image per size.
QIcon windowIcon();

} // namespace appicon
