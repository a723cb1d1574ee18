#include "app/commandline.h"

#include "app/startup.h"
#include "demodata/demodata.h"
#include "data/money.h"
#include "data/schema.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

bool readCount(const QCommandLineParser& parser, const QCommandLineOption& option, int* out) {
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0) {
        err() << "plenwick: --" << option.names().constFirst()
              << " takes a whole number of 0 or more, not \"" << parser.value(option) << "\".\n";
        return false;
    }
    *out = value;
    return true;
}

} // namespace

bool commandLineNeedsWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--create-database") || arg.startsWith("--generate-demo-data") ||
            arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all")
            return false;
    }
    return true;
}

int runPlenwick(QCoreApplication& app) {
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    QCoreApplication::setOrganizationName(QStringLiteral("Dorvane"));
    if (auto* gui = qobject_cast<QApplication*>(&app))
        gui->setApplicationDisplayName(QStringLiteral("Plenwick"));
    registerMoneyMetaType();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plenwick prices contractors' jobs."));
    parser.addHelpOption();
    const QCommandLineOption create(QStringLiteral("create-database"),
                                    QStringLiteral("Create a fresh, empty database file."),
                                    QStringLiteral("path"));
    const QCommandLineOption demo(QStringLiteral("generate-demo-data"),
                                  QStringLiteral("Create a database filled with generated data."),
                                  QStringLiteral("path"));
    DemoData::Counts counts;
    struct CountOption {
        QCommandLineOption option;
        int* target;
    };
    const QList<CountOption> countOptions = {
        {{QStringLiteral("materials"), QStringLiteral("Generated materials."), QStringLiteral("n")},
         &counts.materials},
        {{QStringLiteral("manufacturers"), QStringLiteral("Generated manufacturers."),
          QStringLiteral("n")},
         &counts.manufacturers},
        {{QStringLiteral("suppliers"), QStringLiteral("Generated suppliers."), QStringLiteral("n")},
         &counts.suppliers},
        {{QStringLiteral("categories"), QStringLiteral("Generated categories."),
          QStringLiteral("n")},
         &counts.categories},
        {{QStringLiteral("estimators"), QStringLiteral("Generated estimators."),
          QStringLiteral("n")},
         &counts.estimators},
        {{QStringLiteral("estimates"), QStringLiteral("Generated estimates."), QStringLiteral("n")},
         &counts.estimates},
        {{QStringLiteral("material-lines"), QStringLiteral("Material lines per estimate."),
          QStringLiteral("n")},
         &counts.materialLinesPerEstimate},
        {{QStringLiteral("labor-lines"), QStringLiteral("Labor lines per estimate."),
          QStringLiteral("n")},
         &counts.laborLinesPerEstimate},
    };
    parser.addOption(create);
    parser.addOption(demo);
    for (const auto& c : countOptions)
        parser.addOption(c.option);
    parser.process(app);

    if (parser.isSet(create) && parser.isSet(demo)) {
        err() << "plenwick: give either --create-database or --generate-demo-data, not both.\n";
        return 1;
    }
    for (const auto& c : countOptions)
        if (!readCount(parser, c.option, c.target))
            return 1;
    QString error;
    if (parser.isSet(create)) {
        if (!Schema::createFile(parser.value(create), &error)) {
            err() << "plenwick: " << error << "\n";
            return 1;
        }
        return 0;
    }
    if (parser.isSet(demo)) {
        if (!DemoData::generate(parser.value(demo), counts, &error)) {
            err() << "plenwick: " << error << "\n";
            return 1;
        }
        return 0;
    }
    auto* gui = qobject_cast<QApplication*>(&app);
    return gui ? SubMain(*gui) : 1;
}
