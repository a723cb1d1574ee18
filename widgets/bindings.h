#pragma once

#include "data/dberror.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class DataControl;
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
class RecordSetModel;

// Binds a text box to a field of a data control's current record: the box shows the value in
// its display format and every edit becomes a pending value of the record, written with it.
class TextBinding : public QObject {
    Q_OBJECT
public:
    TextBinding(QLineEdit* edit, DataControl* source, const QString& field,
                const QString& format = {});

    QLineEdit* edit() const { return m_edit; }
    QString field() const { return m_field; }
    // Shows the current record's value again (dropping what was typed).
    void reload();
    // Whether the typed text could not be taken as a value of the field.
    bool hasInvalidText() const { return m_invalid; }

signals:
    void writeFailed(const DbError& error);

private:
    void write(const QString& text);

    QPointer<QLineEdit> m_edit;
    QPointer<DataControl> m_source;
    QString m_field;
    QString m_format;
    bool m_loading = false;
    bool m_invalid = false;
};

// Binds a combo box to a list: it shows one field of a row source's rows (the list field),
// stands for another (the bound column), and, when given a data source, stores the bound value
// into a field of that source's current record.
class ComboBinding : public QObject {
    Q_OBJECT
public:
    ComboBinding(QComboBox* combo, DataControl* rowSource, const QString& listField,
                 const QString& boundColumn);

    void setDataSource(DataControl* source, const QString& dataField);
    QComboBox* combo() const { return m_combo; }

    QString text() const;
    // The bound column's value of the chosen row as text; the typed text when it matches no
    // row; empty when nothing is chosen.
    QString boundText() const;
    void setBoundText(const QString& value);
    // Chooses the row whose bound column holds value, as a choice from the list does: the data
    // source's record takes the value. False when no row holds it.
    bool choose(const QVariant& value);
    bool matchedWithList() const;
    // Re-reads the list from the row source.
    void refresh();
    // Shows the data source's stored value again, dropping whatever was typed.
    void reload();

signals:
    // The bound value may have changed (a choice, typing, or the record moving).
    void changed();

private:
    int listColumn() const;
    int boundColumnIndex() const;
    int rowOfText(const QString& text) const;

    QPointer<QComboBox> m_combo;
    QPointer<DataControl> m_rowSource;
    QPointer<DataControl> m_dataSource;
    RecordSetModel* m_model;
    QString m_listField;
    QString m_boundColumn;
    QString m_dataField;
    bool m_loading = false;
};

// Binds a date box to a date field. A field with no date shows blank (the box's lowest date,
// shown as its special value); setting the box to it stores no date. The calendar of a blank
// box opens on today.
class DateBinding : public QObject {
    Q_OBJECT
public:
    DateBinding(QDateEdit* edit, DataControl* source, const QString& field);

    QDateEdit* edit() const { return m_edit; }
    // The box's date; nullopt when it is blank.
    std::optional<QDate> date() const;
    void reload();

    // The lowest date of every bound box, which stands for none.
    static QDate noDate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void write(QDate date);

    QPointer<QDateEdit> m_edit;
    QPointer<DataControl> m_source;
    QString m_field;
    bool m_loading = false;
};

// Binds a several-line text box to a text field: every edit becomes a pending value of the
// record. Tab leaves the box; Enter starts a new line.
class PlainTextBinding : public QObject {
    Q_OBJECT
public:
    PlainTextBinding(QPlainTextEdit* edit, DataControl* source, const QString& field);
    void reload();

private:
    void write();

    QPointer<QPlainTextEdit> m_edit;
    QPointer<DataControl> m_source;
    QString m_field;
    bool m_loading = false;
};
