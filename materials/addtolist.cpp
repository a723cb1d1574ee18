#include "materials/addtolist.h"

#include "data/datacontrol.h"
#include "widgets/bindings.h"
#include "widgets/leavecheck.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QPointer>

QVariant askToAddToList(LookupKind kind, const QString& typed, QWidget* owner,
                        const std::function<void()>& reread) {
    const LookupList& list = lookupList(kind);
    if (showMessage(typed + list.notOnListQuestion, QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Question, list.notOnListTitle) != QMessageBox::Yes)
        return {};
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QVariant key;
    {
        const auto editor = makeLookupEditor(kind, owner);
        editor->proposeName(typed);
        editor->exec();
        key = editor->addedKey();
    }
    if (reread)
        reread();
    return key;
}

bool addTypedNameToList(LookupKind kind, ComboBinding* binding, DataControl* rowSource) {
    QComboBox* combo = binding->combo();
    const QString typed = combo->currentText();
    // Where the focus was going: the next field after Tab, or what was clicked.
    QPointer<QWidget> next = QApplication::focusWidget();
    const QVariant key =
        askToAddToList(kind, typed, combo->window(), [rowSource] { rowSource->refresh(); });
    if (key.isValid() && binding->choose(key)) {
        const bool elsewhere = next && next != combo && !combo->isAncestorOf(next);
        LeaveCheck::takeFocusBack(elsewhere ? next.data() : combo);
        return true;
    }
    // The list read again shows no typed text: it is put back, to be corrected.
    if (combo->currentText() != typed)
        combo->setEditText(typed);
    LeaveCheck::takeFocusBack(combo);
    return binding->matchedWithList();
}
