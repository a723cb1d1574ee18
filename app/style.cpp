#include "app/style.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace {
const char* const kStyleSheet = R"(
QMainWindow, QTabWidget > QWidget { background: #f4f6f9; }
QTabWidget::pane { border: 1px solid #c9d1dc; border-radius: 4px; background: #f4f6f9; top: -1px; }
QTabBar::tab { padding: 6px 18px; margin-right: 2px; border: 1px solid #c9d1dc;
  border-bottom: none; border-top-left-radius: 4px; border-top-right-radius: 4px;
  background: #e6eaf0; color: #3a4a5c; }
QTabBar::tab:selected { background: #f4f6f9; color: #14283c; font-weight: 600; }
QTabBar::tab:hover:!selected { background: #edf1f6; }
QGroupBox { border: 1px solid #d3d9e2; border-radius: 6px; margin-top: 14px; background: #ffffff; }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; color: #1f3b57;
  font-weight: 600; }
QGroupBox#frMain, QGroupBox#frMaterials, QGroupBox#frEstimating { background: #f4f6f9;
  border: none; }
QGroupBox#frMain::title, QGroupBox#frMaterials::title, QGroupBox#frEstimating::title {
  left: 2px; font-size: 11pt; color: #52657a; }
QLabel[role="emphasis"] { font-weight: 600; color: #14283c; }
QLabel[role="heading"] { font-size: 13pt; font-weight: 600; color: #1f3b57; }
QLabel[role="required"] { color: #b3261e; font-weight: 700; }
QLineEdit { border: 1px solid #c2cad6; border-radius: 3px; padding: 1px 4px;
  background: #ffffff; selection-background-color: #2f6db5; }
QLineEdit:focus { border: 1px solid #2f6db5; }
QLineEdit[locked="true"] { background: #f7f9fc; }
QLineEdit:disabled { background: #eef1f5; color: #7a8594; }
QLineEdit[role="amount"] { background: #f7f9fc; color: #14283c; }
QLineEdit[role="total"] { background: #eaf2fb; font-weight: 700; color: #0f2a47; }
QComboBox QLineEdit, QComboBox QLineEdit:focus { border: none; padding: 0; background: transparent; }
QPushButton { border: 1px solid #b8c2cf; border-radius: 4px; padding: 3px 10px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #eef1f5); }
QPushButton:hover { border-color: #2f6db5; }
QPushButton:pressed { background: #dde5ef; }
QPushButton:disabled { color: #9aa5b3; border-color: #d3d9e2; background: #f1f3f6; }
QPushButton[role="primary"] { background: #2f6db5; color: white; border-color: #285f9e;
  font-weight: 600; }
QPushButton[role="primary"]:hover { background: #3a7cc7; }
QPushButton[role="compact"] { padding: 0px; }
QPushButton[role="link"] { border: none; background: transparent; color: #2f6db5;
  text-decoration: underline; text-align: left; padding: 0 4px; }
QPushButton[role="link"]:hover { color: #1f4f8a; }
QPushButton[role="link"]:focus { border: 1px dotted #2f6db5; }
QLabel[role="picture"] { border: 1px solid #d3d9e2; border-radius: 3px; background: #ffffff; }
QPushButton[role="primary"]:disabled { background: #9db8d8; color: #eef3f9; }
QTableView { border: 1px solid #c9d1dc; border-radius: 3px; background: #ffffff;
  alternate-background-color: #f6f8fb; gridline-color: #e3e8ef;
  selection-background-color: #2f6db5; selection-color: white; }
QTableView:disabled { background: #f1f3f6; }
QHeaderView::section { background: #e9edf3; color: #2a3a4c; padding: 4px 3px; border: none;
  border-right: 1px solid #d3d9e2; border-bottom: 1px solid #c9d1dc; font-weight: 600; }
QMenuBar { background: #ffffff; border-bottom: 1px solid #d3d9e2; }
QMenuBar::item { padding: 4px 10px; }
QMenuBar::item:selected { background: #e6eef8; color: #14283c; }
QMenu { background: #ffffff; border: 1px solid #c9d1dc; }
QMenu::item { padding: 5px 28px 5px 24px; }
QMenu::item:selected { background: #2f6db5; color: white; }
QMenu::item:disabled { color: #9aa5b3; }
QMenu::separator { height: 1px; background: #e3e8ef; margin: 4px 8px; }
QToolTip { background: #14283c; color: white; border: none; padding: 4px; }
)";
} // namespace

void applyProgramStyle(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = app.style()->standardPalette();
    palette.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xf9));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x6d, 0xb5));
    app.setPalette(palette);
    app.setStyleSheet(QString::fromLatin1(kStyleSheet));
}
