#pragma once

#include <QDialog>
#include <QList>
#include <functional>

// Runs open (which shows a dialog modally and returns when it closes) and, once the dialog is
// up, steps on it; closes the dialog if the steps leave it open, so a failed check never hangs
// the test. False when open showed no modal dialog.
bool whileModal(const std::function<void()>& open, const std::function<void(QDialog*)>& steps);

// Presses one key on each modal window as it comes up, in turn (the window's focused widget takes
// it): Enter on a question answers its default button, say.
void pressOnEachModal(const QList<Qt::Key>& keys);
