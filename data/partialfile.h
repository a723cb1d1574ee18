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
    enum class Existing { Refuse, Replace };
    // Flushes the finished file to disk and gives it the target's name; refuses to replace a
    // file that appeared at the target meanwhile, unless told to replace it (in one step: the
    // target is never missing). Every handle on the file must be closed.
    bool commit(Existing existing = Existing::Refuse);

private:
    void discard();

    QString m_target;
    QString m_temporary;
    QString m_error;
};
