#include "cli/CliCommands.h"
#include "platform/MemoryReuse.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <unistd.h>

namespace {

// A session without a desktop has no runtime folder; Qt's note about it is
// noise on a command line whose stderr users read line by line.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')), stderr);
}

} // namespace

int main(int argc, char* argv[]) {
    memoryreuse::keepFreedBlocks();
    qInstallMessageHandler(quietMessages);
    // Drawing text needs a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile data;
    const bool dataOpen = data.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered,
                                    QFileDevice::DontCloseHandle);
    return cli::run(QGuiApplication::arguments(),
                    {out, err, isatty(fileno(stderr)) != 0, dataOpen ? &data : nullptr});
}
