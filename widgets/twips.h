#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>

// Positions and sizes of the screens' controls are kept in twips (1440 to the inch) and turned
// into pixels through the widget's logical DPI, so a layout designed once looks the same at any
// screen resolution. Each widget remembers its geometry in twips as fractions, so moving it by
// small steps many times does not drift by a rounding each time.
namespace Twips {

constexpr double kPerInch = 1440.0;

double perPixelX(const QWidget* widget);
double perPixelY(const QWidget* widget);
int toPixelsX(const QWidget* widget, double twips);
int toPixelsY(const QWidget* widget, double twips);

// The widget's geometry in twips relative to its parent (from its pixels when never set).
QRectF geometry(const QWidget* widget);
void setGeometry(QWidget* widget, const QRectF& twips);
void setGeometry(QWidget* widget, double left, double top, double width, double height);
void setWidth(QWidget* widget, double width);

// Screens are drawn on a 96 DPI grid, where one pixel is 15 twips.
constexpr double px(double designPixels) {
    return designPixels * 15.0;
}

// Creates a control of the screen, named and placed (in design pixels).
template <class W>
W* place(QWidget* parent, const QString& name, double left, double top, double width,
         double height) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    setGeometry(widget, px(left), px(top), px(width), px(height));
    return widget;
}

} // namespace Twips
