#pragma once

#include <QString>

class QWidget;

// Before a database on a server is tried: when the server asks for a password the address and
// the server's own files do not give, asks the user for it (kept in memory only, see
// ServerPassword). False when the user cancelled; true otherwise, also when the server cannot be
// reached for another reason, which trying it then reports. A file's path is let through at once.
bool askServerPasswordIfNeeded(const QString& path, QWidget* parent);
