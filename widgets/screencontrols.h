#pragma once

#include "widgets/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Small builders for the controls of the screens: each is named, placed in design pixels and
// given its caption and tool tip, so a screen reads as a list of its controls.
namespace Controls {

// A caption beside a field: right-aligned and vertically centred on the field's line.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, double left, double top,
                double width, double height = 24);
QLineEdit* textBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                   double top, double width, double height = 24);
// A box that shows a computed amount: read-only, right-aligned, out of the tab order.
QLineEdit* amountBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                     double top, double width, double height = 24);
QComboBox* combo(QWidget* parent, const QString& name, const QString& toolTip, double left,
                 double top, double width, double height = 24);
QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QString& toolTip, double left, double top, double width,
                    double height = 28);
// Marks a field the record cannot be saved without: a small star just before its caption's text
// (the text keeps its place) and a line "Required" in the tool tips.
void markRequired(QLabel* caption, QWidget* field);

// Makes a combo's drop-down list at least as wide as its longest entry (never wider than the
// screen), so no entry is cut; the combo's own width is unchanged. The entries are measured as
// the list opens, again after its entries changed, never while they change.
void fitListToEntries(QComboBox* combo);
// How many times the combo's entries were measured so far.
int listFits(const QComboBox* combo);
// Shows a name too long for the combo's box cut at its end with an ellipsis, and whole in the
// box's tool tip, while the box does not have the focus; a name that fits is shown as it is.
// Typing in the box shows the text as usual.
void elideLongNames(QComboBox* combo);

// Locks or unlocks a field: a locked field still shows its value, can take the focus and be
// copied from, but takes no typing, no pasting and no choice from its list. A locked field
// carries the property "locked" for the style sheet.
void setLocked(QWidget* field, bool locked);
bool isLocked(const QWidget* field);

} // namespace Controls
