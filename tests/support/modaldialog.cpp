#include "support/modaldialog.h"

#include <QApplication>
#include <QTimer>

bool whileModal(const std::function<void()>& open, const std::function<void(QDialog*)>& steps) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ran = dialog != nullptr;
        if (dialog) {
            steps(dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    open();
    return ran;
}
