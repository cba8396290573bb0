#include "cli/CliOptions.h"

#include "cli/CliText.h"
#include "platform/AppInfo.h"
#include "trace/Canvas.h"
#include "trace/Numbers.h"

#include <QCommandLineParser>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

enum Command : int { kRender = 1, kBatch = 2, kEvery = kRender | kBatch };

// Puts an option's values, in the order given, into the options; returns what
// is wrong with them, or an empty string. name is the option with its dashes.
using Store = QString (*)(const QString& name, const QStringList& values, CliOptions& options);

template <auto member>
QString storeSwitch(const QString&, const QStringList&, CliOptions& options) {
    options.*member = true;
    return {};
}

template <auto member>
QString storeText(const QString&, const QStringList& values, CliOptions& options) {
    options.*member = values.last();
    return {};
}

template <auto member>
QString storeNumber(const QString& name, const QStringList& values, CliOptions& options) {
    bool ok = false;
    const uint number = values.last().toUInt(&ok);
    if (!ok)
        return CliText::tr("%1 wants a whole number from 0 to 4294967295, not \"%2\"")
            .arg(name, values.last());
    options.*member = number;
    return {};
}

QString storePixelRatio(const QString& name, const QStringList& values, CliOptions& options) {
    bool ok = false;
    const int ratio = values.last().toInt(&ok);
    if (!ok || ratio < 1 || ratio > Canvas::kMaxPixelRatio)
        return CliText::tr("%1 wants 1, 2 or 3, not \"%2\"").arg(name, values.last());
    options.pixelRatio = ratio;
    return {};
}

QString storeLimit(const QString& name, const QStringList& values, CliOptions& options) {
    const auto limit = numbers::parse(values.last(), QLocale::c());
    if (!limit || *limit < 1)
        return CliText::tr("%1 wants a VSWR of at least 1, not \"%2\"").arg(name, values.last());
    options.limit = *limit;
    return {};
}

QString storeFields(const QString& name, const QStringList& values, CliOptions& options) {
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf(u'=');
        bool ok = false;
        const int index = equals > 0 ? value.left(equals).toInt(&ok) : -1;
        if (!ok || index < 0 || index > 13)
            return CliText::tr("%1 wants N=TEXT with N from 0 to 13, not \"%2\"").arg(name, value);
        options.fields.append({index, value.mid(equals + 1)});
    }
    return {};
}

// One option: its names, the name of its value (none for a switch), the
// commands that take it, the commands that cannot do without it, where its
// values go, and its help text.
struct OptionRow {
    QStringList names;
    QString valueName;
    int takenBy;
    int neededBy;
    Store store;
    QString help;
};

// One entry an option: its names, value, commands and store on the first line,
// its help below. Kept from clang-format, which would give every field a line.
// clang-format off
QList<OptionRow> optionRows() {
    return {
        {{u"field"_s}, CliText::tr("N=TEXT"), kEvery, 0, storeFields,
         CliText::tr("Sets parameter field N (0 to 13) before drawing; repeatable. Setting field "
                     "1 (feeder length) derives field 3 (test distance) unless that is given "
                     "too.")},
        {{u"centred"_s}, {}, kEvery, 0, storeSwitch<&CliOptions::centred>,
         CliText::tr("The test distance is twice the feeder length.")},
        {{u"seed"_s}, u"S"_s, kEvery, 0, storeNumber<&CliOptions::seed>,
         CliText::tr("Makes the ripple and the derived distance reproducible.")},
        {{u"o"_s, u"output"_s}, CliText::tr("FILE.png"), kRender, kRender,
         storeText<&CliOptions::output>,
         CliText::tr("The PNG file to write; - writes it to standard output.")},
        {{u"into"_s}, CliText::tr("DOCUMENT.docx"), kBatch, kBatch, storeText<&CliOptions::into>,
         CliText::tr("The document to append to; a missing one is created.")},
        {{u"pixel-ratio"_s}, u"N"_s, kEvery, 0, storePixelRatio,
         CliText::tr("Draws at N (1, 2 or 3) device pixels to a pixel: a sharper picture of the "
                     "same size on the page. Default 1.")},
        {{u"specified-time"_s}, {}, kBatch, 0, storeSwitch<&CliOptions::specifiedTime>,
         CliText::tr("The test time comes from column E.")},
        {{u"limit"_s}, u"V"_s, kBatch, 0, storeLimit,
         CliText::tr("The VSWR limit of a report template's verdicts and summary (default 1.5); a "
                     "limit the document gives ({{驻波比上限=V}}) wins.")},
        {{u"replace"_s}, {}, kBatch, 0, storeSwitch<&CliOptions::replace>,
         CliText::tr("A plot replaces, in place, the plot this program wrote earlier for the same "
                     "segment in the document, instead of adding another.")},
        {{u"carry-empty"_s}, {}, kBatch, 0, storeSwitch<&CliOptions::carryEmpty>,
         CliText::tr("An empty cell takes the value of the row above instead of keeping its row "
                     "from a plot; each value taken is listed.")},
        {{u"max-rows"_s}, u"N"_s, kBatch, 0, storeNumber<&CliOptions::maxRows>,
         CliText::tr("Processes a workbook of at most N rows with values (default 10000; empty "
                     "rows are skipped); a longer one is refused before anything is written.")},
    };
}
// clang-format on

