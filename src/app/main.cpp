#include "mainwindow/Form1.h"
#include "platform/AppIcon.h"
#include "platform/MemoryReuse.h"
#include "platform/UiLanguage.h"
#include "startup/Form2.h"

#include <QApplication>
#include <QScreen>

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

    // The start-up window deletes itself when closed; the main window it opens
    // does the same, so the program ends when the last of them closes.
    auto* startup = new Form2([] {
        auto* mainWindow = new Form1();
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        return mainWindow;
    });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        startup->move(Form2::openingPosition(screen->availableGeometry()));
    startup->show();
    return app.exec();
}
