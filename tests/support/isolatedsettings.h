#pragma once

#include <QTemporaryDir>

// While alive, the program's per-user settings (QSettings, user scope, every format) live in a
// temporary folder, so a test starts from an empty store and leaves the user's own alone.
class IsolatedSettings {
public:
    IsolatedSettings();
    ~IsolatedSettings();
    IsolatedSettings(const IsolatedSettings&) = delete;
    IsolatedSettings& operator=(const IsolatedSettings&) = delete;

    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
