#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

void QtClipboard::clear() {
    if (auto* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

bool QtClipboard::setImage(const QImage& image) {
    auto* clipboard = QGuiApplication::clipboard();
    if (!clipboard || image.isNull())
        return false;
    clipboard->setImage(image);
    return true;
}
