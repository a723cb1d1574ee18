#pragma once

#include <QByteArray>
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

// While alive, the home folder is an empty temporary folder, so the documents and pictures
// folders under it exist only once a test makes them.
class IsolatedHome {
public:
    IsolatedHome();
    ~IsolatedHome();
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
