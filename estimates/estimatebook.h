#pragma once

#include "data/dberror.h"

#include <QObject>
#include <functional>

class DataControl;
class RecordSet;

// The estimates the program holds, shared by the Home and Estimate screens: the data control
// dcEstimates over every stored estimate, whose current record is the estimate being edited, and
// what the two screens tell each other about it (which estimate Home has selected, whether a new
// one was just started). Home starts, opens and deletes estimates through it; the Estimate screen
// is bound to its current record.
class EstimateBook : public QObject {
    Q_OBJECT
public:
    explicit EstimateBook(QObject* parent = nullptr);

    DataControl* const dcEstimates;
    RecordSet* records() const;

    // Removes the estimates stored without a reference number, each with its lines, all in one
    // transaction; then opens every estimate on the first one. False when either step failed
    // (lastError()); nothing is removed when the removal failed.
    bool load();
    // The removal alone, which lists of estimates wait for; asks first, so it writes only when
    // there is something to remove.
    bool removeUnnumbered();
    // Run once, before a new or stored estimate is first made current, while the estimates are
    // still to be opened (the start of the program opens them once its window has painted).
    void setOpenFirst(std::function<void()> open) { m_openFirst = std::move(open); }

    // Adds a new, unsaved estimate dated today with no tax and no shipping, and makes it current.
    // A pending change of the estimate being left is written first; false when that write (with
    // lastError() empty, see writePending) or the new record fails.
    bool addNew();
    // Makes the stored estimate with this key current (writing the pending changes of the one
    // being left). False when there is no such estimate or the pending write failed.
    bool open(int estimateId);
    // Makes current an estimate stored just now by other means (a copy), reading the estimates
    // again so that it is among them; lists of estimates re-query.
    bool openAdded(int estimateId);
    // Writes the pending changes of the current estimate, keeping the position. False with
    // lastError() when the database refused them; what was typed stays pending.
    bool save();
    // Deletes the stored estimate with this key and all its lines in one transaction. False with
    // lastError() when it is not found or the database refused; nothing is then removed.
    bool remove(int estimateId);

    // The key of the current estimate, 0 for a new one not saved yet or when there is none.
    int currentEstimateId() const;
    bool isNewEstimate() const;

    // The estimate selected in Home's month list (0 when none); the Estimate screen opens it when
    // it is shown, unless a new estimate was just started.
    void setSelectedEstimate(int estimateId) { m_selected = estimateId; }
    int selectedEstimate() const { return m_selected; }
    // Set when a new estimate is started; taking it clears it.
    bool takeNewEstimateFlag();
    void clearNewEstimateFlag() { m_newEstimate = false; }
    bool newEstimateFlag() const { return m_newEstimate; }

    const DbError& lastError() const { return m_lastError; }

signals:
    // A new estimate was added and is current: the Estimate screen clears its panel and asks for
    // a reference number.
    void newEstimateStarted();
    // Stored estimates were written or deleted: lists of them re-query.
    void estimatesChanged();
    // save() went through.
    void saved();

private:
    bool fail(const DbError& error);
    void openIfWaiting() {
        if (m_openFirst)
            std::exchange(m_openFirst, {})();
    }
    std::function<void()> m_openFirst;
    // Whether an estimate is stored without a reference number (load() removes those).
    static bool hasUnnumbered();
    // Writes the pending changes of the current estimate before another one becomes current.
    // A refusal is reported by the Estimate screen, where the estimate is edited; lastError() is
    // then empty, so nobody reports it twice.
    bool writePending();

    int m_selected = 0;
    bool m_newEstimate = false;
    DbError m_lastError;
};
