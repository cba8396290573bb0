#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The parsed command line.
struct CliOptions {
    QString command; // "render", "batch", "help" or "version"
    QStringList positional;
    QList<QPair<int, QString>> fields;
    bool centred = false;
    bool specifiedTime = false;
    std::optional<std::uint32_t> seed;
    QString output;
    QString into;
};

namespace cli {

// Returns the options, or sets error to what is wrong with the command line.
std::optional<CliOptions> parse(const QStringList& arguments, QString* error);
QString usage();

} // namespace cli
