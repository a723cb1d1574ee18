#include "data/serverpassword.h"

#include <QHash>
#include <QMutex>

namespace {
QMutex gGuard;

QHash<QString, QString>& typed() {
    static QHash<QString, QString> passwords;
    return passwords;
}
} // namespace

namespace ServerPassword {

void remember(const QString& address, const QString& password) {
    const QMutexLocker lock(&gGuard);
    typed().insert(address.trimmed(), password);
}

QString forAddress(const QString& address) {
    const QMutexLocker lock(&gGuard);
    return typed().value(address.trimmed());
}

} // namespace ServerPassword
