#pragma once

#include <QString>

// The first length characters of text, to fit a column of that size. A character stored as a
// surrogate pair (an emoji, a rare CJK character) that would be split goes whole: the cut
// falls before it.
QString cutToLength(const QString& text, qsizetype length);
