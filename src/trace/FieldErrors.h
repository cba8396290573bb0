#pragma once

#include "trace/Field.h"

#include <QString>

class FieldReader;

// Descriptions of failures caused by a field's content, naming the field by
// its caption as the window shows it.
namespace fielderrors {

// The caption of the field, or a neutral name when it has none.
QString fieldName(const FieldReader& fields, Field field);

// A field's text as a message quotes it: a long one loses its middle.
QString quoted(const QString& text);

// "<caption>“<text>”不是数字" for a text that did not convert to a number, or
// "…超出数值范围" for a number too large to hold.
QString notANumber(const FieldReader& fields, Field field, const QString& text);

} // namespace fielderrors
