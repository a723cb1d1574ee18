#include "support/modaldialog.h"

#include <QApplication>
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
