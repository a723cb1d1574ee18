#include "materials/pricelistreader.h"

#include <QTest>

class TestPriceListReader : public QObject {
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestPriceListReader)
#include "tst_pricelistreader.moc"
