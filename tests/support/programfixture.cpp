#include "support/programfixture.h"

#include "demodata/demodata.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"

Program::Program() {
    WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), db.path());
}

bool Program::load() {
    objects.settings.LoadSettings();
    return objects.connection.isOpen();
}

GeneratedProgram::GeneratedProgram(int materials) {
    DemoData::Counts counts;
    counts.materials = materials;
    counts.manufacturers = 12;
    counts.suppliers = 9;
    counts.categories = 15;
    counts.estimators = 2;
    counts.estimates = 3;
    counts.materialLinesPerEstimate = 2;
    counts.laborLinesPerEstimate = 1;
    const QString path = db.freshPlace(QStringLiteral("generated.mdb"));
    QString error;
    if (!DemoData::generate(path, counts, &error))
        qFatal("cannot generate: %s", qPrintable(error));
    WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), path);
}
