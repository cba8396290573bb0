#include "trace/FieldErrors.h"

#include "trace/FieldReader.h"

QString fielderrors::fieldName(const FieldReader& fields, int index) {
    const QString caption = fields.caption(index);
    return caption.isEmpty() ? QStringLiteral("第 %1 个参数").arg(index) : caption;
}

QString fielderrors::notANumber(const FieldReader& fields, int index, const QString& text) {
    return QStringLiteral("%1“%2”不是数字").arg(fieldName(fields, index), text);
}
