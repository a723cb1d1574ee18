#include "materials/materialbookkeeping.h"

#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/money.h"
#include "materials/materialsframe.h"
#include "materials/materialslist.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QDateTime>

namespace {

enum Column {
    kMaterialsID = 0,
    kManufacturerID = 1,
    kSuppliersID = 2,
    kCatagoryID = 3,
    kManufacturer = 5,
    kCategory = 6,
    kSupplier = 7,
    kUnitCost = 9,
    kUpdatedLast = 10,
};

struct Lookup {
    const char* sql;
    int keyColumn;
    int nameColumn;
};

// In the order the names are filled in.
const Lookup kLookups[] = {
    {"SELECT ManufacturerName FROM ManufacturersTBL WHERE ManufacturerID = ?", kManufacturerID,
     kManufacturer},
    {"SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = ?", kCatagoryID, kCategory},
    {"SELECT Company FROM SuppliersTBL WHERE SuppliersID = ?", kSuppliersID, kSupplier},
};

} // namespace

MaterialBookkeeping::MaterialBookkeeping(DataControl* materials, const MaterialsList* list,
                                         QObject* parent)
    : QObject(parent), m_list(list), m_listModel(list->listModel()) {
    setObjectName(QStringLiteral("materialBookkeeping"));
    connect(materials, &DataControl::willChangeRecord, this,
            [this](RecordSet::Reason reason, int, bool*, RecordSet* records) {
                dcMaterials_WillChangeRecord(reason, records);
            });
    connect(materials, &DataControl::recordChangeComplete, this,
            [this](RecordSet::Reason reason, int, const DbError& error, RecordSet* records) {
                if (!error.isSet())
                    dcMaterials_RecordChangeComplete(reason, records);
            });
}

void MaterialBookkeeping::dcMaterials_WillChangeRecord(RecordSet::Reason reason,
                                                       RecordSet* recordSet) {
    if (reason != RecordSet::ReasonUpdate || !recordSet)
        return;
    // A new material's price is as of the day it is entered.
    if (recordSet->editMode() == RecordSet::EditAdd) {
        recordSet->setValue(kUpdatedLast, QDateTime::currentDateTime());
        return;
    }
    const QVariant id = recordSet->value(kMaterialsID);
    if (id.isNull())
        return;
    const int row = m_list->FindMaterialsGridRow(id);
    if (row < 1)
        return;
    // The list still holds the stored price; the record holds the one about to be written. The
    // amounts are compared, not their texts, so a change below half a cent stamps the date too.
    const QVariant stored = m_listModel->data(m_listModel->index(row - 1, kUnitCost), Qt::EditRole);
    const QVariant typed = recordSet->value(kUnitCost);
    if (stored.isNull() != typed.isNull() || stored.value<Money>() != typed.value<Money>())
        recordSet->setValue(kUpdatedLast, QDateTime::currentDateTime());
}

void MaterialBookkeeping::dcMaterials_RecordChangeComplete(RecordSet::Reason reason,
                                                           RecordSet* recordSet) {
    if (reason != RecordSet::ReasonUpdate || !recordSet || !gConnection)
        return;
    // The written row already holds the stored fields; the names come from their lists. A key
    // with no row in its list shows an empty name, as the list itself would after a reload.
    for (const Lookup& lookup : kLookups) {
        QString name;
        const QVariant key = recordSet->value(lookup.keyColumn);
        if (!key.isNull()) {
            Statement query(gConnection->database(), QString::fromLatin1(lookup.sql));
            if (query.bindAll({key}) && query.next())
                name = query.value(0).toString();
            if (query.failed()) {
                const DbError e = query.error();
                showProcedureError(e, QStringLiteral("RecordChangeComplete"));
                continue;
            }
        }
        recordSet->setDerivedValue(lookup.nameColumn, name.isEmpty() ? QVariant() : QVariant(name));
    }
}
