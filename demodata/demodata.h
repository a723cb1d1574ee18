#pragma once

#include <QDate>
#include <QString>
#include <functional>

// Generated data for trying the program out and for measuring it on a realistic catalogue.
namespace DemoData {

struct Counts {
    int materials = 150000;
    int manufacturers = 300;
    int suppliers = 800;
    int categories = 400;
    int estimators = 20;
    int customers = 300;
    int estimates = 6000;
    int materialLinesPerEstimate = 30;
    int laborLinesPerEstimate = 8;
    int years = 5;      // estimates spread over this many years back from today
    int priceYears = 3; // price dates spread over this many years back from today
    quint32 seed = 20261206;
    QDate today; // the day the data are generated as of; invalid means the current date
};

// Told now and then how many of the rows to write are written, from (0, total) to (total, total).
using Progress = std::function<void(qint64 written, qint64 total)>;

// Creates a new database at path (refusing an existing file), or in an empty database on a server
// (a "postgresql://" address), and fills it. The same counts and
// seed give the same data.
bool generate(const QString& path, const Counts& counts, QString* error,
              const Progress& progress = {});

} // namespace DemoData
