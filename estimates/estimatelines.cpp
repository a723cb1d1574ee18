#include "estimates/estimatelines.h"

#include "data/datacontrol.h"
#include "estimates/laborlines.h"
#include "estimates/materiallines.h"
#include "widgets/recordsetmodel.h"

#include <QEvent>
#include <QPushButton>

EstimateLines::EstimateLines(QWidget* screen)
    : QObject(screen), material(new MaterialLines(screen)), labor(new LaborLines(screen)),
      dcMaterialEstimate(material->dataControl), dcLaborEstimate(labor->dataControl),
      grdMaterialEstimate(material->grid), btnMaterialEstimate(material->btnMaterialEstimate),
      grdLaborEstimate(labor->grid) {
    setObjectName(QStringLiteral("estimateLines"));
    for (QTableView* grid : {grdMaterialEstimate, grdLaborEstimate})
        grid->viewport()->installEventFilter(this);
    connect(material, &LineList::linesChanged, this, &EstimateLines::materialLinesChanged);
    connect(labor, &LineList::linesChanged, this, &EstimateLines::laborLinesChanged);
}

bool EstimateLines::showLinesOf(int estimateId) {
    const bool materialShown = material->showLinesOf(estimateId);
    return labor->showLinesOf(estimateId) && materialShown;
}

void EstimateLines::setLineEntryEnabled(bool enabled) {
    grdMaterialEstimate->setEnabled(enabled);
    grdLaborEstimate->setEnabled(enabled);
    material->setAddEnabled(enabled);
}

void EstimateLines::setAddMaterialsEnabled(bool enabled) {
    material->setAddEnabled(enabled);
}

void EstimateLines::setEstimateWriter(const std::function<bool()>& writer) {
    material->setEstimateWriter(writer);
    labor->setEstimateWriter(writer);
}

RecordSet* EstimateLines::materialLines() const {
    return material->lines();
}

RecordSet* EstimateLines::laborLines() const {
    return labor->lines();
}

void EstimateLines::applyColumnFractions() {
    material->applyColumnFractions();
    labor->applyColumnFractions();
}

void EstimateLines::writeNewLines() {
    material->model->submit();
    labor->model->submit();
}

bool EstimateLines::eventFilter(QObject* watched, QEvent* event) {
    // A grid on a hidden tab learns its width only when shown: the columns follow it then.
    if (event->type() == QEvent::Resize)
        applyColumnFractions();
    return QObject::eventFilter(watched, event);
}
