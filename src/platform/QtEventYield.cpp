#include "platform/EventYield.h"

#include <QCoreApplication>

void QtEventYield::yieldEvents() {
    QCoreApplication::processEvents();
}
