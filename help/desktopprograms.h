#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What the Help commands ask of the desktop: a system-information program, a player for a media
// file, and starting a program. The platform-specific look-ups live here alone.

struct ProgramCommand {
    QString program;
    QStringList arguments;
};

// Tests replace any of these; an empty member means the platform's own.
struct DesktopPrograms {
    // The desktop's system-information program, or nothing when it has none.
    std::function<std::optional<ProgramCommand>()> systemInformation;
    // Whether a player is registered for the file's type.
    std::function<bool(const QString& file)> hasPlayerFor;
    // Starts the program without waiting for it; false when it could not be started.
    std::function<bool(const ProgramCommand&)> start;
};

// Installs replacements; returns the previous ones.
DesktopPrograms setDesktopPrograms(DesktopPrograms programs);

std::optional<ProgramCommand> systemInformationProgram();
bool hasPlayerFor(const QString& file);
bool startProgram(const ProgramCommand& command);
