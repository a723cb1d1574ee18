#pragma once

#include "pricelist/core/mapping.h"

// Kept in the user's settings, so it lives beside the dialog rather than with the readers.
// The mapping remembered for a supplier's lists, by the header names of its columns, so that a
// list whose columns moved still maps; nothing remembered gives the guess.
ColumnMapping rememberedMapping(const QString& supplier, const QStringList& header);
void rememberMapping(const QString& supplier, const QStringList& header,
                     const ColumnMapping& mapping);
