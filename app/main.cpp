#include "app/commandline.h"
#include "data/memorytuning.h"

#include <QApplication>
#include <QIcon>

namespace {
// The program's icon in every size it is drawn at, from the program's resources.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/org.dorvane.Plenwick.png").arg(size),
                     QSize(size, size));
    return icon;
}
} // namespace

int main(int argc, char** argv) {
    keepRecordSetMemory();
    // The command-line options work without a display; only the program's window needs one.
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
