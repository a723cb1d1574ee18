#pragma once

#include <QFrame>
#include <QPointer>

#include "data/datacontrol.h"

class QLabel;
class QToolButton;

// The visible bar of a data control: first, previous, next and last record, and a caption.
class DataNavigator : public QFrame {
    Q_OBJECT
public:
    explicit DataNavigator(QWidget* parent = nullptr);

    void setDataControl(DataControl* dataControl);
    DataControl* dataControl() const { return m_dataControl; }
    void setCaption(const QString& caption);
    QString caption() const;

private:
    void move(int which);
    void updateButtons();

    QPointer<DataControl> m_dataControl;
    QToolButton* m_first;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_last;
    QLabel* m_caption;
};
