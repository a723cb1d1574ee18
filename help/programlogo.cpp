#include "help/programlogo.h"

#include <QGuiApplication>

// The logo's resources are built into this library; a static library registers them itself.
static void loadLogoResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(plenwick);
        return true;
    }();
    Q_UNUSED(loaded);
}

QIcon programIcon() {
    loadLogoResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/org.dorvane.Plenwick.png").arg(size),
                     QSize(size, size));
    return icon;
}

QPixmap programLogo(int size) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    return programIcon().pixmap(QSize(size, size), ratio);
}
