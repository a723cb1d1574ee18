#include "data/schema.h"

#include "data/database.h"
#include "data/partialfile.h"
#include "data/pricing.h"
#include "data/sqldialect.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <iterator>

namespace {

// Money columns are declared CURRENCY and rates DOUBLE: the record layer reads the declared type
// to hand out exact currency amounts. Dates are ISO-8601 text declared DATETIME.
const char* const kTables[] = {
    "CREATE TABLE CatagoryTBL (CatagoryID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "Catagory VARCHAR(50))",
    "CREATE TABLE ManufacturersTBL (ManufacturerID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "ManufacturerName VARCHAR(50))",
    "CREATE TABLE SuppliersTBL (SuppliersID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "Company VARCHAR(50))",
    "CREATE TABLE Estimators (EstimatorID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "Estimator VARCHAR(50))",
    "CREATE TABLE StatusesTBL (StatusID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "StatusDescription VARCHAR(50))",
    // A material may outlive its supplier, manufacturer or category row: no constraint there.
    "CREATE TABLE MaterialsTBL (MaterialsID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "ManufacturerID INTEGER, SuppliersID INTEGER, CatagoryID INTEGER, PartNumber VARCHAR(50), "
    "ManufacturerDescription VARCHAR(255), UnitCost CURRENCY, UpdatedLast DATETIME)",
    "CREATE TABLE EstimateTBL (EstimateID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "QuoteNumber INTEGER UNIQUE, EstimateData DATETIME, TaxRate DOUBLE, Shipping CURRENCY, "
    "EstimatorID INTEGER, EstimateStatus INTEGER)",
    "CREATE TABLE MaterialEstimateTBL (MaterialEstimateID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "EstimateID INTEGER REFERENCES EstimateTBL (EstimateID), "
    "MaterialsID INTEGER REFERENCES MaterialsTBL (MaterialsID), Quantity DOUBLE, "
    "PartNumber VARCHAR(50), ManufacturerDescription VARCHAR(255), UnitCost CURRENCY, "
    "TotalCost CURRENCY, Price CURRENCY, Extension CURRENCY, Margin DOUBLE)",
    "CREATE TABLE LaborEstimateTBL (LaborEstimateID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "EstimateID INTEGER REFERENCES EstimateTBL (EstimateID), Hours DOUBLE, "
    "LaborDescription VARCHAR(255), LaborRate CURRENCY, LaborExtension CURRENCY)",
    "CREATE TABLE MyCompany (CompanyName VARCHAR(255), CompanyAddress VARCHAR(255), "
    "CompanyCity VARCHAR(255), CompanyPhone VARCHAR(255), CompanyFax VARCHAR(255), "
    "CompanyEmail VARCHAR(255), CompanyWebSite VARCHAR(255), CompanyLogo VARCHAR(255))",
    "CREATE TABLE Test (EstimateID INTEGER, EstimateData DATETIME, QuoteNumber INTEGER, "
    "TaxRate DOUBLE, Shipping CURRENCY, Estimator VARCHAR(50), TotalMaterial CURRENCY, "
    "TotalLabor CURRENCY, GrandTotal CURRENCY)",
    // The program's own bookkeeping: the password verifier and the columns' display names.
    "CREATE TABLE DatabaseInfo (Name VARCHAR(50) PRIMARY KEY, Value VARCHAR(255))",
    "CREATE TABLE ColumnDescriptions (TableName VARCHAR(64), ColumnName VARCHAR(64), "
    "Description VARCHAR(255), PRIMARY KEY (TableName, ColumnName))",
};

// What the third structure adds: customers, and each estimate's customer, job, validity and
// terms; the quote's defaults beside the company details. An upgraded file gets the columns by
// ALTER TABLE, which appends them to the table's text as ", <column>" before its last
// parenthesis: a new file's tables are made with that same text, so both check alike.
const char* const kCustomersTable =
    "CREATE TABLE CustomersTBL (CustomerID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "CustomerName VARCHAR(255) NOT NULL, ContactName VARCHAR(255), Address VARCHAR(255), "
    "City VARCHAR(255), Phone VARCHAR(255), Email VARCHAR(255), Notes VARCHAR(4000))";

struct AddedColumns {
    const char* table;
    std::initializer_list<const char*> columns;
};
const AddedColumns kCustomerColumns[] = {
    {"EstimateTBL",
     {"CustomerID INTEGER REFERENCES CustomersTBL (CustomerID)", "JobName VARCHAR(255)",
      "JobAddress VARCHAR(255)", "ValidUntil DATETIME", "Terms VARCHAR(4000)"}},
    {"MyCompany",
     {"QuoteValidDays INTEGER DEFAULT 30", "QuoteTerms VARCHAR(4000) DEFAULT ''",
      "QuoteAcceptanceLine INTEGER DEFAULT 1"}},
};

