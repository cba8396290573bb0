#include "trace/FieldErrors.h"

#include "trace/FieldReader.h"
#include "trace/Numbers.h"

#include <QCoreApplication>

namespace {

// The captions of the fields as messages name them; looked up by their text.
[[maybe_unused]] const char* const kCaptions[] = {
    QT_TRANSLATE_NOOP("trace", "测试段"), QT_TRANSLATE_NOOP("trace", "馈线长"),
    QT_TRANSLATE_NOOP("trace", "驻波比"), QT_TRANSLATE_NOOP("trace", "测试距离"),
    QT_TRANSLATE_NOOP("trace", "站点")};

} // namespace

QString fielderrors::fieldName(const FieldReader& fields, Field field) {
    const QString caption = fields.caption(field);
    if (caption.isEmpty())
        return QCoreApplication::translate("trace", "第 %1 个参数").arg(indexOf(field));
    return QCoreApplication::translate("trace", caption.toUtf8().constData());
}

QString fielderrors::quoted(const QString& text) {
    // Enough to recognise the text, short enough for a message box.
    constexpr qsizetype kHead = 24;
    constexpr qsizetype kTail = 12;
    if (text.size() <= kHead + kTail + 1)
        return text;
    return text.left(kHead) + QChar(0x2026) + text.right(kTail) +
           QCoreApplication::translate("trace", "（共 %1 个字符）").arg(text.size());
}

QString fielderrors::notANumber(const FieldReader& fields, Field field, const QString& text) {
    const QString what = numbers::isOutOfRange(text)
                             ? QCoreApplication::translate("trace", "%1“%2”超出数值范围")
                             : QCoreApplication::translate("trace", "%1“%2”不是数字");
    return what.arg(fieldName(fields, field), quoted(text));
}
