#include "estimates/customerstore.h"

#include "data/connection.h"

#include <QCoreApplication>

namespace CustomerStore {

namespace {
QString tr(const char* text) {
    return QCoreApplication::translate("CustomerStore", text);
}

QVariantList fieldValues(const CustomerRecord& c) {
    // An empty field is stored as no value, as the other screens leave them.
    auto value = [](const QString& text) {
        const QString trimmed = text.trimmed();
        return trimmed.isEmpty() ? QVariant() : QVariant(trimmed);
    };
    return {c.name.trimmed(), value(c.contact), value(c.address), value(c.city),
            value(c.phone),   value(c.email),   value(c.notes)};
}

bool announced(bool done) {
    if (done)
        emit events()->changed();
    return done;
}
} // namespace

Events* events() {
    static Events instance;
    return &instance;
}

QString nameProblem(Connection& connection, const QString& name, int exceptId) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return tr("Please enter the customer's name.");
    if (trimmed.size() > kNameLength)
        return tr("A customer's name can be at most %1 characters long; this one has %2. Please "
                  "shorten it.")
            .arg(kNameLength)
            .arg(trimmed.size());
    Statement same(connection.database(),
                   QStringLiteral("SELECT CustomerID, CustomerName FROM CustomersTBL WHERE "
                                  "CustomerName = ? COLLATE NOCASE AND CustomerID <> ?"));
    same.bindAll({trimmed, exceptId});
    if (same.next())
        return tr("There is already a customer named %1. Please enter a name no other customer "
                  "has.")
            .arg(same.value(1).toString());
    return {};
}

std::optional<int> idOfName(Connection& connection, const QString& name) {
    Statement find(connection.database(),
                   QStringLiteral("SELECT CustomerID FROM CustomersTBL WHERE CustomerName = ? "
                                  "COLLATE NOCASE"));
    find.bindAll({name.trimmed()});
    if (find.next())
        return int(find.integer(0));
    return std::nullopt;
}

std::optional<CustomerRecord> load(Connection& connection, int id) {
    Statement row(connection.database(),
                  QStringLiteral("SELECT CustomerID, CustomerName, ContactName, Address, City, "
                                 "Phone, Email, Notes FROM CustomersTBL WHERE CustomerID = ?"));
    row.bindAll({id});
    if (!row.next())
        return std::nullopt;
    auto text = [&row](int column) { return row.value(column).toString(); };
    return CustomerRecord{
        int(row.integer(0)), text(1), text(2), text(3), text(4), text(5), text(6), text(7)};
}

std::optional<int> add(Connection& connection, const CustomerRecord& customer) {
    if (!announced(connection.execute(
            QStringLiteral("INSERT INTO CustomersTBL (CustomerName, ContactName, Address, City, "
                           "Phone, Email, Notes) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            fieldValues(customer))))
        return std::nullopt;
    return int(connection.database().lastInsertId());
}

bool update(Connection& connection, const CustomerRecord& customer) {
    QVariantList values = fieldValues(customer);
    values << customer.id;
    return announced(connection.execute(
        QStringLiteral("UPDATE CustomersTBL SET CustomerName = ?, ContactName = ?, Address = ?, "
                       "City = ?, Phone = ?, Email = ?, Notes = ? WHERE CustomerID = ?"),
        values));
}

bool remove(Connection& connection, int id) {
    return announced(
        connection.execute(QStringLiteral("DELETE FROM CustomersTBL WHERE CustomerID = ?"), {id}));
}

int estimateCount(Connection& connection, int id) {
    Statement count(connection.database(),
                    QStringLiteral("SELECT COUNT(*) FROM EstimateTBL WHERE CustomerID = ?"));
    count.bindAll({id});
    return count.next() ? int(count.integer(0)) : 0;
}

} // namespace CustomerStore
