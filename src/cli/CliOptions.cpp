#include "cli/CliOptions.h"

namespace {

bool parseField(const QString& value, CliOptions& options, QString* error) {
    const qsizetype equals = value.indexOf(QLatin1Char('='));
    bool ok = false;
    const int index = equals > 0 ? value.left(equals).toInt(&ok) : -1;
    if (!ok || index < 0 || index > 13) {
        *error = QStringLiteral("--field wants N=TEXT with N from 0 to 13, not \"%1\"").arg(value);
        return false;
    }
    options.fields.append({index, value.mid(equals + 1)});
    return true;
}

bool parseSeed(const QString& value, CliOptions& options, QString* error) {
    bool ok = false;
    const uint seed = value.toUInt(&ok);
    if (!ok) {
        *error = QStringLiteral("--seed wants a whole number from 0 to 4294967295, not \"%1\"")
                     .arg(value);
        return false;
    }
    options.seed = seed;
    return true;
}

// Options that take a value, in their "--name VALUE" or "--name=VALUE" form.
bool takeValue(const QString& name, const QString& value, CliOptions& options, QString* error) {
    if (name == QLatin1String("--field"))
        return parseField(value, options, error);
    if (name == QLatin1String("--seed"))
        return parseSeed(value, options, error);
    if (name == QLatin1String("-o") || name == QLatin1String("--output"))
        options.output = value;
    else
        options.into = value;
    return true;
}

bool isValueOption(const QString& name) {
    static const QStringList names{QStringLiteral("--field"), QStringLiteral("--seed"),
                                   QStringLiteral("-o"), QStringLiteral("--output"),
                                   QStringLiteral("--into")};
    return names.contains(name);
}

bool checkCommand(const CliOptions& options, QString* error) {
    if (options.command == QLatin1String("render")) {
        if (options.output.isEmpty())
            *error = QStringLiteral("render needs -o FILE.png");
        else if (!options.positional.isEmpty() || !options.into.isEmpty() || options.specifiedTime)
            *error = QStringLiteral("render takes no workbook, --into or --specified-time");
    } else if (options.command == QLatin1String("batch")) {
        if (options.positional.size() != 1)
            *error = QStringLiteral("batch needs exactly one WORKBOOK");
        else if (options.into.isEmpty())
            *error = QStringLiteral("batch needs --into DOCUMENT.docx");
        else if (!options.output.isEmpty())
            *error = QStringLiteral("batch takes no -o");
    } else {
        *error = options.command.isEmpty()
                     ? QStringLiteral("no command given: render or batch")
                     : QStringLiteral("unknown command \"%1\"").arg(options.command);
    }
    return error->isEmpty();
}

} // namespace

std::optional<CliOptions> cli::parse(const QStringList& arguments, QString* error) {
    CliOptions options;
    error->clear();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        const QString name = arg.section(QLatin1Char('='), 0, 0);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.command = QStringLiteral("help");
            return options;
        }
        if (arg == QLatin1String("--version")) {
            options.command = QStringLiteral("version");
            return options;
        }
        if (arg == QLatin1String("--centred")) {
            options.centred = true;
        } else if (arg == QLatin1String("--specified-time")) {
            options.specifiedTime = true;
        } else if (isValueOption(name) && arg.contains(QLatin1Char('=')) && name != arg) {
            if (!takeValue(name, arg.section(QLatin1Char('='), 1), options, error))
                return std::nullopt;
        } else if (isValueOption(arg)) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(arg);
                return std::nullopt;
            }
            if (!takeValue(arg, arguments[++i], options, error))
                return std::nullopt;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            *error = QStringLiteral("unknown option \"%1\"").arg(arg);
            return std::nullopt;
        } else if (options.command.isEmpty()) {
            options.command = arg;
        } else {
            options.positional.append(arg);
        }
    }
    if (!checkCommand(options, error))
        return std::nullopt;
    return options;
}

QString cli::usage() {
    return QStringLiteral(
        "Usage:\n"
        "  veltrace-cli render [--field N=TEXT]... [--centred] [--seed S] -o FILE.png\n"
        "  veltrace-cli batch WORKBOOK --into DOCUMENT.docx [--specified-time] [--centred]\n"
        "                     [--seed S] [--field N=TEXT]...\n"
        "\n"
        "render   draws the plot the main window's generate command draws, from the\n"
        "         window's default fields changed by the given ones, into a PNG file.\n"
        "batch    appends one plot per row of the workbook's sheet \"Sheet1\" to the\n"
        "         document (created when missing), as the main window's batch does.\n"
        "\n"
        "  --field N=TEXT    sets parameter field N (0 to 13) before drawing; setting\n"
        "                    field 1 (feeder length) derives field 3 unless it is given\n"
        "  --centred         the test distance is twice the feeder length\n"
        "  --seed S          makes the ripple and the derived distance reproducible\n"
        "  --specified-time  batch: the test time comes from column E\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 all went through, 1 some row reported a failure,\n"
        "2 usage error or an unreadable workbook or document (nothing written).\n");
}
