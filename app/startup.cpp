#include "app/startup.h"

#include "app/mainwindow.h"
#include "app/style.h"
#include "data/connection.h"
#include "data/globals.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QScreen>
#include <memory>

namespace {
// A roomy first size where the screen allows it; never below the window's minimum.
QSize firstWindowSize(const QWidget& window) {
    QSize size(1024, 720);
    if (const QScreen* screen = window.screen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    return size.expandedTo(window.minimumSize());
}
} // namespace

ProgramObjects::ProgramObjects() {
    connection.setShared(true);
    gSettings = &settings;
    gConnection = &connection;
    gTestConnection = &trial;
}

ProgramObjects::~ProgramObjects() {
    gSettings = nullptr;
    gConnection = nullptr;
    gTestConnection = nullptr;
}

int SubMain(QApplication& app) {
    ProgramObjects objects;
    gSettings->LoadSettings();
    if (gConnection->state() != 1)
        return 1;
    applyProgramStyle(app);
    frmMain window;
    window.setWindowTitle(QStringLiteral("Plenwick"));
    window.resize(firstWindowSize(window));
    window.show();
    return app.exec();
}
