#include "widgets/twips.h"

#include <QVariant>
#include <QWidget>
#include <cmath>

namespace {
const char* const kProperty = "plenwickTwipsGeometry";
}

namespace Twips {

double perPixelX(const QWidget* widget) {
    const int dpi = widget->logicalDpiX();
    return kPerInch / (dpi > 0 ? dpi : 96);
}

double perPixelY(const QWidget* widget) {
    const int dpi = widget->logicalDpiY();
    return kPerInch / (dpi > 0 ? dpi : 96);
}

int toPixelsX(const QWidget* widget, double twips) {
    return int(std::lround(twips / perPixelX(widget)));
}

int toPixelsY(const QWidget* widget, double twips) {
    return int(std::lround(twips / perPixelY(widget)));
}

QRectF geometry(const QWidget* widget) {
    const QVariant stored = widget->property(kProperty);
    if (stored.isValid())
        return stored.toRectF();
    const QRect px = widget->geometry();
    const double x = perPixelX(widget);
    const double y = perPixelY(widget);
    return {px.x() * x, px.y() * y, px.width() * x, px.height() * y};
}

void setGeometry(QWidget* widget, const QRectF& twips) {
    widget->setProperty(kProperty, twips);
    // Edges are rounded, not sizes, so neighbours that touch in twips touch on screen.
    const int left = toPixelsX(widget, twips.left());
    const int top = toPixelsY(widget, twips.top());
    const int right = toPixelsX(widget, twips.left() + twips.width());
    const int bottom = toPixelsY(widget, twips.top() + twips.height());
    widget->setGeometry(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

void setGeometry(QWidget* widget, double left, double top, double width, double height) {
    setGeometry(widget, QRectF(left, top, width, height));
}

void setWidth(QWidget* widget, double width) {
    QRectF g = geometry(widget);
    g.setWidth(width);
    setGeometry(widget, g);
}

} // namespace Twips
