#pragma once

#include <QString>

// A new file built under a temporary name in its target's folder and renamed into place only
// once it is complete, so that an interrupted build never leaves a damaged file at the target.
// Unless committed, the temporary file (and any SQLite journal beside it) is removed when the
// object goes out of scope.
class PartialFile {
public:
    explicit PartialFile(const QString& target);
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Empty when no temporary file could be made; error() says why.
    QString temporaryPath() const { return m_temporary; }
    QString error() const { return m_error; }
    // The finished file takes the permissions of the file at path (a copy of a database is no
    // more open than the database), rather than those of the file it replaces.
    void takePermissionsOf(const QString& path) { m_permissionsOf = path; }
    enum class Existing { Refuse, Replace };
    // Flushes the finished file to disk and gives it the target's name; refuses to replace a
    // file that appeared at the target meanwhile, unless told to replace it (in one step: the
    // target is never missing). Every handle on the file must be closed.
    bool commit(Existing existing = Existing::Refuse);

private:
    void discard();

    QString m_target;
    QString m_permissionsOf;
    QString m_temporary;
    QString m_error;
};

// Makes the folder (its parent must exist) that copies of the file at like are kept in, open to
// no one the file is closed to: 0700 for a file of 0600, 0755 for one of 0644. A folder already
// there that grants more is narrowed so. False when there is no folder.
bool makeFolderFor(const QString& folder, const QString& like);

// Writes bytes to path through a temporary file that takes the name only once every byte of it
// was written: a full disk, or any failed write, flush or rename, leaves a file that was at path
// byte for byte as it was. False with the reason in *error.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);
