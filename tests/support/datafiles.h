#pragma once

// Files as the data tests make and read them, and a check that names what a text lacked.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>

// The whole file; empty when it cannot be read.
QByteArray fileContents(const QString& path);
// Replaces the file with these bytes; false when it cannot be written whole.
bool writeFile(const QString& path, const QByteArray& bytes);
// Every file in a folder, hidden ones too.
QStringList filesIn(const QString& folder);

// Verifies that a text holds a part (a text or a regular expression), showing the text if not.
#define VERIFY_CONTAINS(text, part) QVERIFY2((text).contains(part), qPrintable(text))
