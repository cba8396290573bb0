#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Writes a minimal .xlsx whose sheet "Sheet1" holds the rows given (the first
// is the heading row): a text that reads as a number is stored as a number,
// any other as an inline string, an empty one not at all. Large sheets are
// cheap to write this way. Returns false when the file cannot be written.
bool makeWorkbook(const QString& path, const QList<QStringList>& rows);

// A zip of the given entries in order, each stored uncompressed, for packages
// a test puts together part by part; its path, or "" when it could not be
// written.
QString writeStoredZip(const QString& path,
                       const QList<std::pair<const char*, QByteArray>>& entries);
