#pragma once

class Database;
class QWidget;

// Edit > Duplicate Estimate, as Home and the Estimate screen share it: asks for the copy's
// reference number (the next free one proposed; a text that is not a number, or a number in use,
// is refused with the dialog kept open and the typing kept), then copies the stored estimate
// (EstimateCopy) dated today, valid for the default days, with the default terms when the
// original has none. The new estimate's key; 0 when the user cancelled.
int DuplicateEstimate(QWidget* parent, Database& db, int sourceId);
