#include "bench/firstpaint.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace Bench {

FirstPaint::FirstPaint(std::function<bool(QWidget*)> match) : m_match(std::move(match)) {
    qApp->installEventFilter(this);
}

bool FirstPaint::wait() {
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done;
}

bool FirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
        m_match(static_cast<QWidget*>(watched))) {
        m_seen = true;
        QTimer::singleShot(0, this, [this] {
            ms = double(m_since.nsecsElapsed()) / 1e6;
            done = true;
            if (then)
                then();
        });
    }
    return false;
}

FirstPaint* paintOf(QWidget* widget) {
    return new FirstPaint([widget](QWidget* w) { return w == widget; });
}

} // namespace Bench
