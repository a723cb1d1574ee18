#include "app/startup.h"

#include "app/mainwindow.h"
#include "app/style.h"
#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "settings/registry.h"
#include "settings/serverlogin.h"
#include "settings/settingsstore.h"
#include "widgets/filedialog.h"
#include "widgets/messagebox.h"
#include "widgets/waitfeedback.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

namespace {
// Runs work once the window has painted itself for the first time, so that it never holds up
// the window's first appearance (or after a while, should no paint come). Owned by the window.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> work)
        : QObject(&window), m_work(std::move(work)) {
        window.installEventFilter(this);
        QTimer::singleShot(kLatestMs, this, [this] { run(); });
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { run(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void run() {
        if (m_work)
            std::exchange(m_work, {})();
        deleteLater();
    }
    static constexpr int kLatestMs = 2000;
    std::function<void()> m_work;
};

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
    connection.setDailyBackups(true);
    connection.setBackgroundChecks(true);
    // Shown once the write that was due the copy is done, never in the middle of it.
    QObject::connect(
        &connection, &Connection::dailyBackupFailed, &connection,
        [](const QString& reason) {
            showMessage(QStringLiteral("Today's backup of the database could not be made:\n\n%1\n\n"
                                       "Your changes are saved as usual. Make a copy with Tools > "
                                       "Back Up Database..., and see that the folder \"backups\" "
                                       "beside the database can be written.")
                            .arg(reason),
                        QMessageBox::Ok, QMessageBox::Warning, QStringLiteral("Backup"));
        },
        Qt::QueuedConnection);
    // Said once the window is up; both runs go on working, the writes guarded against each
    // other.
    QObject::connect(
        &connection, &Connection::openElsewhere, &connection,
        [](const QString& path) {
            showMessage(QStringLiteral("The database \"%1\" is also open in another Plenwick "
                                       "window.\n\nYou can work in both. A change saved in one "
                                       "window shows in the other once it reads the record "
                                       "again, and a save that would overwrite a change made in "
                                       "the other window is stopped and explained first.")
                            .arg(QDir::toNativeSeparators(path)),
                        QMessageBox::Ok, QMessageBox::Information,
                        QStringLiteral("Database in use"));
        },
        Qt::QueuedConnection);
    QObject::connect(
        &connection, &Connection::openedReadOnly, &connection,
        [](const QString& path) {
            showMessage(QStringLiteral("The database \"%1\" can only be read: you may look at "
                                       "everything in it, but no change can be saved.\n\nTo "
                                       "work in it, ask for the right to change the file and its "
                                       "folder, or make a copy with Tools > Back Up Database... "
                                       "and open that.")
                            .arg(QDir::toNativeSeparators(path)),
                        QMessageBox::Ok, QMessageBox::Information,
                        QStringLiteral("Read-only database"));
        },
        Qt::QueuedConnection);
    // Found by the check made while the window opened: the file takes no more writes.
    QObject::connect(
        &connection, &Connection::damageFound, &connection,
        [](const QString& message) {
            showMessage(message +
                            QStringLiteral("\n\nYou may look at what it holds, but nothing can be "
                                           "saved to it, so that the damage does not spread. Put "
                                           "a backup in its place with Tools > Restore From "
                                           "Backup...; the damaged file is kept among the "
                                           "backups."),
                        QMessageBox::Ok, QMessageBox::Warning, QStringLiteral("Damaged Database"));
        },
        Qt::QueuedConnection);
    gSettings = &settings;
    gConnection = &connection;
    gTestConnection = &trial;
}

ProgramObjects::~ProgramObjects() {
    gSettings = nullptr;
    gConnection = nullptr;
    gTestConnection = nullptr;
}

namespace {
const QString kFileFilter = QStringLiteral("Plenwick database (*.mdb);;All files (*)");

DatabaseFileChooser& installedChooser() {
    static DatabaseFileChooser chooser;
    return chooser;
}

QString askForFile(bool create) {
    if (const auto& chooser = installedChooser())
        return chooser(create);
    FileDialogRequest request;
    request.folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.filter = kFileFilter;
    request.title = QStringLiteral("Open a Database");
    if (create) {
        request.mode = FileDialogRequest::Save;
        request.title = QStringLiteral("Create a New Database");
        request.fileName = request.folder + QStringLiteral("/Estimating.mdb");
    }
    return askForFileName(request);
}
} // namespace

DatabaseFileChooser setDatabaseFileChooser(DatabaseFileChooser chooser) {
    DatabaseFileChooser previous = std::move(installedChooser());
    installedChooser() = std::move(chooser);
    return previous;
}

bool ChooseAnotherDatabase() {
    while (gConnection && !gConnection->isOpen()) {
        MessageRequest request{
            QStringLiteral("Plenwick could not open its database.\n\nYou can open another "
                           "database file, create a new, empty one, or quit."),
            QStringLiteral("Plenwick"),
            QMessageBox::Open | QMessageBox::Save | QMessageBox::Close,
            QMessageBox::Question,
            {}};
        request.buttonTexts = {{QMessageBox::Open, QStringLiteral("&Open Another...")},
                               {QMessageBox::Save, QStringLiteral("&Create New...")},
                               {QMessageBox::Close, QStringLiteral("&Quit")}};
        const auto answer = showMessage(request);
        if (answer != QMessageBox::Open && answer != QMessageBox::Save)
            return false;
        const bool create = answer == QMessageBox::Save;
        QString path = askForFile(create);
        if (path.isEmpty())
            continue; // the dialog was cancelled: ask again
        if (create) {
            if (QFileInfo(path).suffix().isEmpty())
                path += QStringLiteral(".mdb");
            QString error;
            if (!Schema::createFile(path, &error)) {
                ShowError(QStringLiteral("The new database could not be created.\n\n") + error,
                          QStringLiteral("Create a New Database"));
                continue;
            }
        }
        WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"),
                       QDir::toNativeSeparators(path));
        gSettings->LoadSettings(); // opens it, or shows why not
    }
    return gConnection && gConnection->isOpen();
}

int SubMain(QApplication& app) {
    // The window stays alive through a long wait or statement, with a way to stop it. Only
    // here, where there is a window: the command-line modes keep the plain wait. Made first,
    // so that it outlives the connections it watches.
    WaitFeedback waitFeedback;
    ProgramObjects objects;
    objects.connection.database().setWaitObserver(&waitFeedback);
    objects.trial.database().setWaitObserver(&waitFeedback);
    // A database server that wants a password nothing else gives asks for it before the first
    // open; cancelled, the open fails and says why, as for a file.
    if (QString stored;
        ReadRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), stored))
        askServerPasswordIfNeeded(stored, nullptr);
    gSettings->LoadSettings();
    if (gConnection->state() != 1 && !ChooseAnotherDatabase())
        return 1;
    applyProgramStyle(app);
    frmMain::readEstimatesAfterFirstPaint(true);
    frmMain window;
    window.setWindowTitle(QStringLiteral("Plenwick"));
    window.resize(firstWindowSize(window));
    window.show();
    // The estimates, then the file's check and the day's copy when due, once the window is up.
    new AfterFirstPaint(window, [&window] {
        window.finishLoading();
        gConnection->startBackgroundChecks();
    });
    return app.exec();
}