// Customers are unique by name without regard to case; the Home list and the search join an
// estimate's customer through its key.
const char* const kCustomerIndexes[] = {
    "CREATE UNIQUE INDEX CustomersByName ON CustomersTBL (CustomerName COLLATE NOCASE)",
    "CREATE INDEX EstimateByCustomer ON EstimateTBL (CustomerID)",
};

const char* const kIndexes[] = {
    "CREATE INDEX MaterialEstimateByEstimate ON MaterialEstimateTBL (EstimateID)",
    "CREATE INDEX MaterialEstimateByMaterial ON MaterialEstimateTBL (MaterialsID)",
    "CREATE INDEX LaborEstimateByEstimate ON LaborEstimateTBL (EstimateID)",
    "CREATE INDEX EstimateByDate ON EstimateTBL (EstimateData)",
    "CREATE INDEX MaterialsByManufacturer ON MaterialsTBL (ManufacturerID)",
    "CREATE INDEX MaterialsBySupplier ON MaterialsTBL (SuppliersID)",
    "CREATE INDEX MaterialsByCategory ON MaterialsTBL (CatagoryID)",
};

// Indexes younger than the first database files: a new file gets them with the others, an older
// one when it is opened (addMissingIndexes). The material picker jumps by part number, and lists
// the catalogue by description, both without regard to case: that index holds every column the
// list reads, so the list is one pass over the index in its order, with no look-up of each row
// in the table (a tenth of the time on 150,000 materials).
const char* const kLaterIndexes[] = {
    "MaterialsByPartNumber ON MaterialsTBL (PartNumber COLLATE NOCASE)",
    "MaterialsListByDescription ON MaterialsTBL (ManufacturerDescription COLLATE NOCASE, "
    "MaterialsID, PartNumber, UnitCost, ManufacturerID, SuppliersID, CatagoryID)",
};

// The name a CREATE statement gives its object: the word after TABLE, VIEW or INDEX.
QString createdName(const QString& sql) {
    const QStringList words = sql.simplified().split(QLatin1Char(' '));
    const qsizetype kind =
        words.indexOf(QStringLiteral("TABLE")) >= 0  ? words.indexOf(QStringLiteral("TABLE"))
        : words.indexOf(QStringLiteral("VIEW")) >= 0 ? words.indexOf(QStringLiteral("VIEW"))
                                                     : words.indexOf(QStringLiteral("INDEX"));
    return kind >= 0 && kind + 1 < words.size() ? words.at(kind + 1) : QString();
}

// The tables a file of the given structure holds, with their texts.
QStringList tableStatements(int structure = Schema::kStructureVersion) {
    QStringList tables;
    for (const char* sql : kTables) {
        QString text = QString::fromLatin1(sql);
        for (const AddedColumns& added : kCustomerColumns) {
            if (structure < 3 || createdName(text) != QLatin1String(added.table))
                continue;
            text.chop(1);
            for (const char* column : added.columns)
                text += QStringLiteral(", ") + QLatin1String(column);
            text += QLatin1Char(')');
        }
        tables << text;
    }
    if (structure >= 3)
        tables << QString::fromLatin1(kCustomersTable);
    return tables;
}

QStringList indexStatements(int structure = Schema::kStructureVersion) {
    QStringList indexes;
    for (const char* sql : kIndexes)
        indexes << QString::fromLatin1(sql);
    for (const char* index : kLaterIndexes)
        indexes << QStringLiteral("CREATE INDEX ") + QLatin1String(index);
    if (structure >= 3)
        for (const char* sql : kCustomerIndexes)
            indexes << QString::fromLatin1(sql);
    return indexes;
}

// The views of the first structures, as files of those structures carry them, so that such a
// file can be checked before it is upgraded. Their sums were taken in whole ten-thousandths.
QString unitSum(const char* column, const char* table, const char* alias) {
    return QStringLiteral("((SELECT SUM(CAST(ROUND(%1 * 10000) AS INTEGER)) FROM %2 %3 "
                          "WHERE %3.EstimateID = e.EstimateID) / 10000.0)")
        .arg(QLatin1String(column), QLatin1String(table), QLatin1String(alias));
}

