#include "settings/settingsstore.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "data/textcut.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "widgets/messagebox.h"

#include <QDir>
#include <QScopeGuard>

clsSettings* gSettings = nullptr;

namespace {

const QString kProgramKey = QStringLiteral("Dorvane\\PX");
const QString kGridsKey = QStringLiteral("Dorvane\\PX\\Grids");
const QString kDBPathValue = QStringLiteral("DBPath");
const QString kCompanySource = QStringLiteral("SELECT * FROM MyCompany");
// The table itself: a file used without its upgrade shows MyCompany through a view of this
// connection that adds the later columns, and a view cannot be written.
const QString kCompanyTable = QStringLiteral("SELECT * FROM main.MyCompany");
constexpr int kCompanyTextLimit = 255;
// Stored values beyond these are no layout or path this program wrote: they are ignored, so a
// damaged or hostile store cannot stall start-up.
constexpr qsizetype kMostStoredKeys = 500; // grids, and columns of one grid
constexpr int kWidestColumn = 100000;      // a column size

struct DefaultColumn {
    const char* caption;
    int size;
};
struct DefaultGrid {
    const char* name;
    bool isRowMarker;
    std::initializer_list<DefaultColumn> columns;
};

// The layouts every load makes sure of; sizes are percentages of the grid's width.
const DefaultGrid kDefaultGrids[] = {
    {"grdMaterialsList",
     false,
     {{"Part #", 10},
      {"Manufacturer", 10},
      {"Category", 16},
      {"Supplier", 16},
      {"Description", 27},
      {"Unit Cost", 9},
      {"Updated Last", 12}}},
    {"grdMaterialEstimate",
     true,
     {{"Quantity", 7},
      {"Part #", 19},
      {"Description", 36},
      {"Unit Cost", 7},
      {"Total Cost", 8},
      {"Price", 6},
      {"Extension", 8},
      {"Margin", 7}}},
    {"grdLaborEstimate", true, {{"Hours", 5}, {"Description", 77}, {"Rate", 7}, {"Extension", 8}}},
};

// A company detail and the MyCompany column that stores it.
struct CompanyField {
    const char* column;
    QString (clsSettings::*get)() const;
    void (clsSettings::*set)(const QString&);
};

const CompanyField kCompanyFields[] = {
    {"CompanyName", &clsSettings::CompanyName, &clsSettings::setCompanyName},
    {"CompanyAddress", &clsSettings::CompanyAdress, &clsSettings::setCompanyAdress},
    {"CompanyCity", &clsSettings::CompanyCity, &clsSettings::setCompanyCity},
    {"CompanyPhone", &clsSettings::CompanyPhone, &clsSettings::setCompanyPhone},
    {"CompanyFax", &clsSettings::CompanyFax, &clsSettings::setCompanyFax},
    {"CompanyEmail", &clsSettings::EMail, &clsSettings::setEMail},
    {"CompanyWebSite", &clsSettings::WebPage, &clsSettings::setWebPage},
    {"CompanyLogo", &clsSettings::LogoPath, &clsSettings::setLogoPath},
};

const DbError kClosedConnection{ErrorNumber::kOperationNotAllowed,
                                QStringLiteral("Operation is not allowed when the object is "
                                               "closed.")};

void report(const DbError& error, const QString& title) {
    showProcedureError(error, title);
}

std::shared_ptr<clsGrid> GetOrAddGrid(colGrids& grids, const QString& gridName) {
    if (auto grid = grids.Item(gridName))
        return grid;
    auto grid = std::make_shared<clsGrid>();
    grid->setGridName(gridName);
    grid->setKey(gridName);
    grids.Add(grid);
    return grid;
}

std::shared_ptr<clsColumn> GetOrAddColumn(clsGrid& grid, const QString& caption, int size) {
    if (auto column = grid.Columns().Item(caption))
        return column;
    auto column = std::make_shared<clsColumn>();
    column->setColumnCaption(caption);
    column->setKey(caption);
    column->setColumnSize(QString::number(size));
    grid.Columns().Add(column);
    return column;
}

// Adds a grid's stored columns within the limits; what lies beyond them is named in ignored.
void addStoredColumns(clsGrid& grid, const QList<std::shared_ptr<clsColumn>>& columns,
                      QStringList& ignored) {
    if (columns.size() > kMostStoredKeys)
        ignored << QStringLiteral("%1 columns of %2")
                       .arg(columns.size() - kMostStoredKeys)
                       .arg(grid.GridName());
    int badSizes = 0;
    for (const auto& column : columns.mid(0, kMostStoredKeys)) {
        bool ok = false;
        const int size = column->ColumnSize().toInt(&ok);
        if (!ok || size < 0 || size > kWidestColumn) {
            ++badSizes;
            continue;
        }
        grid.Columns().Add(column);
    }
    if (badSizes > 0)
        ignored << QStringLiteral("%1 column sizes of %2").arg(badSizes).arg(grid.GridName());
}

// The quote's defaults; a file from before them (or a damaged value) keeps the built-in ones.
void readQuoteDefaults(const RecordSet& company, clsSettings& settings) {
    if (company.fieldIndex(QStringLiteral("QuoteValidDays")) < 0)
        return;
    bool ok = false;
    const int days = company.value(QStringLiteral("QuoteValidDays")).toInt(&ok);
    if (ok && days >= 0 && days <= clsSettings::kLongestValidity)
        settings.setQuoteValidDays(days);
    const QVariant terms = company.value(QStringLiteral("QuoteTerms"));
    if (!terms.isNull())
        settings.setQuoteTerms(cutToLength(terms.toString(), clsSettings::kTermsLimit));
    const QVariant acceptance = company.value(QStringLiteral("QuoteAcceptanceLine"));
    if (!acceptance.isNull())
        settings.setQuoteAcceptanceLine(acceptance.toInt() != 0);
}

// Reads the first MyCompany row into the settings; a null column leaves its property alone.
DbError readCompany(clsSettings& settings) {
    RecordSet company;
    company.setLockType(RecordSet::LockReadOnly);
    if (!company.open(*gConnection, kCompanySource))
        return company.lastError();
    company.moveFirst();
    if (company.isEOF())
        return {ErrorNumber::kNoCurrentRecord,
                QStringLiteral("Either BOF or EOF is True, or the current record has been "
                               "deleted. Requested operation requires a current record.")};
    for (const CompanyField& f : kCompanyFields) {
        const QString column = QString::fromLatin1(f.column);
        if (company.fieldIndex(column) < 0)
            return {3265, QStringLiteral("Item cannot be found in the collection corresponding "
                                         "to the requested name or ordinal.")};
        const QVariant value = company.value(column);
        if (!value.isNull())
            (settings.*f.set)(value.toString());
    }
    readQuoteDefaults(company, settings);
    return {};
}

// Whether the company row holds these values, each in its column, already.
bool holdsAlready(const QStringList& columns, const QVariantList& values) {
    Statement same(gConnection->database(),
                   QStringLiteral("SELECT 1 FROM main.MyCompany WHERE rowid = (SELECT MIN(rowid) "
                                  "FROM main.MyCompany) AND ") +
                       columns.join(QStringLiteral(" IS ? AND ")) + QStringLiteral(" IS ?"));
    return same.bindAll(values) && same.next();
}

// Writes every company detail, empty ones too, so that clearing a detail takes effect. A table
// without its row gets one: the details the user typed are never dropped.
DbError writeCompany(const clsSettings& settings) {
    if (!gConnection || !gConnection->isOpen())
        return kClosedConnection;
    RecordSet company;
    company.setLockType(RecordSet::LockOptimistic);
    if (!company.open(*gConnection, kCompanyTable))
        return company.lastError();
    company.moveFirst();
    const bool hasRow = !company.isEOF();
    const bool keepsQuoteDefaults = company.fieldIndex(QStringLiteral("QuoteValidDays")) >= 0;
    company.close();

    QStringList columns;
    QVariantList values;
    for (const CompanyField& f : kCompanyFields) {
        columns << QString::fromLatin1(f.column);
        QString text = cutToLength((settings.*f.get)(), kCompanyTextLimit);
        // Stored as empty text, not NULL: loading leaves a property alone for a NULL column.
        if (text.isNull())
            text = QLatin1String("");
        values << text;
    }
    if (keepsQuoteDefaults) {
        columns << QStringLiteral("QuoteValidDays") << QStringLiteral("QuoteTerms")
                << QStringLiteral("QuoteAcceptanceLine");
        values << settings.QuoteValidDays()
               << cutToLength(settings.QuoteTerms(), clsSettings::kTermsLimit)
               << int(settings.QuoteAcceptanceLine());
    }
    // MyCompany has no key for the record set to write by, so its one row is written here;
    // unless it holds all of it already: a close that changed nothing writes nothing.
    QString sql;
    if (hasRow && holdsAlready(columns, values))
        return {};
    if (hasRow) {
        sql = QStringLiteral("UPDATE main.MyCompany SET ") +
              columns.join(QStringLiteral(" = ?, ")) +
              QStringLiteral(" = ? WHERE rowid = (SELECT MIN(rowid) FROM main.MyCompany)");
    } else {
        sql = QStringLiteral("INSERT INTO main.MyCompany (") + columns.join(QStringLiteral(", ")) +
              QStringLiteral(") VALUES (?") + QStringLiteral(", ?").repeated(columns.size() - 1) +
              QStringLiteral(")");
    }
    if (!gConnection->execute(sql, values))
        return gConnection->lastError();
    return {};
}

} // namespace

