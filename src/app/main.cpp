#include "mainwindow/Form1.h"
#include "platform/AppIcon.h"
#include "platform/MemoryReuse.h"
#include "platform/UiLanguage.h"
#include "startup/Form2.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

namespace {

// The files named on the command line (or handed over by "Open with" in a
// file manager): workbooks to import, a document to save into.
QStringList filesToOpen(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws distance-to-fault VSWR plots; a workbook given is imported, a document given "
        "becomes the report the plots are saved into."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Workbooks (.xls, .xlsx) and a document (.docx)."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);
    return parser.positionalArguments();
}

} // namespace

int main(int argc, char* argv[]) {
    memoryreuse::keepFreedBlocks();
    QApplication app(argc, argv);
    // Names the settings file: ~/.config/Veltrace/Veltrace.conf.
    QApplication::setOrganizationName(QStringLiteral("Veltrace"));
    QApplication::setApplicationName(QStringLiteral("Veltrace"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("veltrace"));
    QApplication::setWindowIcon(appicon::windowIcon());
    // Without Debian's Qt translations the standard buttons stay English; the
    // program's own texts are Chinese either way.
    uilanguage::installQtTranslations();
    const QStringList files = filesToOpen(app);

    // The start-up window deletes itself when closed; the main window it opens
    // does the same, so the program ends when the last of them closes. Files
    // given are opened once the main window is up, so that what they call
    // for is said over it.
    auto* startup = new Form2([files] {
        auto* mainWindow = new Form1();
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        if (!files.isEmpty())
            QTimer::singleShot(0, mainWindow,
                               [mainWindow, files] { mainWindow->openFiles(files); });
        return mainWindow;
    });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        startup->move(Form2::openingPosition(screen->availableGeometry()));
    startup->show();
    return app.exec();
}
