#pragma once

#include <QString>

typedef struct zip_error zip_error_t;

// Readable causes, in Chinese, for the errors libzip reports.

// The cause behind a libzip error code.
QString zipErrorCause(int code);

// The cause with libzip's own text after it, for an error or an error code.
QString zipErrorDescription(zip_error_t* error);
QString zipErrorDescription(int code);
