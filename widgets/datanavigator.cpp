#include "widgets/datanavigator.h"

#include "data/datacontrol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {
enum Move { First, Previous, Next, Last };

QToolButton* makeButton(QWidget* parent, const QString& text, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}
} // namespace

DataNavigator::DataNavigator(QWidget* parent)
    : QFrame(parent), m_first(makeButton(this, QStringLiteral("|◀"), tr("First record"))),
      m_previous(makeButton(this, QStringLiteral("◀"), tr("Previous record"))),
      m_next(makeButton(this, QStringLiteral("▶"), tr("Next record"))),
      m_last(makeButton(this, QStringLiteral("▶|"), tr("Last record"))),
      m_caption(new QLabel(this)) {
    setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(0);
    row->addWidget(m_first);
    row->addWidget(m_previous);
    row->addWidget(m_caption, 1);
    row->addWidget(m_next);
    row->addWidget(m_last);
    m_caption->setAlignment(Qt::AlignCenter);
    connect(m_first, &QToolButton::clicked, this, [this] { move(First); });
    connect(m_previous, &QToolButton::clicked, this, [this] { move(Previous); });
    connect(m_next, &QToolButton::clicked, this, [this] { move(Next); });
    connect(m_last, &QToolButton::clicked, this, [this] { move(Last); });
    updateButtons();
}

void DataNavigator::setDataControl(DataControl* dataControl) {
    if (m_dataControl)
        disconnect(m_dataControl, nullptr, this, nullptr);
    m_dataControl = dataControl;
    if (dataControl) {
        connect(dataControl, &DataControl::recordSetChanged, this, &DataNavigator::updateButtons);
        connect(dataControl, &DataControl::moveComplete, this, &DataNavigator::updateButtons);
    }
    updateButtons();
}

void DataNavigator::setCaption(const QString& caption) {
    m_caption->setText(caption);
}

QString DataNavigator::caption() const {
    return m_caption->text();
}

void DataNavigator::move(int which) {
    RecordSet* rs = m_dataControl ? m_dataControl->recordSet() : nullptr;
    if (!rs || !rs->isOpen())
        return;
    switch (which) {
    case First:
        rs->moveFirst();
        break;
    case Previous:
        if (rs->movePrevious() && rs->isBOF())
            rs->moveFirst();
        break;
    case Next:
        if (rs->moveNext() && rs->isEOF())
            rs->moveLast();
        break;
    case Last:
        rs->moveLast();
        break;
    }
    updateButtons();
}

void DataNavigator::updateButtons() {
    const RecordSet* rs = m_dataControl ? m_dataControl->recordSet() : nullptr;
    const bool any = rs && rs->isOpen() && rs->recordCount() > 0;
    for (QToolButton* b : {m_first, m_previous, m_next, m_last})
        b->setEnabled(any);
}
