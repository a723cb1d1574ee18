#pragma once

#include "pricelist/core/reader.h"

#include <QObject>
#include <atomic>

class QProgressBar;
class QPushButton;

// Runs a piece of work on a thread of its own while the window that started it stays
// responsive: the work reports its progress to a bar, and a Stop button asks it to end.
class BackgroundWork : public QObject {
    Q_OBJECT
public:
    BackgroundWork(QProgressBar* bar, QPushButton* stop, QObject* parent = nullptr);

    // Starts work, handing it the progress callback to call now and then (it returns false once
    // Stop was pressed), and returns when the work has ended. The bar and Stop show meanwhile.
    void run(const std::function<void(const PriceListProgress&)>& work);
    bool isRunning() const { return m_running; }

private:
    QProgressBar* m_bar;
    QPushButton* m_stop;
    std::atomic<bool> m_stopAsked = false;
    bool m_running = false;
};
