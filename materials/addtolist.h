#pragma once

#include "materials/lookupeditors.h"

#include <QVariant>
#include <functional>

class ComboBinding;
class DataControl;

// Asks whether a name typed into a combo box, on no entry of its list, should be added to the
// list and, on Yes, opens the list's editor with the name on its new line: one Enter stores it
// and closes the editor, Esc leaves without adding. reread runs once the editor has closed, as
// the list may have changed. Returns the added entry's key; invalid when none was added.
QVariant askToAddToList(LookupKind kind, const QString& typed, QWidget* owner,
                        const std::function<void()>& reread);

// The same for a combo bound to the list, run as the user leaves it: once the name is added, the
// combo shows the new entry (its record takes the new key) and the focus goes on where it was
// going, the next field after Tab. Otherwise the combo keeps the typed text and the focus. True
// when the combo's text names an entry of the list.
bool addTypedNameToList(LookupKind kind, ComboBinding* binding, DataControl* rowSource);
