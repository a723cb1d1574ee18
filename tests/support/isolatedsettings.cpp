#include "support/isolatedsettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

IsolatedSettings::IsolatedSettings() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

IsolatedSettings::~IsolatedSettings() {
    // Later settings objects must not write into the folder that is about to go.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir::tempPath());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QDir::tempPath());
}

IsolatedHome::IsolatedHome() : m_previous(qgetenv("HOME")) {
    qputenv("HOME", QFile::encodeName(m_dir.path()));
}

IsolatedHome::~IsolatedHome() {
    qputenv("HOME", m_previous);
}
