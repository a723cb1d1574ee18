#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class QWidget;

namespace Bench {

// The moment a matching widget has finished its first paint since arm(): the paint is seen on
// its way in, and the moment taken when the event loop is back, after the painting.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<bool(QWidget*)> match);
    void arm() {
        m_seen = false;
        done = false;
        m_since.start();
    }
    // Gives up after a minute (a benchmark must not hang).
    bool wait();
    bool done = false;
    double ms = -1;
    std::function<void()> then; // runs once the paint is done (closes a modal dialog, say)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(QWidget*)> m_match;
    QElapsedTimer m_since;
    bool m_seen = false;
};

// Watches one widget's paints.
FirstPaint* paintOf(QWidget* widget);

} // namespace Bench
