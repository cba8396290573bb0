#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The parsed command line.
struct CliOptions {
    QString command; // "render" or "batch"; empty when reply is set
    QString reply;   // --help or --version: the text to print instead of running a command
    QStringList positional;
    QList<QPair<int, QString>> fields;
    bool centred = false;
    bool specifiedTime = false;
    // batch: an empty cell takes the value of the row above.
    bool carryEmpty = false;
    // batch: the VSWR limit of a template's verdicts (a limit in the document
    // wins), and whether a plot replaces its segment's earlier plot.
    double limit = 1.5;
    bool replace = false;
    std::optional<std::uint32_t> seed;
    QString output;
    QString into;
    // batch: more rows with values than this are refused.
    std::uint32_t maxRows = 10000;
    int pixelRatio = 1; // device pixels to a logical pixel in the pictures drawn
};

namespace cli {

// Returns the options, or sets error to what is wrong with the command line.
// arguments as the process got them, the program name first.
std::optional<CliOptions> parse(const QStringList& arguments, QString* error);

} // namespace cli
