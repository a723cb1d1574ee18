#pragma once

#include <QDate>

class RecordSet;

// What a new estimate dated date starts with: the status "Draft", Valid Until the company's
// default number of days later, and the company's default terms. The record is the estimate
// being added (or a copy being made), not yet written.
void applyQuoteDefaults(RecordSet& estimate, QDate date);
