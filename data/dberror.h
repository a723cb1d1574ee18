#pragma once

#include <QString>
#include <QtGlobal>

// An error as the screens report it: a number and a description ("number: description").
struct DbError {
    qint64 number = 0;
    QString description;
    // The database's own number for the refusal, when it tells more than number does (a missing
    // required value, a duplicate); 0 when it is number itself.
    qint64 nativeError = 0;

    bool isSet() const { return number != 0 || !description.isEmpty(); }
    QString text() const { return QString::number(number) + QStringLiteral(": ") + description; }
};

// One entry of a connection's provider error list.
struct ProviderError {
    qint64 nativeError = 0;
    QString description;
};

// Error numbers the screens key on.
namespace ErrorNumber {
// A row is still referenced by rows of another table.
constexpr qint64 kReferencedRow = -534971980;
// The generic failure: a missing required value or another refused write.
constexpr qint64 kGenericFailure = -2147467259;
constexpr qint64 kInvalidPassword = -2147217843;
constexpr qint64 kTypeMismatch = -2147352571;
constexpr qint64 kNoCurrentRecord = 3021;
constexpr qint64 kRowNotFound = -2147217864;
constexpr qint64 kOperationNotAllowed = 3219;
// Native numbers of refused writes, found in a connection's provider errors.
constexpr qint64 kRequiredValueMissing = 1023;
constexpr qint64 kDuplicateValue = 3022;
// The file is locked by another program (or another window of this one) for longer than a
// statement waits.
constexpr qint64 kFileInUse = 3260;
// The file is damaged: its structure fails SQLite's check.
constexpr qint64 kDamagedFile = 3049;
// A write found its row changed, or gone, since the record set read it: another window or
// program wrote it meanwhile. What was typed is kept.
constexpr qint64 kRecordChanged = 3197;
constexpr qint64 kRecordDeleted = 3167;
// The file can only be read: the system does not let the program change it.
constexpr qint64 kReadOnlyFile = 3027;
// The user stopped a statement before it finished; it changed nothing.
constexpr qint64 kOperationStopped = 3059;
// The database server went away (stopped, the network down): the next action connects again.
constexpr qint64 kConnectionLost = 3151;
} // namespace ErrorNumber
