#pragma once

#include <QString>

// The first length characters of text, to fit a column of that size. A character stored as a
// surrogate pair (an emoji, a rare CJK character) that would be split goes whole: the cut
// falls before it.
QString cutToLength(const QString& text, qsizetype length);

// A path fit to be shown in a message: one of more than length characters keeps its beginning and
// its end around an ellipsis ("/home/ann/jobs/…/Estimating.mdb"), so a stored path of megabytes
// never floods a message.
QString elidedPath(const QString& path, qsizetype length = 160);
