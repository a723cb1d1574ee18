#include "pricelist/backgroundwork.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <memory>

BackgroundWork::BackgroundWork(QProgressBar* bar, QPushButton* stop, QObject* parent)
    : QObject(parent), m_bar(bar), m_stop(stop) {
    connect(m_stop, &QPushButton::clicked, this, [this] { m_stopAsked = true; });
}

void BackgroundWork::run(const std::function<void(const PriceListProgress&)>& work) {
    m_stopAsked = false;
    m_running = true;
    m_bar->setRange(0, 0); // busy until the first report
    m_bar->show();
    m_stop->show();
    m_stop->setFocus();
    QProgressBar* bar = m_bar;
    const PriceListProgress progress = [this, bar](qint64 done, qint64 total) {
        // Scaled to the bar's int range, whatever the total.
        const int permille = total > 0 ? int(done * 1000 / total) : 0;
        QMetaObject::invokeMethod(
            bar,
            [bar, permille] {
                bar->setRange(0, 1000);
                bar->setValue(permille);
            },
            Qt::QueuedConnection);
        return !m_stopAsked.load();
    };
    std::unique_ptr<QThread> thread(QThread::create([&work, &progress] { work(progress); }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // The window goes on painting and answering Stop; the caller disables its other commands.
    loop.exec();
    thread->wait();
    m_bar->hide();
    m_stop->hide();
    m_running = false;
}
