#include "app/startup.h"

#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/openconnection.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QSqlQuery>
#include <memory>

int SubMain(QApplication& app) {
    auto connection = std::make_unique<Connection>();
    auto trial = std::make_unique<Connection>();
    gConnection = connection.get();
    gTestConnection = trial.get();
    QString path;
    if (!OpenConnection(path, *gConnection))
        return 1;

    // The screens arrive with their own work; until then the window shows which file is open
    // and what it holds.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Plenwick"));
    window.setMinimumSize(800, 600);
    auto count = [](const QString& table) {
        QSqlQuery q(gConnection->database());
        return q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && q.next()
                   ? q.value(0).toLongLong()
                   : 0;
    };
    const QLocale locale = displayLocale();
    auto* label = new QLabel(&window);
    label->setTextFormat(Qt::RichText);
    label->setAlignment(Qt::AlignCenter);
    label->setText(QObject::tr("<p style='font-size:28pt; font-weight:600; color:#1f3b57'>"
                               "Plenwick</p>"
                               "<p style='font-size:11pt; color:#44546a'>%1 materials &middot; "
                               "%2 estimates</p>"
                               "<p style='font-size:9pt; color:#7a8594'>%3</p>")
                       .arg(locale.toString(count(QStringLiteral("MaterialsTBL"))),
                            locale.toString(count(QStringLiteral("EstimateTBL"))),
                            path.toHtmlEscaped()));
    window.setCentralWidget(label);
    window.show();
    const int status = app.exec();
    gConnection = nullptr;
    gTestConnection = nullptr;
    return status;
}
