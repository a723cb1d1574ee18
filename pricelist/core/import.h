#pragma once

#include "data/dberror.h"
#include "data/money.h"
#include "pricelist/core/mapping.h"
#include "pricelist/core/reader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// A row of a price list the catalogue cannot take, and why. Rows are counted as in the file,
// the header being row 1.
struct RefusedRow {
    int row = 0;
    QString column; // the role, "Unit Cost"
    QString value;
    QString reason;
};

// A row matched to a material of the supplier (by part number, ignoring surrounding blanks and
// letter case) whose unit cost differs.
struct PriceChange {
    int row = 0;
    qint64 materialId = 0;
    QString partNumber;
    QString description;      // the catalogue's
    QString storedPartNumber; // the catalogue's, as stored: Apply checks it is still so
    Money oldCost;            // the catalogue's at the preview
    Money newCost;
    double changePercent = 0; // from the old cost; 100 when the old cost was 0
    bool flagged = false;     // beyond the preview's threshold: worth a second look
};

// A row whose part number the supplier has no material for.
struct NewMaterialRow {
    int row = 0;
    QString partNumber;
    QString description;
    QString manufacturer;
    QString category;
    Money unitCost;
    // The other suppliers the catalogue lists the part number under. Such a row is most often
    // the other supplier's material, so it is added only when the user ticks it.
    QStringList listedUnder = {};
    bool ticked = false;

    bool isListedElsewhere() const { return !listedUnder.isEmpty(); }
    // Added when new materials are: a new part number, or a ticked one listed elsewhere.
    bool isToBeAdded() const { return !isListedElsewhere() || ticked; }
};

// "Listed under Acme Supply", "Listed under Acme Supply, Bolt Brothers".
QString listedUnderText(const QStringList& suppliers);

// What applying a price list would do.
struct PriceListPreview {
    int rows = 0; // data rows read, the header not counted
    QList<PriceChange> changed;
    int unchanged = 0;
    QList<NewMaterialRow> added;
    QList<RefusedRow> refused;
};

struct PreviewOptions {
    qint64 supplierId = 0;
    ColumnMapping mapping;
    bool firstRowIsHeader = true;
    double flagPercent = 25; // a change beyond this many percent, up or down, is flagged
};

// Reads the rows of the table under the mapping and matches them with the supplier's materials.
// False with the reason in error when the catalogue could not be read or the reading was
// cancelled.
bool previewPriceList(Connection& connection, const PriceListTable& table,
                      const PreviewOptions& options, PriceListPreview* preview, DbError* error,
                      const PriceListProgress& progress = {});

struct ApplyOptions {
    qint64 supplierId = 0;
    // The new materials; a part number listed under another supplier only when ticked.
    bool addNew = false;
    // Manufacturer and category names not on their lists are added to them; otherwise a new
    // material takes the defaults (0: none, and a material without one is not added).
    bool createMissingNames = false;
    qint64 defaultManufacturerId = 0;
    qint64 defaultCategoryId = 0;
};

// What was applied: every change made, in the order of the file.
struct AppliedChange {
    // ChangedMeanwhile: a material whose unit cost or part number was changed (or which was
    // deleted) after the preview, left alone.
    enum Kind { PriceChanged, Added, NotAdded, ChangedMeanwhile };
    Kind kind = PriceChanged;
    int row = 0;
    QString partNumber;
    QString description;
    Money oldCost;
    Money newCost;
    QString note; // why a new material was not added, what changed meanwhile
    // A new material left out because it is listed under these other suppliers (NotAdded).
    QStringList listedUnder = {};
};

// The words for the change, as the report and the dialog show them.
QString appliedChangeName(const AppliedChange& change);

struct ApplyResult {
    QList<AppliedChange> changes;
    int priceChanges = 0;
    int added = 0;
    int changedMeanwhile = 0;
};

// Applies the preview in one transaction: the changed unit costs, each with today's price date,
// and (when asked) the new materials. A material whose unit cost or part number is no longer as
// the preview read it (another window or program saved it meanwhile), or which is gone, is left
// alone and listed as changed since the preview, as a screen's save would refuse to overwrite
// it. Nothing is applied when anything fails: false with the reason in error, and the catalogue
// is as it was.
bool applyPriceList(Connection& connection, const PriceListPreview& preview,
                    const ApplyOptions& options, ApplyResult* result, DbError* error,
                    const PriceListProgress& progress = {});

// The applied changes as CSV (UTF-8, comma-separated, a header row): row, part number,
// description, change, old and new unit cost, change in percent, note.
QByteArray changeReportCsv(const ApplyResult& result);