// One command: its name, its one operand (if it takes one), a line saying what
// it does and its help text (which Qt prints without wrapping it).
struct CommandRow {
    QString name;
    int flag;
    QString operand = {};
    QString operandHelp = {};
    QString summary;
    QString help;
};

QList<CommandRow> commandRows() {
    return {
        {.name = u"render"_s,
         .flag = kRender,
         .summary = CliText::tr("Draws one plot into a PNG file."),
         .help = CliText::tr(
             "Draws the plot the main window's generate command draws into a PNG file,\n"
             "from the window's default fields changed by the given ones.")},
        {.name = u"batch"_s,
         .flag = kBatch,
         .operand = CliText::tr("WORKBOOK"),
         .operandHelp =
             CliText::tr("The .xls or .xlsx workbook; its sheet \"Sheet1\" lists one segment "
                         "per row."),
         .summary = CliText::tr("Appends one plot per workbook row to a .docx document."),
         .help = CliText::tr("Appends one plot per row of the workbook's sheet \"Sheet1\" to the "
                             "document\n(created when missing), as the main window's batch does.")},
    };
}

QString exitStatus() {
    return u"\n\n"_s +
           CliText::tr("Exit status: 0 all went through, 1 some row gave no plot or some plot was "
                       "not\nwritten, 2 a usage error or an unreadable workbook or document "
                       "(nothing written).");
}

QString overview() {
    QString text =
        CliText::tr("Draws distance-to-fault VSWR plots without a window or display.") + u'\n';
    for (const CommandRow& command : commandRows())
        text += u"\n  %1  %2"_s.arg(command.name.leftJustified(7), command.summary);
    return text + u"\n\n"_s +
           CliText::tr("\"veltrace-cli COMMAND --help\" lists the options of a command.") +
           exitStatus();
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? u"-"_s : u"--"_s) + name;
}

// Qt's help and version options, and the options the given commands take;
// the help of an option not all of them take starts with those that do.
void addOptions(QCommandLineParser& parser, int commands) {
    parser.addHelpOption();
    parser.addVersionOption();
    for (const OptionRow& row : optionRows()) {
        if (!(row.takenBy & commands))
            continue;
        QStringList takers;
        for (const CommandRow& command : commandRows()) {
            if ((row.takenBy & commands) != commands && (row.takenBy & command.flag))
                takers.append(command.name);
        }
        const QString prefix = takers.isEmpty() ? QString() : u"[%1] "_s.arg(takers.join(u'/'));
        parser.addOption({row.names, prefix + row.help, row.valueName});
    }
}

