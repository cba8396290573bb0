#pragma once

#include <QString>

class FieldReader;

// Descriptions of failures caused by a field's content, naming the field by
// its caption as the window shows it.
namespace fielderrors {

// The caption of the field, or a neutral name when it has none.
QString fieldName(const FieldReader& fields, int index);

// "<caption>“<text>”不是数字" for a text that did not convert to a number.
QString notANumber(const FieldReader& fields, int index, const QString& text);

} // namespace fielderrors
