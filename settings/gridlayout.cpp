#include "settings/gridlayout.h"

#include "widgets/messagebox.h"

void showCollectionMessage(const char* text) {
    // An empty title shows the application's own name.
    showMessage(QString::fromLatin1(text), QMessageBox::Ok, QMessageBox::NoIcon);
}
