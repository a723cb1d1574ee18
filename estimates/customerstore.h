#pragma once

#include <QObject>
#include <QString>
#include <optional>

class Connection;

// One row of CustomersTBL.
struct CustomerRecord {
    int id = 0; // 0 for a customer not stored yet
    QString name;
    QString contact;
    QString address;
    QString city;
    QString phone;
    QString email;
    QString notes;
};

// Reads and writes customers, every value bound. Each write that succeeds is announced through
// CustomerStore::events(), so every list of customers (the Estimate screen's box, the Customers
// dialog) follows whichever window made the change.
namespace CustomerStore {

// The length CustomersTBL declares for a name and for the other one-line fields.
constexpr int kNameLength = 255;
constexpr int kNotesLength = 4000;

class Events : public QObject {
    Q_OBJECT
signals:
    void changed();
};
Events* events();

// Why name cannot be a customer's name (other than the customer exceptId's own): empty, too
// long, or another customer's regardless of case. Empty when it can.
QString nameProblem(Connection& connection, const QString& name, int exceptId = 0);
// The key of the customer of this name regardless of case; nullopt when none.
std::optional<int> idOfName(Connection& connection, const QString& name);
std::optional<CustomerRecord> load(Connection& connection, int id);
// Stores a new customer; its key, or nullopt with the connection's error.
std::optional<int> add(Connection& connection, const CustomerRecord& customer);
bool update(Connection& connection, const CustomerRecord& customer);
bool remove(Connection& connection, int id);
// How many estimates name the customer.
int estimateCount(Connection& connection, int id);

} // namespace CustomerStore
