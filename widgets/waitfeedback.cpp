#include "widgets/waitfeedback.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {
// Events are let through this often while the dialog is up: smooth to the eye, and cheap
// beside work asked about every few thousand engine steps.
constexpr int kEventsEveryMs = 15;
// No question for this long means the call that asked is over.
constexpr int kLeftOverMs = 1000;
} // namespace

WaitFeedback::WaitFeedback() : m_thread(QThread::currentThread()) {
    // The database tells waitEnded() when a call that asked returns; this catches any call that
    // ended unreported, so the dialog never outstays its statement. It can fire only once
    // questions stop coming, since each question restarts it.
    m_leftOver.setSingleShot(true);
    m_leftOver.setInterval(kLeftOverMs);
    QObject::connect(&m_leftOver, &QTimer::timeout, &m_leftOver, [this] { waitEnded(); });
}

WaitFeedback::~WaitFeedback() = default;

bool WaitFeedback::keepWaiting(Kind kind) {
    // Asked again from inside the events let through (a statement on another connection): go
    // on quietly, never a second dialog over the first. Work on another thread (a price list
    // read in the background) has its own progress and Stop; no widget may be touched there.
    if (m_inside || QThread::currentThread() != m_thread)
        return true;
    if (!m_since.isValid())
        m_since.start();
    if (m_stop)
        return false;
    if (m_since.elapsed() < kShowAfterMs)
        return true;
    m_leftOver.start();
    show(kind);
    if (!m_lastEvents.isValid() || m_lastEvents.elapsed() >= kEventsEveryMs) {
        m_inside = true;
        QCoreApplication::processEvents();
        m_inside = false;
        m_lastEvents.start();
    }
    return !m_stop;
}

void WaitFeedback::waitEnded() {
    // A statement run by an event, or on another thread, ended; the one waited on goes on.
    if (m_inside || QThread::currentThread() != m_thread)
        return;
    m_leftOver.stop();
    m_since.invalidate();
    m_lastEvents.invalidate();
    m_stop = false;
    if (m_dialog)
        m_dialog->hide();
}

QString WaitFeedback::text(Kind kind, int seconds) {
    switch (kind) {
    case Kind::Lock:
        return QStringLiteral("Waiting for the database file, which another program is using...");
    case Kind::Check:
        return QStringLiteral("Checking the database file before your change is saved... %1 s "
                              "so far.")
            .arg(seconds);
    case Kind::Copy:
        return QStringLiteral("Making today's backup of the database before your change is "
                              "saved... %1 s so far.")
            .arg(seconds);
    case Kind::Work:
        break;
    }
    return QStringLiteral("Working... %1 s so far.").arg(seconds);
}

void WaitFeedback::show(Kind kind) {
    if (!m_dialog) {
        m_dialog = std::make_unique<QDialog>();
        m_dialog->setObjectName(QStringLiteral("waitDialog"));
        m_dialog->setWindowTitle(QStringLiteral("Plenwick"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(m_dialog.get());
        m_message = new QLabel(m_dialog.get());
        m_message->setObjectName(QStringLiteral("waitMessage"));
        m_message->setToolTip(QStringLiteral("What the database is doing just now"));
        m_message->setMinimumWidth(360);
        m_message->setWordWrap(true);
        layout->addWidget(m_message);
        auto* buttons = new QHBoxLayout;
        layout->addLayout(buttons);
        buttons->addStretch();
        auto* stop = new QPushButton(QStringLiteral("&Stop"), m_dialog.get());
        stop->setObjectName(QStringLiteral("stopButton"));
        stop->setToolTip(QStringLiteral("Stop now (Esc): the database is left as it was, and "
                                        "what you typed stays on screen"));
        buttons->addWidget(stop);
        // Stop, Esc and the window's close button all reject the dialog.
        QObject::connect(stop, &QPushButton::clicked, m_dialog.get(), &QDialog::reject);
        QObject::connect(m_dialog.get(), &QDialog::rejected, m_dialog.get(),
                         [this] { m_stop = true; });
    }
    if (m_stop)
        return; // stopped: the dialog has gone and the statement is ending
    const int seconds = int(m_since.elapsed() / 1000);
    if (kind != m_kind || seconds != m_secondsShown || !m_dialog->isVisible()) {
        m_kind = kind;
        m_secondsShown = seconds;
        m_message->setText(text(kind, seconds));
    }
    if (!m_dialog->isVisible()) {
        m_dialog->show();
        m_dialog->raise();
        m_dialog->activateWindow();
    }
}
