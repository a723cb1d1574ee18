#include "materials/materialpicker.h"

// Placeholder until the picker's window is built.
frmMaterials::frmMaterials(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmMaterials"));
    setWindowTitle(tr("Select a Material"));
}

frmMaterials::~frmMaterials() = default;

int frmMaterials::SelectMaterial(int& MaterialNum) {
    return exec() == QDialog::Rejected ? 0 : MaterialNum;
}