clsSettings::clsSettings() = default;

clsSettings::~clsSettings() = default;

DbError clsSettings::LoadCompany() {
    return readCompany(*this);
}

void clsSettings::LoadSettings() {
    QStringList ignored;
    QString stored;
    m_pathToDB = ReadRegString(kProgramKey, kDBPathValue, stored) ? stored.trimmed() : QString();
    if (m_pathToDB.size() > clsSettings::kLongestPath) {
        ignored << QStringLiteral("a database path of %1 characters").arg(m_pathToDB.size());
        m_pathToDB.clear();
    }
    // Before the database opens: an unread store means the default database is used.
    reportStoreProblems();
    // Said once, whichever way the load ends.
    const auto warn = qScopeGuard([&ignored] {
        if (!ignored.isEmpty())
            qWarning("Settings beyond their limits were ignored: %s",
                     qPrintable(ignored.join(QStringLiteral("; "))));
    });

    DbError error{10001, QStringLiteral("Could not open database connection.")};
    // OpenConnection may replace an empty path by the default one, which becomes PathToDB.
    if (gConnection && OpenConnection(m_pathToDB, *gConnection))
        error = readCompany(*this);
    if (error.isSet()) {
        report(error, QStringLiteral("LoadSettings"));
        return;
    }

    // Stored layouts first, in stored order; then whatever of the defaults is still missing.
    qsizetype storedGrids = 0;
    if (const auto stored = EnumRegSubkeyColumns(kGridsKey, kMostStoredKeys, &storedGrids)) {
        if (storedGrids > kMostStoredKeys)
            ignored << QStringLiteral("%1 grids").arg(storedGrids - kMostStoredKeys);
        for (const RegSubkeyColumns& layout : *stored) {
            auto grid = std::make_shared<clsGrid>();
            grid->setGridName(layout.name);
            grid->setKey(layout.name);
            m_grids.Add(grid);
            addStoredColumns(*grid, layout.columns, ignored);
        }
    }
    for (const DefaultGrid& defaults : kDefaultGrids) {
        const auto grid = GetOrAddGrid(m_grids, QString::fromLatin1(defaults.name));
        for (const DefaultColumn& column : defaults.columns)
            GetOrAddColumn(*grid, QString::fromLatin1(column.caption), column.size);
        grid->setIsRowMarker(defaults.isRowMarker);
    }
}

