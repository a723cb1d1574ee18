#pragma once

#include "data/dberror.h"
#include "report/quotedata.h"

class Connection;

// Where the printed quote reads from. The work table Test holds the one estimate being printed
// with its sums (an estimate without lines has sums of 0); the lines come from the rptDetail
// view, materials first, each type in the order its lines were entered; the customer, job,
// validity and terms from the estimate itself.
class DataEnvironment {
public:
    // Empties Test and fills it with the estimate's header and sums. The statements run one by
    // one; those done before a failure stay done. False with lastError() on a failure.
    bool fillWorkTable(Connection& connection, int estimateId);
    // Reads the estimate back from Test, with its lines grouped by type. False with lastError()
    // when the reading failed or Test does not hold the estimate.
    bool rptMain_Grouping(Connection& connection, int estimateId);

    const QuoteData& data() const { return m_data; }
    const DbError& lastError() const { return m_lastError; }

private:
    bool fail(const DbError& error);
    bool readCustomer(Connection& connection, int estimateId);
    bool readLines(Connection& connection, int estimateId);

    QuoteData m_data;
    DbError m_lastError;
};
