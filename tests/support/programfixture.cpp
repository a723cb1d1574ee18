#include "support/programfixture.h"

#include "settings/registry.h"
#include "settings/settingsstore.h"

Program::Program() {
    WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), db.path());
}

bool Program::load() {
    objects.settings.LoadSettings();
    return objects.connection.isOpen();
}
