#pragma once

#include <QString>

// Passwords typed for a database server, kept in this program's memory until it ends and never
// written anywhere: a server's own rules (the address, PG* variables, ~/.pgpass) are the lasting
// way to give one.
namespace ServerPassword {

void remember(const QString& address, const QString& password);
// The password typed for the address, or an empty text.
QString forAddress(const QString& address);

} // namespace ServerPassword
