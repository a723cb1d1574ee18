#pragma once

#include "data/recordset.h"

#include <QObject>

class DataControl;
class MaterialsList;
class RecordSetModel;

// What happens around the writing of a material in dcMaterials, whoever writes it (a save, or
// moving off a changed record): before the write its price date is stamped when the unit cost
// changed; after it, the list row shows the names of its supplier, manufacturer and category.
class MaterialBookkeeping : public QObject {
    Q_OBJECT
public:
    // The list tells which row shows a material and the price it shows.
    MaterialBookkeeping(DataControl* materials, const MaterialsList* list, QObject* parent);

private:
    void dcMaterials_WillChangeRecord(RecordSet::Reason reason, RecordSet* recordSet);
    void dcMaterials_RecordChangeComplete(RecordSet::Reason reason, RecordSet* recordSet);

    const MaterialsList* m_list;
    const RecordSetModel* m_listModel;
};
