#pragma once

#include "data/database.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

class QDialog;
class QLabel;
class QThread;

// Keeps the program alive while the database waits for a lock another program holds or works
// on a long statement: nothing for a short wait; past a moment, a small modal dialog that says
// what is going on and offers Stop (Esc too), with the program's events let through meanwhile
// so the windows repaint. The dialog is application-modal, so nothing else can start a
// statement while it is up. For the program's own connections, never the command-line modes.
// Make it on the window's thread.
class WaitFeedback : public WaitObserver {
public:
    WaitFeedback();
    ~WaitFeedback() override;
    WaitFeedback(const WaitFeedback&) = delete;
    WaitFeedback& operator=(const WaitFeedback&) = delete;

    bool keepWaiting(Kind kind) override;
    void waitEnded() override;

    // How long a wait goes unremarked before the dialog shows.
    static constexpr int kShowAfterMs = 400;

    // What the dialog says while a wait of this kind has lasted so long.
    static QString text(Kind kind, int seconds);

private:
    void show(Kind kind);

    QThread* m_thread; // the window's, where it was made: asked from any other, it stays out
    std::unique_ptr<QDialog> m_dialog; // made on the first long wait
    QLabel* m_message = nullptr;       // owned by the dialog
    Kind m_kind = Kind::Work;
    int m_secondsShown = -1;
    QElapsedTimer m_since;      // from the wait's first question; invalid between waits
    QElapsedTimer m_lastEvents; // when events were last let through
    QTimer m_leftOver;
    bool m_stop = false;   // the user asked to stop this wait
    bool m_inside = false; // letting events through just now
};
