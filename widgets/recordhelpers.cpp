#include "widgets/recordhelpers.h"

#include "data/connection.h"
#include "data/fieldtype.h"
#include "data/formats.h"
#include "data/mparse.h"
#include "data/recordset.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>

namespace {

QVariant emptyValueOf(int type) {
    switch (type) {
    case FieldType::Empty:
    case FieldType::Variant:
        return QVariant();
    case FieldType::SmallInt:
    case FieldType::Integer:
    case 10: // error code
    case 16:
    case 17:
    case 18:
    case 19:
    case FieldType::BigInt:
    case 21:
    case 204:
    case FieldType::LongVarBinary:
        return QVariant::fromValue(qint16(0));
    case FieldType::Currency:
        return QVariant::fromValue(Money());
    case FieldType::Single:
    case FieldType::Double:
    case 14:  // decimal
    case 131: // numeric
        return 0.0;
    case FieldType::Date:
    case 133:
    case 134:
    case 135:
        return dateFromSerial(0);
    case FieldType::BStr:
    case 129:
    case 130:
    case 200:
    case 201:
    case FieldType::VarWChar:
    case FieldType::LongVarWChar:
        return QString(QLatin1String(""));
    case FieldType::Boolean:
        return false;
    default:
        return QVariant();
    }
}

QString controlText(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w))
        return t->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w))
        return t->toPlainText();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    return w->windowTitle();
}

QString criteriaName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_]\\w*$"));
    return plain.match(name).hasMatch() ? name : QLatin1Char('[') + name + QLatin1Char(']');
}

bool isNumberValue(const QVariant& v) {
    return isNumberType(v.typeId()) || v.typeId() == qMetaTypeId<Money>();
}

} // namespace

QVariant GetFieldValue(const RecordSet& recordSet, int field,
                       const std::optional<QVariant>& defaultValue) {
    if (field < 0 || field >= recordSet.fieldCount()) {
        ShowError(QStringLiteral("3265: Item cannot be found in the collection corresponding to "
                                 "the requested name or ordinal."),
                  QStringLiteral("modMain / GetFieldValue"));
        return QVariant();
    }
    const QVariant v = recordSet.value(field);
    if (v.isValid() && !v.isNull())
        return v;
    if (defaultValue)
        return *defaultValue;
    return emptyValueOf(recordSet.field(field).type);
}

QVariant GetFieldValue(const RecordSet& recordSet, const QString& field,
                       const std::optional<QVariant>& defaultValue) {
    return GetFieldValue(recordSet, recordSet.fieldIndex(field), defaultValue);
}

bool IsValidate(bool initial, const QStringList& controlNames, int count, const QWidget* window) {
    bool result = initial;
    if (!window)
        return result;
    for (int i = 0; i < count && i < controlNames.size(); ++i) {
        const auto* control = window->findChild<QWidget*>(controlNames.at(i));
        if (control)
            result = result && !controlText(control).isEmpty();
    }
    return result;
}

void SelectGridRowByRowNum(QTableView* grid, QWidget* marker, int rowNumber) {
    if (!grid || !grid->model())
        return;
    QAbstractItemModel* model = grid->model();
    if (rowNumber < 1 || rowNumber > model->rowCount())
        return;
    const int row = rowNumber - 1;
    const int column = grid->currentIndex().isValid() ? grid->currentIndex().column() : 0;
    const QModelIndex index = model->index(row, column);
    grid->scrollTo(index, QAbstractItemView::EnsureVisible);
    grid->setCurrentIndex(index);
    if (marker) {
        const int y = grid->rowViewportPosition(row) + grid->viewport()->y() + grid->y();
        marker->move(marker->x(), y);
    }
}

void SelectGridRowByValue(QTableView* grid, QWidget* marker, const QVariant& value) {
    if (!grid || !value.isValid() || value.isNull())
        return;
    auto* model = qobject_cast<RecordSetModel*>(grid->model());
    RecordSet* bound = model ? model->recordSet() : nullptr;
    if (!bound || !bound->isOpen())
        return;
    const auto copy = bound->clone();
    if (copy->isBOF() && copy->isEOF())
        return;
    copy->moveFirst();
    const QString name = criteriaName(copy->field(0).name);
    QString criteria;
    if (value.typeId() == QMetaType::QString) {
        // A quote inside the value is doubled so the value stays one literal.
        QString text = value.toString();
        text.replace(QLatin1Char('\''), QLatin1String("''"));
        criteria = name + QStringLiteral("='") + text + QLatin1Char('\'');
    } else if (isNumberValue(value)) {
        criteria = name + QLatin1Char('=') + value.toString();
    } else {
        return;
    }
    if (copy->find(criteria, 0, true) && !copy->isEOF())
        SelectGridRowByRowNum(grid, marker, copy->absolutePosition());
}

bool ValidateFieldValue(const QString& table, const QString& column, const QVariant& value,
                        QString& typeName, QString& displayName, Connection& connection) {
    bool result = false;
    QString declared;
    bool found = false;
    for (const ColumnInfo& c : connection.columns(table))
        if (c.name.compare(column, Qt::CaseInsensitive) == 0) {
            declared = c.declaredType;
            found = true;
        }
    if (found) {
        const QString text = value.toString();
        const bool numeric = isNumberValue(value) || isNumericText(text);
        switch (FieldType::fromDeclaredType(declared)) {
        case FieldType::Integer:
        case FieldType::Single:
        case FieldType::Double:
        case FieldType::Currency:
        case FieldType::BigInt:
            result = numeric;
            typeName = QStringLiteral("Numeric");
            break;
        case FieldType::Date:
            result = value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime ||
                     parseDateText(text).has_value();
            typeName = QStringLiteral("Date/Time");
            break;
        case FieldType::VarWChar:
            result = true;
            typeName = QStringLiteral("String");
            break;
        case FieldType::Boolean:
            result = numeric;
            typeName = QStringLiteral("Boolean");
            break;
        default:
            break;
        }
    }
    // An empty description must not reach the tokenizer: it would continue the text of an
    // earlier call and name the wrong column.
    const QString description = connection.columnDescription(table, column);
    const QString token =
        description.isEmpty() ? QString() : GetToken(description, QStringLiteral(";"));
    displayName = token.isEmpty() ? column : token;
    return result;
}

void ShowDatabaseError(const Connection* connection, const DbError& error, const QString& title) {
    if (connection && !connection->errors().isEmpty()) {
        const ProviderError& first = connection->errors().first();
        if (first.nativeError == ErrorNumber::kReferencedRow) {
            ShowError(QStringLiteral("There are records in the other tables linked with current "
                                     "record"),
                      QCoreApplication::applicationName());
            return;
        }
        ShowError(QString::number(first.nativeError) + QStringLiteral(": ") + first.description,
                  title);
        return;
    }
    ShowError(error.text(), title);
}
