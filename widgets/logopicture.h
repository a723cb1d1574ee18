#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The company's logo picture: which kinds the program offers and how it loads one. Preferences
// and the printed quote load it the same way, so a picture Preferences shows is the one that
// prints.

// Whether SVG drawings can be loaded: only where Qt's SVG support is installed.
bool canLoadSvgPictures();

// The logo dialog's filters, PNG first, then SVG (where it can be loaded), JPEG, BMP, GIF and
// all files.
QString logoPictureFilters();

// The kinds of the filters, for messages: "PNG, JPEG, BMP or GIF".
QString logoPictureKinds();

// The picture at path, made no larger than largest (keeping its proportions; a drawing is drawn
// at that size); a null image when the file is missing, is no picture or is damaged.
QImage loadLogoPicture(const QString& path, const QSize& largest);
