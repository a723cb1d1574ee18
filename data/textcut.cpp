#include "data/textcut.h"

QString cutToLength(const QString& text, qsizetype length) {
    if (text.size() <= length)
        return text;
    if (length <= 0)
        return QString();
    return text.left(text.at(length - 1).isHighSurrogate() ? length - 1 : length);
}

QString elidedPath(const QString& path, qsizetype length) {
    if (path.size() <= length)
        return path;
    const qsizetype half = qMax<qsizetype>(1, (length - 1) / 2);
    QString tail = path.right(half);
    if (tail.at(0).isLowSurrogate())
        tail.remove(0, 1);
    return cutToLength(path, half) + QChar(0x2026) + tail;
}
