#include "data/textcut.h"

QString cutToLength(const QString& text, qsizetype length) {
    if (text.size() <= length)
        return text;
    if (length <= 0)
        return QString();
    return text.left(text.at(length - 1).isHighSurrogate() ? length - 1 : length);
}
