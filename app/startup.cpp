#include "app/startup.h"

#include "data/connection.h"
#include "data/globals.h"
#include "data/openconnection.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <memory>

int SubMain(QApplication& app) {
    auto connection = std::make_unique<Connection>();
    auto trial = std::make_unique<Connection>();
    gConnection = connection.get();
    gTestConnection = trial.get();
    QString path;
    if (!OpenConnection(path, *gConnection))
        return 1;

    // The screens arrive with their own work; until then the window shows which file is open.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Plenwick"));
    window.setMinimumSize(800, 600);
    auto* label = new QLabel(QObject::tr("Connected to %1").arg(path), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.show();
    const int status = app.exec();
    gConnection = nullptr;
    gTestConnection = nullptr;
    return status;
}
