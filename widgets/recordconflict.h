#pragma once

#include "data/dberror.h"

#include <QString>

class RecordSet;

// A save or delete refused because someone else changed or deleted the record since it was
// read (another window of the program, or another program, on the same file).
enum class ConflictAnswer {
    None,     // the refusal was of another kind: nothing was shown
    KeepMine, // what was typed stays on the screen; a save after reading again stores it
    Reload,   // show the record as it is stored now, dropping what was typed
};

// Tells the user of such a refusal of a write of records' current row, asks what to do and
// does it: the row is read again, keeping what was typed (KeepMine) or dropping it (Reload).
// None, without a word, for any other error. The connection's provider errors are looked at
// too, and cleared once told.
ConflictAnswer settleConflict(RecordSet& records, const DbError& error, const QString& title);
