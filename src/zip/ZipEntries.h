#pragma once

#include <QString>

#include <optional>

typedef struct zip zip_t;

// Checks on the entry list of a zip (a workbook or a document), made when it is opened
// and before any part is read.

// Two entries whose names differ at most in letter case (the part names of a package
// are case-insensitive) make it unclear which one a program reads: the name of the
// second one, or nothing when every name is unique.
std::optional<QString> duplicateEntry(zip_t* archive);

// The cause, in Chinese, of refusing a zip with two entries of that name.
QString duplicateEntryCause(const QString& name);
