#pragma once

#include <QString>

// Names and texts that identify the program wherever it shows itself.
namespace appinfo {

// Title bar of every message box.
inline QString messageTitle() {
    return QStringLiteral("Quorvex");
}
// Where users are asked to report failures they cannot explain.
inline QString contactAddress() {
    return QStringLiteral("support@veltrace.example");
}
// The release, as the command line's --version and the package name it.
inline QString version() {
    return QStringLiteral(VELTRACE_VERSION);
}
// The authors, as the start-up window names them.
inline QString authors() {
    return QStringLiteral("Veltrace 开发组");
}

} // namespace appinfo