QStringList firstViewStatements() {
    const QString extension = unitSum("Extension", "MaterialEstimateTBL", "m");
    const QString cost = unitSum("TotalCost", "MaterialEstimateTBL", "m");
    const QString labor = unitSum("LaborExtension", "LaborEstimateTBL", "l");
    return {
        QStringLiteral("CREATE VIEW PXSum AS SELECT e.EstimateID AS EstimateID, "
                       "ROUND(IFNULL(%1, 0) + IFNULL(%2, 0), 4) AS TotalEstimate, "
                       "%1 AS MaterialsTotal, %2 AS LaborsTotal, %3 AS MaterialsTotalCost, "
                       "ROUND(%1 - %3, 4) AS MaterialsMargineTotal FROM EstimateTBL e")
            .arg(extension, labor, cost),
        QStringLiteral("CREATE VIEW EstimatesAll AS SELECT e.EstimateID AS EstimateID, "
                       "e.QuoteNumber AS [Reference #], es.Estimator AS Estimator, "
                       "s.StatusDescription AS Status, e.EstimateData AS [Date], "
                       "%1 AS Materials, "
                       "ROUND(IFNULL(%1, 0) * (1 + IFNULL(e.TaxRate, 0)) + IFNULL(%2, 0) "
                       "+ IFNULL(e.Shipping, 0), 4) AS [Grand Total] "
                       "FROM EstimateTBL e "
                       "LEFT JOIN Estimators es ON es.EstimatorID = e.EstimatorID "
                       "LEFT JOIN StatusesTBL s ON s.StatusID = e.EstimateStatus")
            .arg(extension, labor),
        QStringLiteral("CREATE VIEW rptMain AS SELECT e.EstimateID AS EstimateID, "
                       "e.EstimateData AS EstimateData, e.QuoteNumber AS QuoteNumber, "
                       "e.TaxRate AS TaxRate, e.Shipping AS Shipping, es.Estimator AS Estimator, "
                       "%1 AS TotalMaterialExtension, %2 AS LaborExtensionSum "
                       "FROM EstimateTBL e "
                       "LEFT JOIN Estimators es ON es.EstimatorID = e.EstimatorID")
            .arg(extension, labor),
    };
}

// The sum of a column's printed cents over an estimate's lines, an integer (NULL without
// lines). Sums per estimate are correlated look-ups through the EstimateID indexes, so asking
// for one estimate reads only that estimate's lines.
QString centsSum(const char* column, const char* table, const char* alias) {
    return QStringLiteral("(SELECT SUM(%1) FROM %2 %3 WHERE %3.EstimateID = e.EstimateID)")
        .arg(Pricing::Sql::cents(
                 QStringLiteral("%1.%2").arg(QLatin1String(alias), QLatin1String(column))),
             QLatin1String(table), QLatin1String(alias));
}

// The printed lines: materials first, then labor, each group named by its Type.
const char* const kDetailView =
    "CREATE VIEW rptDetail AS "
    "SELECT m.EstimateID AS EstimateID, 'Materials' AS Type, 1 AS TypeOrder, "
    "m.MaterialEstimateID AS LineID, m.Quantity AS Quantity, "
    "m.PartNumber AS PartNumber, m.ManufacturerDescription AS Description, "
    "m.Price AS Price, m.Extension AS Extension "
    "FROM MaterialEstimateTBL m "
    "UNION ALL "
    "SELECT l.EstimateID, 'Labor', 2, l.LaborEstimateID, l.Hours, NULL, "
    "l.LaborDescription, l.LaborRate, l.LaborExtension "
    "FROM LaborEstimateTBL l";

// The views a file of the given structure carries. From the second on, every total is a sum of
// whole cents, as the pricing module computes it, so the Home list, the totals panel and the
// printed quote show the same figures.
QStringList viewStatements(int structure = Schema::kStructureVersion) {
    if (structure <= 1)
        return firstViewStatements() << QString::fromLatin1(kDetailView);
    const QString extension = centsSum("Extension", "MaterialEstimateTBL", "m");
    const QString cost = centsSum("TotalCost", "MaterialEstimateTBL", "m");
    const QString labor = centsSum("LaborExtension", "LaborEstimateTBL", "l");
    const QString tax = Pricing::Sql::taxCents(QStringLiteral("IFNULL(%1, 0)").arg(extension),
                                               QStringLiteral("IFNULL(e.TaxRate, 0)"));
    const QString shipping = Pricing::Sql::cents(QStringLiteral("IFNULL(e.Shipping, 0)"));
    return {
        QStringLiteral("CREATE VIEW PXSum AS SELECT e.EstimateID AS EstimateID, "
                       "(IFNULL(%1, 0) + IFNULL(%2, 0)) / 100.0 AS TotalEstimate, "
                       "%1 / 100.0 AS MaterialsTotal, %2 / 100.0 AS LaborsTotal, "
                       "%3 / 100.0 AS MaterialsTotalCost, "
                       "(%1 - %3) / 100.0 AS MaterialsMargineTotal FROM EstimateTBL e")
            .arg(extension, labor, cost),
        // The grand total is the quote's: materials taxed, labor untaxed, shipping added. From
        // the third structure on, the customer and the job follow the reference number.
        QStringLiteral("CREATE VIEW EstimatesAll AS SELECT e.EstimateID AS EstimateID, "
                       "e.QuoteNumber AS [Reference #], %5es.Estimator AS Estimator, "
                       "s.StatusDescription AS Status, e.EstimateData AS [Date], "
                       "%1 / 100.0 AS Materials, "
                       "(IFNULL(%1, 0) + %3 + IFNULL(%2, 0) + %4) / 100.0 AS [Grand Total] "
                       "FROM EstimateTBL e "
                       "LEFT JOIN Estimators es ON es.EstimatorID = e.EstimatorID "
                       "LEFT JOIN StatusesTBL s ON s.StatusID = e.EstimateStatus%6")
            .arg(extension, labor, tax, shipping,
                 structure >= 3 ? QStringLiteral("c.CustomerName AS Customer, e.JobName AS Job, ")
                                : QString(),
                 structure >= 3 ? QStringLiteral(" LEFT JOIN CustomersTBL c ON c.CustomerID = "
                                                 "e.CustomerID")
                                : QString()),
        QStringLiteral("CREATE VIEW rptMain AS SELECT e.EstimateID AS EstimateID, "
                       "e.EstimateData AS EstimateData, e.QuoteNumber AS QuoteNumber, "
                       "e.TaxRate AS TaxRate, e.Shipping AS Shipping, es.Estimator AS Estimator, "
                       "%1 / 100.0 AS TotalMaterialExtension, %2 / 100.0 AS LaborExtensionSum "
                       "FROM EstimateTBL e "
                       "LEFT JOIN Estimators es ON es.EstimatorID = e.EstimatorID")
            .arg(extension, labor),
        QString::fromLatin1(kDetailView),
    };
}

