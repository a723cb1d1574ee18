#pragma once

#include <QLabel>

// A label that shows a web address as a link and opens it with ShellOpen when clicked (or when
// Enter is pressed on it, after Tab brought the focus there).
QLabel* linkLabel(QWidget* parent, const QString& name, const QString& address);
