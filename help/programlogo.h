#pragma once

#include <QIcon>
#include <QPixmap>

// The product's logo, built into the program: the window icon in every size it is drawn at, and
// the picture of the About box.
QIcon programIcon();
QPixmap programLogo(int size);