const char* const kStatuses[] = {"Draft",   "Sent",    "Accepted", "Declined",
                                 "On Hold", "Ordered", "Completed"};

struct Description {
    const char* table;
    const char* column;
    const char* text;
};

// Display names used in messages about a column ("Shipping has a wrong value.").
const Description kDescriptions[] = {
    {"EstimateTBL", "QuoteNumber", "Reference #;the user's reference number of the quote"},
    {"EstimateTBL", "EstimateData", "Date;the date of the estimate"},
    {"EstimateTBL", "TaxRate", "Tax Rate;sales tax on materials, as a fraction"},
    {"EstimateTBL", "Shipping", "Shipping;the shipping charge of the quote"},
    {"MaterialsTBL", "PartNumber", "Part #"},
    {"MaterialsTBL", "ManufacturerDescription", "Description"},
    {"MaterialsTBL", "UnitCost", "Unit Cost"},
    {"MaterialsTBL", "UpdatedLast", "Updated Last;the date the unit cost last changed"},
    {"MaterialEstimateTBL", "Quantity", "Quantity"},
    {"MaterialEstimateTBL", "Margin", "Margin"},
    {"LaborEstimateTBL", "Hours", "Hours"},
    {"LaborEstimateTBL", "LaborDescription", "Description"},
    {"LaborEstimateTBL", "LaborRate", "Rate"},
};

// Those of the third structure's columns.
const Description kCustomerDescriptions[] = {
    {"CustomersTBL", "CustomerName", "Customer"},
    {"CustomersTBL", "ContactName", "Contact"},
    {"CustomersTBL", "Email", "E-mail"},
    {"EstimateTBL", "CustomerID", "Customer"},
    {"EstimateTBL", "JobName", "Job"},
    {"EstimateTBL", "JobAddress", "Job Site"},
    {"EstimateTBL", "ValidUntil", "Valid Until;the last day the quote's prices hold"},
    {"EstimateTBL", "Terms", "Terms;the terms printed on the quote"},
};

bool run(Database& db, const QString& sql, const QVariantList& values, QString* error) {
    Statement q(db, sql);
    if (!q.bindAll(values) || !q.execute()) {
        *error = q.error().description;
        return false;
    }
    return true;
}

} // namespace

