#include "widgets/screencontrols.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Keeps a locked combo box from opening its list or changing its choice by wheel or keys,
// while Tab and the copy shortcut still work.
class ComboLock : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !Controls::isLocked(widget))
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool navigation = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
                                    key->matches(QKeySequence::Copy);
            return !navigation;
        }
        default:
            return false;
        }
    }
};

// Keeps a combo's drop-down list as wide as its longest entry while the list changes.
class ListWidthFitter : public QObject {
public:
    explicit ListWidthFitter(QComboBox* combo) : QObject(combo), m_combo(combo) {
        setObjectName(QStringLiteral("listWidthFitter"));
    }

    // Follows the combo's current model and fits the list to it.
    void follow() {
        QAbstractItemModel* model = m_combo->model();
        if (model != m_model) {
            for (const auto& c : std::as_const(m_connections))
                disconnect(c);
            m_connections.clear();
            m_model = model;
            if (model) {
                const auto refit = [this] { fit(); };
                m_connections << connect(model, &QAbstractItemModel::modelReset, this, refit)
                              << connect(model, &QAbstractItemModel::rowsInserted, this, refit)
                              << connect(model, &QAbstractItemModel::rowsRemoved, this, refit)
                              << connect(model, &QAbstractItemModel::dataChanged, this, refit)
                              << connect(model, &QAbstractItemModel::layoutChanged, this, refit);
            }
        }
        fit();
    }

    void fit() {
        QAbstractItemView* view = m_combo->view();
        QAbstractItemModel* model = m_combo->model();
        if (!view || !model)
            return;
        // Should the screen still be too narrow, an entry loses its end, never its middle.
        view->setTextElideMode(Qt::ElideRight);
        const QFontMetrics metrics(view->font());
        int longest = 0;
        const int rows = model->rowCount(m_combo->rootModelIndex());
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index =
                model->index(row, m_combo->modelColumn(), m_combo->rootModelIndex());
            longest = qMax(longest, metrics.horizontalAdvance(index.data().toString()));
        }
        // The entry's margins, the list's frame, and a scroll bar when not every entry shows.
        QStyle* style = view->style();
        int width = longest +
                    2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) +
                         metrics.averageCharWidth()) +
                    2 * view->frameWidth();
        if (rows > m_combo->maxVisibleItems())
            width += style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view);
        if (const QScreen* screen = m_combo->screen())
            width = qMin(width, screen->availableGeometry().width());
        view->setMinimumWidth(width);
    }

private:
    QComboBox* m_combo;
    QPointer<QAbstractItemModel> m_model;
    QList<QMetaObject::Connection> m_connections;
};

// The box of a combo that shows a name too long for it cut at its end, with the whole name as
// its tool tip, while the user is not typing in it.
class ElidingLineEdit : public QLineEdit {
public:
    explicit ElidingLineEdit(QWidget* parent) : QLineEdit(parent) {
        connect(this, &QLineEdit::textChanged, this, [this] { updateToolTip(); });
    }

    bool isElided() const { return fontMetrics().horizontalAdvance(text()) > textRect().width(); }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (hasFocus() || !isElided()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        const QRect area = textRect();
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

    void resizeEvent(QResizeEvent* event) override {
        QLineEdit::resizeEvent(event);
        updateToolTip();
    }

private:
    // Where QLineEdit draws its text: the style's contents, less the text margins and the
    // line edit's own small margins.
    QRect textRect() const {
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        constexpr int kHorizontalMargin = 2;
        constexpr int kVerticalMargin = 1;
        return style()
            ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
            .marginsRemoved(textMargins())
            .adjusted(kHorizontalMargin, kVerticalMargin, -kHorizontalMargin, -kVerticalMargin);
    }

    // A cut name reads whole in the tool tip; otherwise the combo's own tool tip shows.
    void updateToolTip() { setToolTip(isElided() ? text() : QString()); }
};

} // namespace

namespace Controls {

void fitListToEntries(QComboBox* combo) {
    if (!combo)
        return;
    auto* fitter = static_cast<ListWidthFitter*>(
        combo->findChild<QObject*>(QStringLiteral("listWidthFitter"), Qt::FindDirectChildrenOnly));
    if (!fitter)
        fitter = new ListWidthFitter(combo);
    fitter->follow();
}

void elideLongNames(QComboBox* combo) {
    if (!combo || !combo->isEditable() || dynamic_cast<ElidingLineEdit*>(combo->lineEdit()))
        return;
    const bool readOnly = combo->lineEdit() && combo->lineEdit()->isReadOnly();
    auto* edit = new ElidingLineEdit(combo);
    edit->setReadOnly(readOnly);
    combo->setLineEdit(edit);
}

void setLocked(QWidget* field, bool locked) {
    if (!field)
        return;
    field->setProperty("locked", locked);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setReadOnly(locked);
    if (auto* box = qobject_cast<QComboBox*>(field)) {
        if (box->lineEdit())
            box->lineEdit()->setReadOnly(locked);
        const QString lockName = QStringLiteral("comboLock");
        if (!box->findChild<QObject*>(lockName, Qt::FindDirectChildrenOnly)) {
            auto* lock = new ComboLock(box);
            lock->setObjectName(lockName);
            box->installEventFilter(lock);
        }
    }
    // The style sheet reads the property only when the style is applied again.
    field->style()->unpolish(field);
    field->style()->polish(field);
}

bool isLocked(const QWidget* field) {
    return field && field->property("locked").toBool();
}

QLabel* caption(QWidget* parent, const QString& name, const QString& text, double left, double top,
                double width, double height) {
    auto* label = Twips::place<QLabel>(parent, name, left, top, width, height);
    label->setText(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* textBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                   double top, double width, double height) {
    auto* box = Twips::place<QLineEdit>(parent, name, left, top, width, height);
    box->setToolTip(toolTip);
    return box;
}

QLineEdit* amountBox(QWidget* parent, const QString& name, const QString& toolTip, double left,
                     double top, double width, double height) {
    QLineEdit* box = textBox(parent, name, toolTip, left, top, width, height);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setProperty("role", QStringLiteral("amount"));
    return box;
}

QComboBox* combo(QWidget* parent, const QString& name, const QString& toolTip, double left,
                 double top, double width, double height) {
    auto* box = Twips::place<QComboBox>(parent, name, left, top, width, height);
    box->setToolTip(toolTip);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text,
                    const QString& toolTip, double left, double top, double width, double height) {
    auto* b = Twips::place<QPushButton>(parent, name, left, top, width, height);
    b->setText(text);
    b->setToolTip(toolTip);
    b->setAutoDefault(false);
    return b;
}

} // namespace Controls
