#include "app/commandline.h"
#include "data/memorytuning.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    keepRecordSetMemory();
    // The file-making options work without a display; only the program itself needs one.
    std::unique_ptr<QCoreApplication> app;
    if (commandLineNeedsWindows(argc, argv))
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    return runPlenwick(*app);
}