namespace Schema {

QStringList requiredColumns(const QString& table) {
    // An estimate is known by its reference number; a material is listed and picked by its part
    // number and description. (Its supplier, manufacturer, category and unit cost are checked
    // field by field as the user leaves them.)
    if (table.compare(QLatin1String("EstimateTBL"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("QuoteNumber")};
    if (table.compare(QLatin1String("MaterialsTBL"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("PartNumber"), QStringLiteral("ManufacturerDescription")};
    return {};
}

QString databasePassword() {
    return QStringLiteral("7a3c915e08");
}

QString passwordVerifier(const QString& salt, const QString& password) {
    const QByteArray data = (salt + QLatin1Char(':') + password).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

namespace {
// Every object a file of the given structure holds, as "type name" in lower case, with the text
// that creates it.
QHash<QString, QString> ownObjects(int structure = kStructureVersion) {
    QHash<QString, QString> own;
    for (const QString& sql : tableStatements(structure))
        own.insert(QStringLiteral("table ") + createdName(sql).toLower(), sql);
    for (const QString& sql : indexStatements(structure))
        own.insert(QStringLiteral("index ") + createdName(sql).toLower(), sql);
    for (const QString& sql : viewStatements(structure))
        own.insert(QStringLiteral("view ") + createdName(sql).toLower(), sql);
    return own;
}

// The views and indexes of a file that do not carry the text of the given structure.
QStringList notAsMade(Database& db, int structure) {
    if (db.isServer())
        return {};
    Statement objects(db,
                      QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE type IN "
                                     "('view', 'index') AND sql IS NOT NULL ORDER BY type, name"));
    const QHash<QString, QString> own = ownObjects(structure);
    QStringList found;
    while (objects.next()) {
        const QString type = objects.value(0).toString();
        const QString name = objects.value(1).toString();
        const auto it = own.constFind(type + QLatin1Char(' ') + name.toLower());
        if (it != own.constEnd() && objects.value(2).toString().simplified() != it->simplified())
            found << type + QLatin1Char(' ') + name + QStringLiteral(" (altered)");
    }
    return found;
}

// Why an object under a name of SQLite's own ("sqlite_...") is not one the engine made for
// itself, or an empty text when it is: the counter of AUTOINCREMENT keys, the statistics ANALYZE
// keeps (tables of the engine's own text), and the indexes that stand for a UNIQUE or PRIMARY KEY
// constraint of the program's tables (no text). Anything else under such a name, a trigger above
// all, was written into the schema by hand, and SQLite would run it all the same.
QString engineObjectFault(const QString& type, const QString& name, const QString& table,
                          const QVariant& sql, const QHash<QString, QString>& own) {
    static const QHash<QString, QString> kEngineTables = {
        {QStringLiteral("sqlite_sequence"),
         QStringLiteral("CREATE TABLE sqlite_sequence(name,seq)")},
        {QStringLiteral("sqlite_stat1"), QStringLiteral("CREATE TABLE sqlite_stat1(tbl,idx,stat)")},
        {QStringLiteral("sqlite_stat2"),
         QStringLiteral("CREATE TABLE sqlite_stat2(tbl,idx,sampleno,sample)")},
        {QStringLiteral("sqlite_stat3"),
         QStringLiteral("CREATE TABLE sqlite_stat3(tbl,idx,neq,nlt,ndlt,sample)")},
        {QStringLiteral("sqlite_stat4"),
         QStringLiteral("CREATE TABLE sqlite_stat4(tbl,idx,neq,nlt,ndlt,sample)")},
    };
    static const QRegularExpression kAutoIndex(QStringLiteral("^sqlite_autoindex_(.+)_[0-9]+$"));
    const QString named = type + QLatin1Char(' ') + name;
    if (type == QLatin1String("table")) {
        const auto it = kEngineTables.constFind(name);
        if (it == kEngineTables.constEnd() || table != name)
            return named;
        return sql.toString() == *it ? QString() : named + QStringLiteral(" (altered)");
    }
    if (type == QLatin1String("index")) {
        const QRegularExpressionMatch match = kAutoIndex.match(name);
        if (!match.hasMatch() || match.captured(1) != table ||
            !own.contains(QStringLiteral("table ") + table.toLower()))
            return named;
        return sql.isNull() ? QString() : named + QStringLiteral(" (altered)");
    }
    return named; // a trigger or a view: the engine makes none
}

// An index an early build of the picker made, in files of the first structure; an upgrade drops
// it, its work done by MaterialsListByDescription.
const QString kEarlyIndex = QStringLiteral("MaterialsByDescription");
} // namespace

int fileStructure(Database& db) {
    // A file keeps the number in its header; a server, which has no such header, in the
    // program's own table.
    Statement version(db, db.isServer()
                              ? QStringLiteral("SELECT CAST(Value AS INTEGER) FROM DatabaseInfo "
                                               "WHERE Name = 'Structure'")
                              : QStringLiteral("PRAGMA user_version"));
    return version.next() ? int(version.integer(0)) : -1;
}

namespace {
bool setStructure(Database& db, int structure) {
    if (!db.isServer())
        return db.execute(QStringLiteral("PRAGMA user_version = %1").arg(structure));
    Statement stamp(db,
                    QStringLiteral("UPDATE DatabaseInfo SET Value = ? WHERE Name = 'Structure'"));
    if (!stamp.bindAll({QString::number(structure)}) || !stamp.execute())
        return false;
    if (db.changes() > 0)
        return true;
    Statement first(db, QStringLiteral("INSERT INTO DatabaseInfo (Name, Value) "
                                       "VALUES ('Structure', ?)"));
    return first.bindAll({QString::number(structure)}) && first.execute();
}
} // namespace

QHash<QByteArray, QString> nameSpellings() {
    static const QHash<QByteArray, QString> names = [] {
        QHash<QByteArray, QString> found;
        for (const QString& sql : tableStatements() + indexStatements() + viewStatements())
            SqlDialect::collectNames(sql, &found);
        return found;
    }();
    return names;
}

QString declaredType(const QString& table, const QString& column) {
    // Each column's type as the program's own table texts declare it, by "table.column" in
    // lower case.
    static const QHash<QString, QString> types = [] {
        QHash<QString, QString> found;
        for (const QString& sql : tableStatements()) {
            const QString table = createdName(sql).toLower();
            const qsizetype open = sql.indexOf(QLatin1Char('('));
            int depth = 0;
            qsizetype start = open + 1;
            for (qsizetype i = open + 1; i < sql.size(); ++i) {
                const QChar c = sql.at(i);
                depth += c == QLatin1Char('(') ? 1 : c == QLatin1Char(')') ? -1 : 0;
                if ((c == QLatin1Char(',') && depth == 0) || depth < 0) {
                    const QStringList words =
                        sql.mid(start, i - start).simplified().split(QLatin1Char(' '));
                    if (words.size() >= 2 && words.first() != QLatin1String("PRIMARY"))
                        found.insert(table + QLatin1Char('.') + words.first().toLower(),
                                     words.at(1));
                    start = i + 1;
                }
                if (depth < 0)
                    break;
            }
        }
        return found;
    }();
    return types.value(table.toLower() + QLatin1Char('.') + column.toLower());
}

bool isProgramFile(Database& db) {
    if (db.isServer()) {
        Statement info(db, QStringLiteral("SELECT to_regclass('databaseinfo') IS NOT NULL"));
        return info.next() && info.integer(0) == 1;
    }
    Statement info(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                      "name = 'DatabaseInfo' COLLATE NOCASE"));
    return info.next();
}

QStringList foreignObjects(Database& db) {
    // On a server, who may create or change what is the server's own business: its roles and
    // permissions guard the schema, and no trigger can be slipped into a copied file.
    if (db.isServer())
        return {};
    // A file of the first structure predates this check: its tables must be the program's
    // already, its views and indexes are rebuilt from the program's own text (upgrade()). A
    // newer structure is refused as such.
    const int structure = fileStructure(db);
    if (structure > kStructureVersion)
        return {};
    const bool firstStructure = structure == 0;
    Statement objects(db, QStringLiteral("SELECT type, name, sql, tbl_name FROM sqlite_master "
                                         "ORDER BY type, name"));
    QStringList found;
    bool plenwickFile = false;
    const QHash<QString, QString> own = ownObjects(structure);
    while (objects.next()) {
        const QString type = objects.value(0).toString();
        const QString name = objects.value(1).toString();
        if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) {
            if (const QString fault = engineObjectFault(type, name, objects.value(3).toString(),
                                                        objects.value(2), own);
                !fault.isEmpty())
                found << fault;
            continue;
        }
        if (type == QLatin1String("table") &&
            name.compare(QLatin1String("DatabaseInfo"), Qt::CaseInsensitive) == 0)
            plenwickFile = true;
        const auto it = own.constFind(type + QLatin1Char(' ') + name.toLower());
        if (it == own.constEnd()) {
            if (!(firstStructure && type == QLatin1String("index") &&
                  name.compare(kEarlyIndex, Qt::CaseInsensitive) == 0))
                found << type + QLatin1Char(' ') + name;
            continue;
        }
        if (firstStructure && type != QLatin1String("table"))
            continue;
        // Same name and kind, other text: a column's default, a check or a view's query could
        // have been changed to act on its own.
        if (objects.value(2).toString().simplified() != it->simplified())
            found << type + QLatin1Char(' ') + name + QStringLiteral(" (altered)");
    }
    return plenwickFile ? found : QStringList();
}

bool useTemporaryWorkTable(Database& db) {
    for (const char* sql : kTables)
        if (QString text = QString::fromLatin1(sql); createdName(text) == QLatin1String("Test"))
            return db.execute(text.replace(QLatin1String("CREATE TABLE"),
                                           QLatin1String("CREATE TEMP TABLE IF NOT EXISTS")));
    return false;
}

namespace {
bool replaceViews(Database& db, int structure) {
    QString ignored;
    for (const QString& sql : viewStatements(structure))
        if (!db.execute(QStringLiteral("DROP VIEW IF EXISTS \"%1\"").arg(createdName(sql))) ||
            !run(db, sql, {}, &ignored))
            return false;
    return true;
}

// From files of the first structure: views and indexes made again from the program's text,
// which also does away with any other text in their place.
bool toStructure1(Database& db) {
    QString ignored;
    if (!replaceViews(db, 1) || !db.execute(QStringLiteral("DROP INDEX IF EXISTS ") + kEarlyIndex))
        return false;
    for (const char* sql : kIndexes) {
        const QString text = QString::fromLatin1(sql);
        if (!db.execute(QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(createdName(text))) ||
            !run(db, text, {}, &ignored))
            return false;
    }
    // Made again by addMissingIndexes().
    for (const char* index : kLaterIndexes)
        if (!db.execute(QStringLiteral("DROP INDEX IF EXISTS \"%1\"")
                            .arg(QString::fromLatin1(index).section(QLatin1Char(' '), 0, 0))))
            return false;
    return true;
}

// The views total whole cents, as the pricing module does. The stored lines keep their amounts.
bool toStructure2(Database& db) {
    return replaceViews(db, 2);
}

// Customers, and each estimate's customer, job, validity and terms; the quote's defaults kept
// with the company details. Existing estimates keep everything they had, with no customer.
bool toStructure3(Database& db) {
    QString ignored;
    if (!run(db, QString::fromLatin1(kCustomersTable), {}, &ignored))
        return false;
    for (const AddedColumns& added : kCustomerColumns)
        for (const char* column : added.columns)
            if (!run(db,
                     QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                         .arg(QLatin1String(added.table), QLatin1String(column)),
                     {}, &ignored))
                return false;
    for (const char* sql : kCustomerIndexes)
        if (!run(db, QString::fromLatin1(sql), {}, &ignored))
            return false;
    for (const auto& d : kCustomerDescriptions)
        if (!run(db,
                 db.isServer()
                     ? QStringLiteral("INSERT INTO ColumnDescriptions (TableName, ColumnName, "
                                      "Description) VALUES (?, ?, ?) ON CONFLICT (TableName, "
                                      "ColumnName) DO UPDATE SET Description = "
                                      "excluded.Description")
                     : QStringLiteral("INSERT OR REPLACE INTO ColumnDescriptions (TableName, "
                                      "ColumnName, Description) VALUES (?, ?, ?)"),
                 {QString::fromLatin1(d.table), QString::fromLatin1(d.column),
                  QString::fromLatin1(d.text)},
                 &ignored))
            return false;
    return replaceViews(db, 3);
}

using UpgradeStep = bool (*)(Database&);
// kSteps[n - 1] brings a file of structure n - 1 to structure n.
const UpgradeStep kSteps[] = {toStructure1, toStructure2, toStructure3};
static_assert(std::size(kSteps) == kStructureVersion);
} // namespace

bool needsUpgrade(Database& db) {
    const int structure = fileStructure(db);
    return structure >= 0 && structure < kStructureVersion;
}

bool upgrade(Database& db) {
    const int structure = fileStructure(db);
    if (structure < 0 || structure > kStructureVersion)
        return false;
    // A read-only or locked file goes without, at once, as it goes without later indexes.
    db.setBusyTimeout(0);
    bool ok = true;
    for (int next = structure + 1; ok && next <= kStructureVersion; ++next) {
        Transaction transaction(db);
        ok = transaction.isActive() && kSteps[next - 1](db) && setStructure(db, next) &&
             transaction.commit();
    }
    db.setBusyTimeout(Database::kDefaultBusyTimeoutMs);
    return ok;
}

QStringList objectsNotAsMade(Database& db) {
    // A file of the first structure carried no number yet; the earliest texts known are those
    // of the structure that first kept one.
    return notAsMade(db, std::max(1, fileStructure(db)));
}

bool useCurrentViews(Database& db) {
    if (db.isServer()) // a server's structure is brought up to date, or the program refuses it
        return false;
    // A file from before customers gets, for this connection only, an empty customer list and
    // its estimate and company tables seen through views that add the later columns as empty:
    // the screens read it as they read a current file.
    if (fileStructure(db) < 3) {
        const QString customers = QString::fromLatin1(kCustomersTable);
        if (!db.execute(QStringLiteral("DROP TABLE IF EXISTS temp.CustomersTBL")) ||
            !db.execute(QString(customers).replace(QStringLiteral("CREATE TABLE"),
                                                   QStringLiteral("CREATE TEMP TABLE"))))
            return false;
        for (const AddedColumns& added : kCustomerColumns) {
            QStringList columns;
            for (const char* column : added.columns)
                columns << QStringLiteral("NULL AS ") +
                               QString::fromLatin1(column).section(QLatin1Char(' '), 0, 0);
            const QString table = QLatin1String(added.table);
            if (!db.execute(QStringLiteral("DROP VIEW IF EXISTS temp.%1").arg(table)) ||
                !db.execute(QStringLiteral("CREATE TEMP VIEW %1 AS SELECT *, %2 FROM main.%1")
                                .arg(table, columns.join(QStringLiteral(", ")))))
                return false;
        }
    }
    for (const QString& sql : viewStatements()) {
        const QString temporary =
            QString(sql).replace(QStringLiteral("CREATE VIEW"), QStringLiteral("CREATE TEMP VIEW"));
        if (!db.execute(QStringLiteral("DROP VIEW IF EXISTS temp.\"%1\"").arg(createdName(sql))) ||
            !db.execute(temporary))
            return false;
    }
    return true;
}

namespace {
bool hasIndex(Database& db, const QString& definition) {
    Statement exists(db, db.isServer()
                             ? QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = "
                                              "current_schema() AND indexname = LOWER(?)")
                             : QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'index' "
                                              "AND name = ?"));
    return exists.bind(0, definition.section(QLatin1Char(' '), 0, 0)) && exists.next();
}
} // namespace

bool missesIndexes(Database& db) {
    return !std::all_of(std::begin(kLaterIndexes), std::end(kLaterIndexes),
                        [&db](const char* index) { return hasIndex(db, QLatin1String(index)); });
}

void addMissingIndexes(Database& db) {
    for (const char* index : kLaterIndexes) {
        const QString definition = QString::fromLatin1(index);
        // Looked up first, so the usual open writes nothing and never waits for a lock.
        if (hasIndex(db, definition))
            continue;
        // A read-only or locked file simply goes without, at once; its lists are slower, not
        // wrong.
        db.setBusyTimeout(0);
        db.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS ") + definition);
        db.setBusyTimeout(Database::kDefaultBusyTimeoutMs);
    }
}

bool create(Database& db, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = db.error().description;
        return false;
    }
    // Names are compared without regard to case, as in a file: on a server by a collation of
    // that name.
    if (db.isServer() &&
        !run(db,
             QStringLiteral("CREATE COLLATION IF NOT EXISTS nocase (provider = icu, locale = "
                            "'und-u-ks-level2', deterministic = false)"),
             {}, error))
        return false;
    // A server checks a reference when it is declared: the customers come before the estimates
    // that refer to them.
    QStringList tables = tableStatements();
    std::stable_partition(tables.begin(), tables.end(), [](const QString& sql) {
        return createdName(sql) == QLatin1String("CustomersTBL");
    });
    for (const QString& sql : std::as_const(tables))
        if (!run(db, sql, {}, error))
            return false;
    for (const QString& sql : indexStatements())
        if (!run(db, sql, {}, error))
            return false;
    for (const QString& sql : viewStatements())
        if (!run(db, sql, {}, error))
            return false;
    for (const char* status : kStatuses)
        if (!run(db, QStringLiteral("INSERT INTO StatusesTBL (StatusDescription) VALUES (?)"),
                 {QString::fromLatin1(status)}, error))
            return false;
    QList<Description> descriptions(std::begin(kDescriptions), std::end(kDescriptions));
    descriptions.append({std::begin(kCustomerDescriptions), std::end(kCustomerDescriptions)});
    for (const auto& d : std::as_const(descriptions))
        if (!run(db,
                 QStringLiteral("INSERT INTO ColumnDescriptions (TableName, ColumnName, "
                                "Description) VALUES (?, ?, ?)"),
                 {QString::fromLatin1(d.table), QString::fromLatin1(d.column),
                  QString::fromLatin1(d.text)},
                 error))
            return false;
    if (!run(db,
             QStringLiteral("INSERT INTO MyCompany (CompanyName, CompanyAddress, CompanyCity, "
                            "CompanyPhone, CompanyFax, CompanyEmail, CompanyWebSite, CompanyLogo) "
                            "VALUES ('', '', '', '', '', '', '', '')"),
             {}, error))
        return false;
    const QString salt = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString insertInfo =
        QStringLiteral("INSERT INTO DatabaseInfo (Name, Value) VALUES (?, ?)");
    if (!run(db, insertInfo, {QStringLiteral("PasswordSalt"), salt}, error) ||
        !run(db, insertInfo,
             {QStringLiteral("PasswordVerifier"), passwordVerifier(salt, databasePassword())},
             error) ||
        !run(db, insertInfo, {QStringLiteral("SchemaVersion"), QStringLiteral("1")}, error))
        return false;
    // The structure the file is checked against whenever it is opened.
    if (!setStructure(db, kStructureVersion)) {
        *error = db.error().description;
        return false;
    }
    if (!transaction.commit()) {
        *error = db.error().description;
        return false;
    }
    return true;
}

