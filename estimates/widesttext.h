#pragma once

#include <QFont>
#include <QList>
#include <QString>

// Which of many texts may be the widest in a font, found without laying each one out: the texts
// are compared by the sum of their characters' advances, and only those near the widest are
// measured in full (kerning moves a text by a fraction of a pixel per pair). Texts that cannot be
// wider than atLeast are passed over. Returns the positions of the texts whose measured width
// (rounded up to whole pixels) is the widest, one position per distinct text; empty when no text
// can be wider than atLeast.
QList<int> widestTexts(const QStringList& texts, const QFont& font, qreal atLeast = -1);

// A text's width in the font as views measure it (rounded up to whole pixels).
int textWidth(const QString& text, const QFont& font);
