#pragma once

class Database;
class EstimateBook;
class QWidget;

// Edit > Duplicate Estimate, as Home and the Estimate screen share it: asks for the copy's
// reference number (the next free one proposed; a text that is not a number, or a number in use,
// is refused with the dialog kept open and the typing kept), then copies the stored estimate
// (EstimateCopy) dated today, valid for the default days, with the default terms when the
// original has none. The new estimate's key; 0 when the user cancelled.
int DuplicateEstimate(QWidget* parent, Database& db, int sourceId);

// DuplicateEstimate on the book's file, then the copy made the book's current and selected
// estimate (a failure to read it back is reported). The copy's key; 0 when there is none.
int DuplicateAndOpen(QWidget* parent, EstimateBook& book, int sourceId);