// What --help or --version prints instead of running a command, or nothing.
QString reply(const QCommandLineParser& parser) {
    if (parser.isSet(u"version"_s))
        return u"veltrace-cli "_s + appinfo::version() + u'\n';
    if (parser.isSet(u"help"_s) || parser.isSet(u"help-all"_s))
        return parser.helpText();
    return {};
}

QString storeValues(const QCommandLineParser& parser, int command, CliOptions& options) {
    for (const OptionRow& row : optionRows()) {
        if ((row.takenBy & command) && parser.isSet(row.names.first())) {
            const QString refusal =
                row.store(dashed(row.names.last()), parser.values(row.names.first()), options);
            if (!refusal.isEmpty())
                return refusal;
        }
    }
    return {};
}

QString checkNeeds(const QCommandLineParser& parser, const CommandRow& command,
                   const CliOptions& options) {
    const qsizetype operands = command.operand.isEmpty() ? 0 : 1;
    if (options.positional.size() != operands) {
        return operands == 0
                   ? CliText::tr("%1 takes no arguments, not \"%2\"")
                         .arg(command.name, options.positional.join(u' '))
                   : CliText::tr("%1 needs exactly one %2").arg(command.name, command.operand);
    }
    for (const OptionRow& row : optionRows()) {
        if ((row.neededBy & command.flag) && parser.value(row.names.first()).isEmpty())
            return CliText::tr("%1 needs %2 %3")
                .arg(command.name, dashed(row.names.first()), row.valueName);
    }
    return {};
}

std::optional<CliOptions> parseCommand(const CommandRow& command, const QStringList& arguments,
                                       QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(command.help + exitStatus());
    parser.addPositionalArgument(command.name, command.summary);
    if (!command.operand.isEmpty())
        parser.addPositionalArgument(command.operand, command.operandHelp);
    addOptions(parser, command.flag);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    CliOptions options;
    options.reply = reply(parser);
    if (!options.reply.isEmpty())
        return options;
    options.command = command.name;
    options.positional = parser.positionalArguments().mid(1);
    *error = storeValues(parser, command.flag, options);
    if (error->isEmpty())
        *error = checkNeeds(parser, command, options);
    return error->isEmpty() ? std::optional(options) : std::nullopt;
}

// The command line without a command: only --help and --version.
std::optional<CliOptions> parseBare(const QCommandLineParser& parser, bool parsed,
                                    const QString& name, QString* error) {
    CliOptions options;
    if (parsed)
        options.reply = reply(parser);
    if (!options.reply.isEmpty())
        return options;
    if (!parsed)
        *error = parser.errorText();
    else if (name.isEmpty())
        *error = CliText::tr("no command given: render or batch");
    else
        *error = CliText::tr("unknown command \"%1\"").arg(name);
    return std::nullopt;
}

// The texts of Qt's command-line parser (help, version and its errors), here
// so that their Chinese translations are kept with the command line's own.
[[maybe_unused]] const char* const kParserTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help on commandline options."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help including Qt specific options."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Displays version information."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "[options]"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Usage: %1"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Options:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:"),
};

} // namespace

std::optional<CliOptions> cli::parse(const QStringList& arguments, QString* error) {
    error->clear();
    // The command is the first operand. Every option is known to this first
    // pass, so that no option's value passes for the command; the command's
    // own pass then refuses the options it does not take.
    QCommandLineParser parser;
    parser.setApplicationDescription(overview());
    parser.addPositionalArgument(CliText::tr("command"), CliText::tr("render or batch"),
                                 CliText::tr("command"));
    addOptions(parser, kEvery);
    const bool parsed = parser.parse(arguments);
    const QString name = parser.positionalArguments().value(0);
    const QList<CommandRow> commands = commandRows();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const CommandRow& row) { return row.name == name; });
    const bool known = command != commands.end();
    auto options =
        known ? parseCommand(*command, arguments, error) : parseBare(parser, parsed, name, error);
    if (!options)
        *error +=
            u'\n' +
            CliText::tr("See \"veltrace-cli %1--help\".").arg(known ? name + u' ' : QString());
    return options;
}
