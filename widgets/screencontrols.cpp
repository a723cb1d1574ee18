#include "widgets/screencontrols.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QtMath>
#include <algorithm>
#include <array>

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

// Widths of one-line texts in one font, quick enough for lists of tens of thousands of names.
// Text of Latin, Greek or Cyrillic letters is measured as the sum of its characters' advances,
// each character measured once: shaping such text narrows it if anything (kerning, ligatures),
// so the sum does not cut a name. Any other text is shaped whole.
class TextWidths {
public:
    explicit TextWidths(const QFont& font) : m_metrics(font) { m_advances.fill(-1); }

    int width(const QString& text) {
        qreal sum = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= kSimpleEnd || (u >= kCombiningStart && u < kCombiningEnd))
                return qCeil(m_metrics.horizontalAdvance(text));
            qreal& advance = m_advances[u];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            sum += advance;
        }
        return qCeil(sum);
    }

private:
    // Up to the Hebrew block, less the combining marks, which sit on the letter before them.
    static constexpr char16_t kSimpleEnd = 0x0590;
    static constexpr char16_t kCombiningStart = 0x0300;
    static constexpr char16_t kCombiningEnd = 0x0370;
    QFontMetricsF m_metrics;
    std::array<qreal, kSimpleEnd> m_advances;
};

// Keeps a combo's drop-down list as wide as its longest entry. A change of the list only marks
// the width as stale; it is measured again when the list is about to open (a press on the combo,
// a key that opens it, or the list shown by the program), so a list filled row by row, or
// refilled while nobody looks at it, is never measured for nothing.
class ListWidthFitter : public QObject {
public:
    explicit ListWidthFitter(QComboBox* combo) : QObject(combo), m_combo(combo) {
        setObjectName(QStringLiteral("listWidthFitter"));
        combo->installEventFilter(this);
    }

    // Follows the combo's current model; its list is measured before it next opens.
    void follow() {
        QAbstractItemModel* model = m_combo->model();
        if (model != m_model) {
            for (const auto& c : std::as_const(m_connections))
                disconnect(c);
            m_connections.clear();
            m_model = model;
            if (model) {
                const auto stale = [this] { m_stale = true; };
                m_connections << connect(model, &QAbstractItemModel::modelReset, this, stale)
                              << connect(model, &QAbstractItemModel::rowsInserted, this, stale)
                              << connect(model, &QAbstractItemModel::rowsRemoved, this, stale)
                              << connect(model, &QAbstractItemModel::dataChanged, this, stale)
                              << connect(model, &QAbstractItemModel::layoutChanged, this, stale);
            }
        }
        m_stale = true;
        watchPopup();
    }

    void fitIfStale() {
        if (m_stale)
            fit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // Before the combo opens its list, which takes the view's width as it is then.
            if (watched == m_combo)
                fitIfStale();
            break;
        case QEvent::KeyPress:
            if (watched == m_combo && opensList(*static_cast<QKeyEvent*>(event)))
                fitIfStale();
            break;
        case QEvent::Show:
            // A list opened by the program rather than the user.
            if (watched == m_popup)
                fitIfStale();
            break;
        default:
            break;
        }
        return false;
    }

private:
    // The keys with which a combo opens its list (typed text only completes).
    bool opensList(const QKeyEvent& key) const {
        const bool alt = key.modifiers() & Qt::AltModifier;
        switch (key.key()) {
        case Qt::Key_F4:
            return true;
        case Qt::Key_Down:
        case Qt::Key_Up:
            return alt;
        case Qt::Key_Space:
        case Qt::Key_Select:
            return !m_combo->isEditable();
        default:
            return false;
        }
    }

    void watchPopup() {
        QWidget* popup = m_combo->view() ? m_combo->view()->parentWidget() : nullptr;
        if (popup == m_popup)
            return;
        if (m_popup)
            m_popup->removeEventFilter(this);
        m_popup = popup;
        if (popup)
            popup->installEventFilter(this);
    }

    void fit() {
        m_stale = false;
        QAbstractItemView* view = m_combo->view();
        QAbstractItemModel* model = m_combo->model();
        if (!view || !model)
            return;
        // Should the screen still be too narrow, an entry loses its end, never its middle.
        view->setTextElideMode(Qt::ElideRight);
        // Every entry is one line in the same font: the view need not measure each to lay
        // them out.
        if (auto* list = qobject_cast<QListView*>(view))
            list->setUniformItemSizes(true);
        const QFontMetrics metrics(view->font());
        TextWidths widths(view->font());
        int longest = 0;
        const int rows = model->rowCount(m_combo->rootModelIndex());
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index =
                model->index(row, m_combo->modelColumn(), m_combo->rootModelIndex());
            longest = qMax(longest, widths.width(index.data().toString()));
        }
        setProperty("fits", property("fits").toInt() + 1);
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

    QComboBox* m_combo;
    QPointer<QAbstractItemModel> m_model;
    QPointer<QWidget> m_popup;
    QList<QMetaObject::Connection> m_connections;
    bool m_stale = true;
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

// The star of a required field's caption, just left of the caption's right-aligned text.
class RequiredMarker : public QLabel {
public:
    explicit RequiredMarker(QLabel* caption) : QLabel(QStringLiteral("*"), caption) {
        setObjectName(caption->objectName() + QStringLiteral("Required"));
        setProperty("role", QStringLiteral("required"));
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Polish ||
            event->type() == QEvent::FontChange)
            place();
        return false;
    }

private:
    void place() {
        auto* caption = static_cast<QLabel*>(parentWidget());
        caption->ensurePolished();
        ensurePolished();
        const int width = fontMetrics().horizontalAdvance(text()) + 2;
        const int textWidth = caption->fontMetrics().horizontalAdvance(caption->text());
        setGeometry(std::max(0, caption->width() - textWidth - width), 0, width, caption->height());
    }
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

int listFits(const QComboBox* combo) {
    const QObject* fitter = combo ? combo->findChild<QObject*>(QStringLiteral("listWidthFitter"),
                                                               Qt::FindDirectChildrenOnly)
                                  : nullptr;
    return fitter ? fitter->property("fits").toInt() : 0;
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
    // The box's width is the design's, whatever its entries: its size hint need not measure
    // every entry, which a list of thousands of names would pay each time it is laid out.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
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

void markRequired(QLabel* caption, QWidget* field) {
    const QString required = QCoreApplication::translate("Controls", "Required");
    new RequiredMarker(caption);
    caption->setToolTip(required);
    field->setToolTip(field->toolTip().isEmpty() ? required
                                                 : field->toolTip() + QLatin1Char('\n') + required);
}

} // namespace Controls
