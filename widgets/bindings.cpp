#include "widgets/bindings.h"

#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/recordset.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {
bool isPercentFormat(const QString& format) {
    return format.endsWith(QLatin1Char('%'));
}
// Reloads the binding whenever its source shows another record, or a write or undo settles
// what the record holds.
template <class Binding> void followRecord(Binding* binding, DataControl* source) {
    QObject::connect(source, &DataControl::recordSetChanged, binding, &Binding::reload);
    QObject::connect(source, &DataControl::moveComplete, binding, &Binding::reload);
    QObject::connect(source, &DataControl::recordChangeComplete, binding,
                     [binding](RecordSet::Reason reason) {
                         if (reason != RecordSet::ReasonFirstChange)
                             binding->reload();
                     });
}

RecordSet* currentRecord(DataControl* source) {
    RecordSet* rs = source ? source->recordSet() : nullptr;
    return rs && rs->isOpen() && !rs->isBOF() && !rs->isEOF() ? rs : nullptr;
}
} // namespace

TextBinding::TextBinding(QLineEdit* edit, DataControl* source, const QString& field,
                         const QString& format)
    : QObject(edit), m_edit(edit), m_source(source), m_field(field), m_format(format) {
    connect(source, &DataControl::recordSetChanged, this, &TextBinding::reload);
    connect(source, &DataControl::moveComplete, this, &TextBinding::reload);
    connect(source, &DataControl::recordChangeComplete, this, [this](RecordSet::Reason reason) {
        // After a write the stored value is shown in its format; after an undo, the
        // value from before the edit.
        if (reason != RecordSet::ReasonFirstChange)
            reload();
    });
    connect(edit, &QLineEdit::textEdited, this, &TextBinding::write);
    reload();
}

void TextBinding::reload() {
    if (!m_edit)
        return;
    RecordSet* rs = m_source ? m_source->recordSet() : nullptr;
    const QVariant v = rs ? rs->value(m_field) : QVariant();
    m_loading = true;
    m_edit->setText(formatValue(v, m_format));
    // A long value is read from its start.
    m_edit->setCursorPosition(0);
    m_loading = false;
    m_invalid = false;
}

void TextBinding::write(const QString& text) {
    RecordSet* rs = m_source ? m_source->recordSet() : nullptr;
    if (m_loading || !rs)
        return;
    const int index = rs->fieldIndex(m_field);
    if (index < 0)
        return;
    QVariant value = text;
    if (text.trimmed().isEmpty() && rs->field(index).type != FieldType::VarWChar &&
        rs->field(index).type != FieldType::LongVarWChar) {
        value = QVariant();
    } else if (isPercentFormat(m_format)) {
        const auto rate = parsePercent(text);
        value = rate ? QVariant(*rate) : QVariant(text);
    } else if (rs->field(index).type == FieldType::Currency) {
        const auto amount = parseCurrency(text);
        value = amount ? QVariant::fromValue(*amount) : QVariant(text);
    } else if (rs->field(index).type == FieldType::Date) {
        const auto date = parseDateText(text);
        value = date ? QVariant(*date) : QVariant(text);
    }
    m_invalid = !rs->setValue(index, value);
    if (m_invalid && rs->lastError().number != ErrorNumber::kTypeMismatch)
        emit writeFailed(rs->lastError());
}

ComboBinding::ComboBinding(QComboBox* combo, DataControl* rowSource, const QString& listField,
                           const QString& boundColumn)
    : QObject(combo), m_combo(combo), m_rowSource(rowSource), m_model(new RecordSetModel(this)),
      m_listField(listField), m_boundColumn(boundColumn) {
    combo->setModel(m_model);
    connect(rowSource, &DataControl::recordSetChanged, this, &ComboBinding::refresh);
    connect(combo, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (m_loading)
            return;
        RecordSet* target = m_dataSource ? m_dataSource->recordSet() : nullptr;
        if (target && row >= 0)
            target->setValue(m_dataField, m_model->value(row, boundColumnIndex()));
        emit changed();
    });
    connect(combo, &QComboBox::editTextChanged, this, [this] {
        if (!m_loading)
            emit changed();
    });
    refresh();
}

void ComboBinding::setDataSource(DataControl* source, const QString& dataField) {
    if (m_dataSource)
        disconnect(m_dataSource, nullptr, this, nullptr);
    m_dataSource = source;
    m_dataField = dataField;
    if (source) {
        connect(source, &DataControl::recordSetChanged, this, &ComboBinding::reload);
        connect(source, &DataControl::moveComplete, this, &ComboBinding::reload);
        connect(source, &DataControl::recordChangeComplete, this, [this](RecordSet::Reason reason) {
            if (reason == RecordSet::ReasonUndoUpdate || reason == RecordSet::ReasonUndoAddNew)
                reload();
        });
    }
    reload();
}

void ComboBinding::refresh() {
    const QString keep = boundText();
    m_loading = true;
    m_model->setRecordSet(m_rowSource ? m_rowSource->recordSet() : nullptr);
    if (listColumn() >= 0)
        m_combo->setModelColumn(listColumn());
    Controls::fitListToEntries(m_combo);
    m_loading = false;
    setBoundText(keep);
}

int ComboBinding::listColumn() const {
    RecordSet* rs = m_rowSource ? m_rowSource->recordSet() : nullptr;
    return rs ? rs->fieldIndex(m_listField) : -1;
}

