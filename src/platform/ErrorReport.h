#pragma once

#include <QString>

// The text of the error report shown when a routine ends with a remembered
// failure: a fixed heading, the description and a contact line.
namespace errorreport {

enum class ContactLine {
    Plain, // "不明原因请联系作者" + address (trace, import, batch)
    Save,  // "不明错误原因请联系作者:" + address + "。" (save)
};

QString text(const QString& description, ContactLine line = ContactLine::Plain);

} // namespace errorreport
