#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QUrl>

bool QtDesktop::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
