#pragma once

#include <QString>

typedef struct zip zip_t;

// Checks on the entry list of a zip (a workbook or a document), made when it is opened
// and before any part is read.

// Two entries whose names differ at most in letter case (the part names of a package
// are case-insensitive) make it unclear which one a program reads: the cause, in
// Chinese and naming the entry, or "" when every name is unique.
QString duplicateEntryCause(zip_t* archive);
