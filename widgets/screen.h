#pragma once

#include "widgets/layoutrow.h"

// What the main window asks of each screen on its tabs. A screen is a widget (its frame) that
// also implements this interface and declares the signal
//
//     void saveEnabledChanged(bool enabled);
//
// emitted whenever canSave() may have changed; while the screen is shown, Edit > Save Record
// follows it. The window calls nothing else on a screen and reaches none of its controls: it
// tells a screen the change of its size, and the screen moves its own controls.
class ScreenInterface {
public:
    virtual ~ScreenInterface() = default;

    // Shows what the user's settings decide about the screen; at start-up, before reload().
    virtual void applySettings() {}
    // Loads the screen's records from the database; at start-up, once the database is open.
    virtual void reload() = 0;
    // The screen has just become the one shown.
    virtual void activate() {}
    // Another screen has just been chosen: the screen saves what it should. False when the user
    // must stay (a save failed, or the user chose to stay): the window shows it again.
    virtual bool deactivate() { return true; }
    // Before the window closes: work that is not saved yet is saved or dropped, as the user
    // says. False when the user chose to stay, or the save failed: the window stays open.
    virtual bool canLeave() { return true; }

    // Edit > Edit Record: whether it applies to this screen, and doing it.
    virtual bool canEditRecord() const { return false; }
    virtual void editRecord() {}
    // Edit > Save Record: whether saving makes sense now, and saving; true once saved.
    virtual bool canSave() const { return false; }
    virtual bool save() { return false; }

    // Edit > Duplicate Estimate: whether the screen has an estimate to copy, and copying it.
    virtual bool canDuplicate() const { return false; }
    virtual void duplicate() {}
    // Tools > Update Costs From Catalogue: whether the screen has material lines to update.
    virtual bool canUpdateCosts() const { return false; }
    virtual void updateCosts() {}

    // The rows of the screen's controls that follow the window's size.
    virtual LayoutRows layoutRows() const { return {}; }
    // The window's size changed by (dx, dy) twips: the controls follow it as the screen's rows
    // say, and the grids' columns take their shares of their grid's new width.
    void followWindowSize(double dx, double dy) {
        followSizeChange(layoutRows(), dx, dy);
        applyColumnFractions();
    }
    virtual void applyColumnFractions() {}

protected:
    ScreenInterface() = default;
    ScreenInterface(const ScreenInterface&) = delete;
    ScreenInterface& operator=(const ScreenInterface&) = delete;
};