void clsSettings::SaveSettings() {
    if (const DbError error = writeCompany(*this); error.isSet()) {
        report(error, QStringLiteral("SaveSettings"));
        return;
    }
    WriteRegString(kProgramKey, kDBPathValue, m_pathToDB.trimmed());
    for (const auto& grid : m_grids) {
        // A grid without a name has no key of its own to be stored under.
        if (grid->GridName().isEmpty())
            continue;
        const QString key = kGridsKey + QLatin1Char('\\') + grid->GridName();
        for (const auto& column : grid->Columns())
            WriteRegString(key, column->ColumnCaption(), column->ColumnSize());
    }
    reportStoreProblems();
}

void clsSettings::reportStoreProblems() {
    const RegStoreProblems problems = TakeRegStoreProblems();
    QString text;
    if (problems.unreadable && !m_toldUnreadable) {
        m_toldUnreadable = true;
        text = QObject::tr("The settings file %1 could not be read. The program uses its "
                           "default database and layouts, and may not keep your changes.");
    } else if (problems.unwritable && !m_toldUnwritable && !m_toldUnreadable) {
        m_toldUnwritable = true;
        text = QObject::tr("The settings file %1 could not be written. Changes to the database "
                           "path and grid layouts will not be kept.");
    }
    if (text.isEmpty())
        return;
    text = text.arg(QDir::toNativeSeparators(problems.fileName));
    qWarning("%s", qPrintable(text));
    showMessage(text, QMessageBox::Ok, QMessageBox::Warning, QObject::tr("Settings"));
}

void clsSettings::Refresh() {
    LoadSettings();
}
