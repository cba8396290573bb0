#include "cli/CliCommands.h"

#include <QGuiApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // Drawing text needs a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cli::run(QGuiApplication::arguments(), {out, err, isatty(fileno(stderr)) != 0});
}
