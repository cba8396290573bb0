#include "trace/MainWave.h"

QString mainwave(Canvas&, const FieldReader&, Random&, EventYield&) {
    return QString();
}
