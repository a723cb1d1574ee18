#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// Opens a document or web address with the program the desktop associates with it.

// What ShellOpen() hands to the desktop: a target with a scheme ("http:", "https:", "mailto:",
// "file:" ...) as that address, one beginning with "www." as an http address, anything else as a
// local path (relative to the working folder). A one-letter scheme is a Windows drive letter,
// hence a path.
QUrl shellTargetUrl(const QString& target);

// Opens the target. When the desktop refuses it, or a local file does not exist (then the
// desktop is not asked), an exclamation box with an OK button and no title says:
//   It is not possible to execute "TARGET".
//   File doesn't exist or computer is not configured to work in Internet.
// with a carriage return and line feed between the lines.
void ShellOpen(const QString& target);

// The function that actually asks the desktop; QDesktopServices::openUrl unless replaced (tests
// install one that records the address instead of starting programs). An empty function
// restores the default. Returns the previous one.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener setUrlOpener(UrlOpener opener);
