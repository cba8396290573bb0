#include "trace/Frame.h"

#include "trace/Canvas.h"
#include "trace/FieldReader.h"

QString cycs(Canvas& canvas, const FieldReader&) {
    canvas.Cls();
    return QString();
}
