// The screens' combo boxes: a drop-down list fitted to its longest entry as it opens.
#include "widgets/screencontrols.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QTest>

class TestScreenControls : public QObject {
    Q_OBJECT
private slots:
    void listFilledRowByRowIsMeasuredOnceWhenOpened();
    void openedListShowsItsWidestEntryWhole_data();
    void openedListShowsItsWidestEntryWhole();
    void keyboardOpensAFittedListToo();
};

namespace {

// A combo of the screens on a shown window, its list filled by a model the test fills.
struct Fixture {
    QWidget window;
    QComboBox* box = Controls::combo(&window, QStringLiteral("cbTest"), QString(), 10, 10, 90);
    QStandardItemModel model;

    Fixture() {
        window.resize(300, 200);
        box->setModel(&model);
        Controls::fitListToEntries(box);
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
    void add(const QString& name) { model.appendRow(new QStandardItem(name)); }
    void openWithMouse() {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = true;
        const QRect arrow = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxArrow, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
        QTRY_VERIFY(box->view()->isVisible());
    }
    void close() {
        box->hidePopup();
        QTRY_VERIFY(!box->view()->isVisible());
    }
    // Whether the open list shows the name without cutting it.
    bool showsWhole(const QString& name) const {
        const int needed = box->view()->fontMetrics().horizontalAdvance(name);
        const int screen = box->screen()->availableGeometry().width();
        return box->view()->viewport()->width() >= qMin(needed, screen);
    }
};

} // namespace

void TestScreenControls::listFilledRowByRowIsMeasuredOnceWhenOpened() {
    Fixture f;
    for (int i = 0; i < 500; ++i)
        f.add(QStringLiteral("Supplier %1").arg(i));
    f.model.item(7)->setText(QStringLiteral("Supplier renamed while nobody looked"));
    QCOMPARE(Controls::listFits(f.box), 0);
    f.openWithMouse();
    QCOMPARE(Controls::listFits(f.box), 1);
    QVERIFY(f.showsWhole(QStringLiteral("Supplier renamed while nobody looked")));
    f.close();
    // Opened again unchanged: nothing to measure.
    f.openWithMouse();
    QCOMPARE(Controls::listFits(f.box), 1);
    f.close();
    // A longer name added later widens the list the next time it opens.
    const QString longer = QStringLiteral("Consolidated Northwestern Plumbing and Heating Supply");
    f.add(longer);
    f.openWithMouse();
    QCOMPARE(Controls::listFits(f.box), 2);
    QVERIFY(f.showsWhole(longer));
    f.close();
}

void TestScreenControls::openedListShowsItsWidestEntryWhole_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("widest");
    // The widest is not the one of most characters.
    QTest::newRow("wide letters") << QStringList{QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiii"),
                                                 QStringLiteral("WWWWWWWWWWWWWWW"),
                                                 QStringLiteral("Acme")}
                                  << QStringLiteral("WWWWWWWWWWWWWWW");
    QTest::newRow("accents and kerning")
        << QStringList{QStringLiteral("AVAVAVAVAVAVAVAVAVAV"),
                       QStringLiteral("Société Générale d'Électricité Œuvre"),
                       QStringLiteral("Ёлка и Москва")}
        << QStringLiteral("Société Générale d'Électricité Œuvre");
    QTest::newRow("combining marks and other scripts")
        << QStringList{QStringLiteral("Cafe\u0301 Cafe\u0301 Cafe\u0301 Cafe\u0301 Cafe\u0301"),
                       QStringLiteral(
                           "\u0634\u0631\u0643\u0629 \u0627\u0644\u062a\u0648\u0631\u064a\u062f"),
                       QStringLiteral("Short")}
        << QStringLiteral("Cafe\u0301 Cafe\u0301 Cafe\u0301 Cafe\u0301 Cafe\u0301");
}

void TestScreenControls::openedListShowsItsWidestEntryWhole() {
    QFETCH(QStringList, names);
    QFETCH(QString, widest);
    Fixture f;
    for (const QString& name : names)
        f.add(name);
    f.openWithMouse();
    for (const QString& name : names)
        QVERIFY2(f.showsWhole(name), qPrintable(name));
    QVERIFY(f.showsWhole(widest));
    f.close();
}

void TestScreenControls::keyboardOpensAFittedListToo() {
    Fixture f;
    const QString name = QStringLiteral("Consolidated Northwestern Plumbing and Heating Supply");
    f.add(QStringLiteral("Acme"));
    f.add(name);
    f.box->setFocus();
    // Typing only completes the name: nothing to measure yet.
    QTest::keyClicks(f.box, QStringLiteral("Con"));
    QCOMPARE(Controls::listFits(f.box), 0);
    QTest::keyClick(f.box, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(f.box->view()->isVisible());
    QCOMPARE(Controls::listFits(f.box), 1);
    QVERIFY(f.showsWhole(name));
    f.close();
}

QTEST_MAIN(TestScreenControls)
#include "tst_screencontrols.moc"
