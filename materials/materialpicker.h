#pragma once

#include "data/money.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;

// "Select a Material": the catalogue's part numbers, descriptions and unit costs, filtered by
// manufacturer, supplier and category, from which an estimate takes its material lines. Each
// chosen material is handed over at once (MaterialClicled) and the window stays open, so several
// can be added in one visit; Cancel hides it, keeping its filters, size and position for the
// next visit. The filters are the ones the Materials screen remembers.
class frmMaterials : public QDialog {
    Q_OBJECT
public:
    // The window is placed over owner the first time it is shown.
    explicit frmMaterials(QWidget* owner);
    ~frmMaterials() override;

    // Shows the window modally until it is cancelled or closed. Returns 0 after Cancel;
    // otherwise the key of the last material handed over, or MaterialNum when none was.
    int SelectMaterial(int& MaterialNum);

signals:
    // One chosen material; raised while the window stays open.
    void MaterialClicled(int lMaterialID, const QString& PartNo, const QString& desc,
                         Money cost);
};
