#include "app/commandline.h"
#include "data/memorytuning.h"
#include "help/programlogo.h"

#include <QApplication>

int main(int argc, char** argv) {
    keepRecordSetMemory();
    // The command-line options work without a display; only the program's window needs one.
    if (commandLineExportsQuote(argc, argv)) {
        // Quotes are drawn off screen: no window opens and no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return runPlenwick(app);
    }
    if (!commandLineNeedsWindows(argc, argv)) {
        QCoreApplication app(argc, argv);
        return runPlenwick(app);
    }
    if (!displayAvailable(argc, argv))
        return kExitFailure;
    // Desktops match the window to the installed .desktop file by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dorvane.Plenwick"));
    QApplication app(argc, argv);
    QApplication::setWindowIcon(programIcon());
    return runPlenwick(app);
}
