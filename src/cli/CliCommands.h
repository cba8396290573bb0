#pragma once

#include <QIODevice>
#include <QStringList>
#include <QTextStream>

// The command-line program: "render" draws one plot into a PNG file, "batch"
// appends one plot per workbook row to a report document.
struct CliStreams {
    QTextStream& out;
    QTextStream& err;
    bool errIsTerminal = false;
    // Standard output for bytes: where "render -o -" writes the PNG.
    QIODevice* data = nullptr;
};

namespace cli {

constexpr int kOk = 0;
constexpr int kRowFailed = 1;
constexpr int kUsage = 2;

// arguments as the process got them, the program name first.
int run(const QStringList& arguments, CliStreams streams);

} // namespace cli