int ComboBinding::boundColumnIndex() const {
    RecordSet* rs = m_rowSource ? m_rowSource->recordSet() : nullptr;
    return rs ? rs->fieldIndex(m_boundColumn) : -1;
}

int ComboBinding::rowOfText(const QString& text) const {
    const int column = listColumn();
    if (column < 0 || text.isEmpty())
        return -1;
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (m_model->value(row, column).toString().compare(text, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

QString ComboBinding::text() const {
    return m_combo ? m_combo->currentText() : QString();
}

bool ComboBinding::matchedWithList() const {
    return rowOfText(text()) >= 0;
}

QString ComboBinding::boundText() const {
    if (!m_combo)
        return {};
    const QString shown = text();
    if (shown.isEmpty())
        return {};
    const int row =
        m_combo->currentIndex() >= 0 &&
                m_model->value(m_combo->currentIndex(), listColumn()).toString() == shown
            ? m_combo->currentIndex()
            : rowOfText(shown);
    if (row < 0)
        return shown;
    return m_model->value(row, boundColumnIndex()).toString();
}

void ComboBinding::setBoundText(const QString& value) {
    if (!m_combo)
        return;
    const int column = boundColumnIndex();
    int found = -1;
    if (!value.isEmpty() && column >= 0)
        for (int row = 0; row < m_model->rowCount() && found < 0; ++row)
            if (m_model->value(row, column).toString() == value)
                found = row;
    m_loading = true;
    m_combo->setCurrentIndex(found);
    // Text typed over the chosen row goes too, even when the row stays the same.
    if (m_combo->isEditable())
        m_combo->setEditText(found < 0 ? QString() : m_combo->itemText(found));
    if (m_combo->lineEdit())
        m_combo->lineEdit()->setCursorPosition(0);
    m_loading = false;
    emit changed();
}

bool ComboBinding::choose(const QVariant& value) {
    const int column = boundColumnIndex();
    if (!m_combo || column < 0)
        return false;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->value(row, column).toString() != value.toString())
            continue;
        // From no choice, so that the record takes the value even if the row was chosen.
        m_loading = true;
        m_combo->setCurrentIndex(-1);
        m_loading = false;
        m_combo->setCurrentIndex(row);
        return true;
    }
    return false;
}

void ComboBinding::reload() {
    RecordSet* rs = m_dataSource ? m_dataSource->recordSet() : nullptr;
    setBoundText(rs ? rs->value(m_dataField).toString() : QString());
}

DateBinding::DateBinding(QDateEdit* edit, DataControl* source, const QString& field)
    : QObject(edit), m_edit(edit), m_source(source), m_field(field) {
    edit->setMinimumDate(noDate());
    // A single space: an empty special text would show the lowest date itself.
    edit->setSpecialValueText(QStringLiteral(" "));
    edit->setCalendarPopup(true);
    edit->calendarWidget()->installEventFilter(this);
    followRecord(this, source);
    connect(edit, &QDateEdit::dateChanged, this, &DateBinding::write);
    reload();
}

QDate DateBinding::noDate() {
    return {1753, 1, 1};
}

std::optional<QDate> DateBinding::date() const {
    if (!m_edit || m_edit->date() <= noDate())
        return std::nullopt;
    return m_edit->date();
}

void DateBinding::reload() {
    if (!m_edit)
        return;
    RecordSet* rs = currentRecord(m_source);
    const QVariant v = rs ? rs->value(m_field) : QVariant();
    QDate shown = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
    if (!shown.isValid() || shown < noDate())
        shown = noDate();
    m_loading = true;
    m_edit->setDate(shown);
    m_loading = false;
}

void DateBinding::write(QDate date) {
    RecordSet* rs = currentRecord(m_source);
    if (m_loading || !rs)
        return;
    rs->setValue(m_field, date <= noDate() ? QVariant() : QVariant(date));
}

bool DateBinding::eventFilter(QObject* watched, QEvent* event) {
    // The calendar of a blank box would open on the lowest date, centuries back.
    if (event->type() == QEvent::Show && m_edit && !date()) {
        auto* calendar = static_cast<QCalendarWidget*>(watched);
        const QDate today = QDate::currentDate();
        calendar->setCurrentPage(today.year(), today.month());
    }
    return QObject::eventFilter(watched, event);
}

PlainTextBinding::PlainTextBinding(QPlainTextEdit* edit, DataControl* source, const QString& field)
    : QObject(edit), m_edit(edit), m_source(source), m_field(field) {
    edit->setTabChangesFocus(true);
    followRecord(this, source);
    connect(edit, &QPlainTextEdit::textChanged, this, &PlainTextBinding::write);
    reload();
}

void PlainTextBinding::reload() {
    if (!m_edit)
        return;
    RecordSet* rs = currentRecord(m_source);
    // Unchanged text is not set again, so the cursor stays where the user left it.
    const QString text = rs ? rs->value(m_field).toString() : QString();
    if (text == m_edit->toPlainText())
        return;
    m_loading = true;
    m_edit->setPlainText(text);
    m_loading = false;
}

void PlainTextBinding::write() {
    RecordSet* rs = currentRecord(m_source);
    if (m_loading || !rs)
        return;
    const QString text = m_edit->toPlainText();
    rs->setValue(m_field, text.isEmpty() ? QVariant() : QVariant(text));
}
