#include "help/desktopprograms.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {

DesktopPrograms& installed() {
    static DesktopPrograms programs;
    return programs;
}

std::optional<ProgramCommand> platformSystemInformation() {
#if defined(Q_OS_WIN)
    const QString msinfo = QStandardPaths::findExecutable(QStringLiteral("msinfo32"));
    if (!msinfo.isEmpty())
        return ProgramCommand{msinfo, {}};
#elif defined(Q_OS_MACOS)
    const QString app = QStringLiteral("/System/Applications/Utilities/System Information.app");
    if (QFileInfo::exists(app))
        return ProgramCommand{QStringLiteral("/usr/bin/open"), {app}};
#else
    // The system-information programs of the common Linux desktops, the fullest first.
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "xfce4-about"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return ProgramCommand{path, {}};
    }
#endif
    return std::nullopt;
}

bool platformHasPlayerFor(const QString& file) {
#if defined(Q_OS_WIN)
    Q_UNUSED(file);
    const QSettings player(
        QStringLiteral("HKEY_CLASSES_ROOT\\Applications\\wmplayer.exe\\shell\\play\\command"),
        QSettings::NativeFormat);
    return player.contains(QStringLiteral("Default"));
#elif defined(Q_OS_MACOS)
    Q_UNUSED(file);
    return true; // every Mac opens audio files with its own player
#else
    // The desktop's default application for the file's type, as xdg-open would choose it.
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

} // namespace

DesktopPrograms setDesktopPrograms(DesktopPrograms programs) {
    DesktopPrograms previous = std::move(installed());
    installed() = std::move(programs);
    return previous;
}

std::optional<ProgramCommand> systemInformationProgram() {
    if (const auto& replaced = installed().systemInformation)
        return replaced();
    return platformSystemInformation();
}

bool hasPlayerFor(const QString& file) {
    if (const auto& replaced = installed().hasPlayerFor)
        return replaced(file);
    return platformHasPlayerFor(file);
}

bool startProgram(const ProgramCommand& command) {
    if (const auto& replaced = installed().start)
        return replaced(command);
    return QProcess::startDetached(command.program, command.arguments);
}
