#pragma once

#include <QString>
#include <QStringList>

// Names and lists taken from a file, cut to a length a message can show: a file may
// hold a sheet name of a million characters or a hundred thousand sheets.
namespace shorttext {

// `text` when it has at most `limit` characters, otherwise its start followed by
// "…（共 N 个字符）".
QString cut(const QString& text, qsizetype limit = 80);

// The items, each cut and in quotation marks, joined with "、" while they fit in
// `limit` characters; then "…等共 N 个" when some are left out.
QString quotedList(const QStringList& items, qsizetype limit = 300);

} // namespace shorttext