bool createOnServer(const QString& address, QString* error, const Filler& fill) {
    QString ignored;
    if (!error)
        error = &ignored;
    Database db;
    if (!db.open(address)) {
        *error = db.error().description;
        return false;
    }
    Statement tables(db, QStringLiteral("SELECT COUNT(*) FROM pg_class WHERE relnamespace = "
                                        "to_regnamespace(current_schema())::oid AND relkind IN "
                                        "('r', 'v')"));
    if (!tables.next()) {
        *error = tables.error().description;
        return false;
    }
    if (tables.integer(0) > 0) {
        *error = QStringLiteral("The database at %1 already holds tables; the program's tables "
                                "are made only in an empty database. It was left as it is.")
                     .arg(SqlDialect::shownAddress(address));
        return false;
    }
    // Everything in one transaction: a failure leaves the database empty.
    Transaction whole(db);
    if (!create(db, error) || (fill && !fill(db, error)))
        return false;
    if (!whole.commit()) {
        *error = db.error().description;
        return false;
    }
    return true;
}

bool createFile(const QString& path, QString* error, const Filler& fill) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (path.trimmed().isEmpty()) {
        *error = QStringLiteral("No file was named to create.");
        return false;
    }
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("The file \"%1\" already exists; it was left as it is.").arg(path);
        return false;
    }
    PartialFile file(path);
    if (file.temporaryPath().isEmpty()) {
        *error = file.error();
        return false;
    }
    {
        Database db;
        if (!db.open(file.temporaryPath(), Database::OpenMode::Create)) {
            *error = db.error().description;
            return false;
        }
        db.execute(QStringLiteral("PRAGMA foreign_keys = ON"));
        if (!create(db, error) || (fill && !fill(db, error)))
            return false;
    }
    if (!file.commit()) {
        *error = file.error();
        return false;
    }
    return true;
}

} // namespace Schema
