#include "platform/AppIcon.h"

#include <QString>

// The resource initialiser must be declared outside any namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace appicon {

QList<int> sizes() {
    return {16, 24, 32, 48, 64, 128, 256};
}

QIcon windowIcon() {
    initIconResources();
    QIcon icon;
    for (int size : sizes())
        icon.addFile(QStringLiteral(":/icons/veltrace-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace appicon
