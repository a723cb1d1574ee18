#pragma once

#include <QString>

class Connection;
struct CompanyDetails;

// Writes the quote of the estimate with this reference number to path, as HTML or PDF by the
// path's extension, dated today, without showing anything. False with the reason in error (no
// estimate has that reference, the file cannot be written). A logo that cannot be loaded is
// left out and said in warning.
bool exportQuoteFile(Connection& connection, const CompanyDetails& company,
                     const QString& reference, const QString& path, QString* error,
                     QString* warning);
