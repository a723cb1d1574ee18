#include "support/modaldialog.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

bool whileModal(const std::function<void()>& open, const std::function<void(QDialog*)>& steps) {
    // Shared with the timer, which outlives this call when open() shows no dialog: it then
    // finds the call over and does nothing.
    struct State {
        bool ran = false;
        bool open = true;
    };
    auto state = std::make_shared<State>();
    QTimer::singleShot(0, [state, steps] {
        if (!state->open)
            return;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        state->ran = dialog != nullptr;
        if (dialog) {
            steps(dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    open();
    state->open = false;
    return state->ran;
}

void pressOnEachModal(const QList<Qt::Key>& keys) {
    auto* timer = new QTimer(qApp);
    auto left = std::make_shared<QList<Qt::Key>>(keys);
    auto last = std::make_shared<QPointer<QWidget>>();
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == *last)
            return;
        *last = modal;
        const Qt::Key key = left->takeFirst();
        if (left->isEmpty())
            timer->deleteLater();
        QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, key);
    });
    timer->start(10);
    // Keys no window came up for are not pressed on a later test's windows.
    QTimer::singleShot(10000, timer, &QObject::deleteLater);
}
