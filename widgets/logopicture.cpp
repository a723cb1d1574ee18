#include "widgets/logopicture.h"

#include <QImageReader>
#include <QStringList>

bool canLoadSvgPictures() {
    return QImageReader::supportedImageFormats().contains("svg");
}

QString logoPictureFilters() {
    QStringList filters{QStringLiteral("PNG pictures (*.png)")};
    if (canLoadSvgPictures())
        filters << QStringLiteral("SVG drawings (*.svg)");
    filters << QStringLiteral("JPEG pictures (*.jpg *.jpeg)")
            << QStringLiteral("BMP pictures (*.bmp)") << QStringLiteral("GIF pictures (*.gif)")
            << QStringLiteral("All files (*)");
    return filters.join(QStringLiteral(";;"));
}

QString logoPictureKinds() {
    return canLoadSvgPictures() ? QStringLiteral("PNG, SVG, JPEG, BMP or GIF")
                                : QStringLiteral("PNG, JPEG, BMP or GIF");
}

QImage loadLogoPicture(const QString& path, const QSize& largest) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // A drawing has no pixels of its own: it is drawn as large as the logo may be.
    if (reader.format() == "svg" && reader.size().isValid())
        reader.setScaledSize(reader.size().scaled(largest, Qt::KeepAspectRatio));
    QImage picture = reader.read();
    if (!picture.isNull() &&
        (picture.width() > largest.width() || picture.height() > largest.height()))
        picture = picture.scaled(largest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}
