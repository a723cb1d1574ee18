#include "app/loadsteps.h"

#include "data/programerror.h"
#include "widgets/messagebox.h"

bool RunLoadSteps(const std::vector<std::function<void()>>& steps, const QString& title) {
    for (const auto& step : steps) {
        try {
            step();
        } catch (const ProgramError& e) {
            if (e.number() == ErrorNumber::kFileNotFound ||
                e.number() == ErrorNumber::kPathNotFound) {
                showMessage(e.description() + QStringLiteral("\r\r") +
                                QObject::tr("Please choose the company logo's file again "
                                            "under Edit > Preferences (Path to Logo)."),
                            QMessageBox::Ok, QMessageBox::Information);
                continue;
            }
            ShowError(QString::number(e.number()) + QStringLiteral(": ") + e.description(), title);
            return false;
        } catch (const std::exception& e) {
            ShowError(QStringLiteral("0: ") + QString::fromLocal8Bit(e.what()), title);
            return false;
        }
    }
    return true;
}
