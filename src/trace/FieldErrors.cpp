#include "trace/FieldErrors.h"

#include "trace/FieldReader.h"
#include "trace/Numbers.h"

QString fielderrors::fieldName(const FieldReader& fields, Field field) {
    const QString caption = fields.caption(field);
    return caption.isEmpty() ? QStringLiteral("第 %1 个参数").arg(indexOf(field)) : caption;
}

QString fielderrors::quoted(const QString& text) {
    // Enough to recognise the text, short enough for a message box.
    constexpr qsizetype kHead = 24;
    constexpr qsizetype kTail = 12;
    if (text.size() <= kHead + kTail + 1)
        return text;
    return text.left(kHead) + QChar(0x2026) + text.right(kTail) +
           QStringLiteral("（共 %1 个字符）").arg(text.size());
}

QString fielderrors::notANumber(const FieldReader& fields, Field field, const QString& text) {
    const QString what = numbers::isOutOfRange(text) ? QStringLiteral("%1“%2”超出数值范围")
                                                     : QStringLiteral("%1“%2”不是数字");
    return what.arg(fieldName(fields, field), quoted(text));
}
