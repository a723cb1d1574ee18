// Tools > Import Price List driven as a user does: the file and supplier, the columns, the
// preview's filters, applying, the report, and what the user is told when something is wrong.
#include "app/mainwindow.h"
#include "data/money.h"
#include "pricelist/pricelistdialog.h"
#include "support/materialsscreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedfiledialogs.h"
#include "support/scriptedmessages.h"
#include "support/userinput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtTest>

namespace {

// A catalogue of supplier 1 (Acme Supply) priced long ago.
void addCatalogue(TestDatabase& db) {
    db.addSmallLookups();
    for (const QVariantList& m :
         QList<QVariantList>{{"A-100", 10.0}, {"B-200", 5.0}, {"C-300", 2.0}})
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, CatagoryID, "
                               "PartNumber, UnitCost, ManufacturerDescription, UpdatedLast) "
                               "VALUES (1, 1, 1, ?, ?, 'Stock item', '2020-01-01')"),
                m);
}

QString writeList(const QString& dir, const QByteArray& text) {
    const QString path = dir + QStringLiteral("/prices.csv");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

const QByteArray kList = "Item,Text,Cost,Brand,Group\n"
                         "A-100,Ball valve,12.00,Cascade,Fittings\n" // +20%
                         "b-200,Elbow,5.00,Cascade,Fittings\n"       // unchanged
                         "C-300,Coupling,3.00,Cascade,Fittings\n"    // +50%: to check
                         "N-1,New tee,4.25,Delta,Valves\n"           // new
                         "X-1,Bad,abc,,\n";                          // refused

// The materials, in the order they were added, each as the SQL expression renders it.
// The catalogue as text: each material's columns joined by the separator, in the order of entry.
QString catalogue(TestDatabase& db, const char* columns, const char* separator = " ") {
    Statement q(db.connection().database(),
                QStringLiteral("SELECT %1 FROM MaterialsTBL ORDER BY MaterialsID")
                    .arg(QLatin1String(columns)));
    QStringList materials;
    while (q.next()) {
        QStringList values;
        for (int column = 0; column < q.columnCount(); ++column)
            values << q.value(column).toString();
        materials << values.join(QLatin1String(separator));
    }
    return materials.join(QStringLiteral(", "));
}

void click(QWidget* w) {
    UserInput::click(w);
}

// Chooses an entry of a combo as a user does: a click on its arrow, then on the entry.
void pick(QComboBox* combo, const QString& text) {
    MaterialsScreen::choose(combo, text);
    QCOMPARE(combo->currentText(), text);
}

struct Import {
    Program p;
    ScriptedMessages messages;
    ScriptedFileDialogs files;
    std::unique_ptr<frmMain> window;

    Import() {
        addCatalogue(p.db);
        if (!p.load())
            qWarning("the program did not load");
        window = std::make_unique<frmMain>();
        window->show();
    }
    // Opens the dialog from the Tools menu and runs steps on it.
    bool run(const std::function<void(frmImportPriceList*)>& steps) {
        return whileModal([this] { window->mnuToolsImportPriceList->trigger(); },
                          [&steps](QDialog* dialog) {
                              auto* import = qobject_cast<frmImportPriceList*>(dialog);
                              QVERIFY(import);
                              steps(import);
                          });
    }
    // The first step done: the file chosen with Browse, the supplier picked.
    void chooseFileAndSupplier(frmImportPriceList* d, const QString& path,
                               const QString& supplier = QStringLiteral("Acme Supply")) {
        files.answerNext(path);
        click(d->cmdBrowse);
        QCOMPARE(d->txtFile->text(), QDir::toNativeSeparators(path));
        pick(d->cbSupplier, supplier);
        click(d->cmdNext);
    }
};

} // namespace

class TestPriceListDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }

    void fromFileToReport() {
        Import import;
        const QString path = writeList(import.p.db.dir(), kList);
        const QString reportPath = import.p.db.dir() + QStringLiteral("/changes.csv");
        QVERIFY(import.run([&](frmImportPriceList* d) {
            QCOMPARE(d->step(), frmImportPriceList::ChooseFile);
            import.chooseFileAndSupplier(d, path);

            // The columns, guessed from the header.
            QCOMPARE(d->step(), frmImportPriceList::MapColumns);
            QCOMPARE(d->cbColumn[ColumnMapping::PartNumber]->currentText(),
                     QStringLiteral("A: Item"));
            QCOMPARE(d->cbColumn[ColumnMapping::UnitCost]->currentText(),
                     QStringLiteral("C: Cost"));
            QCOMPARE(d->cbColumn[ColumnMapping::Manufacturer]->currentText(),
                     QStringLiteral("D: Brand"));
            QCOMPARE(d->grdSample->model()->rowCount(), 5);
            pick(d->cbColumn[ColumnMapping::Description], QStringLiteral("B: Text"));
            click(d->cmdNext);

            // The preview: counts, filters, search and sorting.
            QCOMPARE(d->step(), frmImportPriceList::Preview);
            QCOMPARE(d->lblCounts->text(),
                     QStringLiteral("5 rows read: <b>2 prices changed</b> (1 marked to check), 1 "
                                    "unchanged, <b>1 new material</b>, <b>1 refused row</b>."));
            QAbstractItemModel* rows = d->grdPreview->model();
            QCOMPARE(rows->rowCount(), 4);
            pick(d->cbShow, QStringLiteral("Refused rows"));
            QCOMPARE(rows->rowCount(), 1);
            QVERIFY(rows->index(0, 7).data().toString().contains(QStringLiteral("not an amount")));
            pick(d->cbShow, QStringLiteral("All rows"));
            QTest::keyClicks(d->txtSearch, QStringLiteral("c-3"));
            QCOMPARE(rows->rowCount(), 1);
            d->txtSearch->clear();
            // A click on the Change heading sorts by the change, largest first on a second click.
            QHeaderView* header = d->grdPreview->horizontalHeader();
            const QPoint change(header->sectionViewportPosition(6) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, change);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, change);
            QCOMPARE(rows->index(0, 2).data().toString(), QStringLiteral("C-300"));
            // A higher mark leaves nothing to check.
            UserInput::typeInto(d->spnFlagPercent, QStringLiteral("60"));
            QTest::keyClick(d->spnFlagPercent, Qt::Key_Tab);
            QVERIFY(d->lblCounts->text().contains(QStringLiteral("0 marked to check")));

            // Another window saves A-100's price meanwhile: Apply leaves it as saved.
            Connection other;
            QVERIFY(openProgramFile(other, import.p.db.path()));
            QVERIFY(other.execute(QStringLiteral(
                "UPDATE MaterialsTBL SET UnitCost = 10.5 WHERE PartNumber = 'A-100'")));

            // Apply with the new material, its names matched on the lists.
            click(d->chkAddNew);
            QVERIFY(d->chkCreateNames->isEnabled());
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::Report);
            QCOMPARE(d->result().priceChanges, 1);
            QCOMPARE(d->result().changedMeanwhile, 1);
            QCOMPARE(d->result().added, 1);
            QCOMPARE(d->grdReport->model()->rowCount(), 3);
            QCOMPARE(d->grdReport->model()->index(0, 3).data().toString(),
                     QStringLiteral("Changed since the preview"));
            QCOMPARE(d->grdReport->model()->index(0, 6).data().toString(),
                     QStringLiteral("unit cost changed to 10.5 since the preview"));
            QVERIFY(d->lblReport->text().startsWith(
                QStringLiteral("1 price changed, 1 material added. ")));
            QVERIFY(d->lblReport->text().contains(QStringLiteral("changed since the preview")));
            import.files.answerNext(reportPath);
            click(d->cmdSaveReport);
            click(d->cmdClose);
        }));
        // C-300 changed, A-100 as the other window saved it, B-200 unstamped, N-1 under Delta.
        QCOMPARE(catalogue(import.p.db, "PartNumber, UnitCost, ManufacturerID, "
                                        "SUBSTR(CAST(UpdatedLast AS TEXT), 1, 4)"),
                 QStringLiteral("A-100 10.5 1 2020, B-200 5 1 2020, C-300 3 1 %1, N-1 4.25 2 %1")
                     .arg(QDate::currentDate().year()));
        QFile report(reportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = report.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[1].startsWith("2,A-100,Stock item,Changed since the preview,10,12,20.0,"));
        QVERIFY(lines[3].startsWith("5,N-1,New tee,Added,"));
        QVERIFY(import.messages.shown().isEmpty());
    }

    void whatTheUserIsToldAndNothingChanges() {
        Import import;
        TestDatabase& db = import.p.db;
        const char* material = "PartNumber, UnitCost, UpdatedLast";
        const QString before = catalogue(db, material);
        const QString headerOnly = writeList(db.dir(), "Item,Cost\n");
        QVERIFY(import.run([&](frmImportPriceList* d) {
            // Next with nothing chosen names what is missing, and stays.
            click(d->cmdNext);
            QCOMPARE(import.messages.texts().last(),
                     QStringLiteral("Choose the supplier the price list comes from."));
            // A supplier not on the list is offered to the list's editor; No keeps the dialog here.
            d->cbSupplier->setFocus();
            QTest::keyClicks(d->cbSupplier, QStringLiteral("Nobody Ltd"));
            import.messages.answerNext(QMessageBox::No);
            click(d->cmdNext);
            QVERIFY(import.messages.texts().last().startsWith(
                QStringLiteral("Nobody Ltd is not a valid")));
            QCOMPARE(d->step(), frmImportPriceList::ChooseFile);
            // A header without rows.
            import.chooseFileAndSupplier(d, headerOnly);
            QCOMPARE(d->step(), frmImportPriceList::ChooseFile);
            QVERIFY(
                import.messages.texts().last().contains(QStringLiteral("a header without prices")));
            // Columns without a price: refused before any preview.
            writeList(db.dir(), "Item,Text\nA-100,Valve\n");
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::MapColumns);
            click(d->cmdNext);
            QVERIFY(import.messages.texts().last().contains(QStringLiteral("unit cost")));
            QCOMPARE(d->step(), frmImportPriceList::MapColumns);
            // Back, another list, and an apply the database refuses half-way.
            click(d->cmdBack);
            writeList(db.dir(), kList);
            click(d->cmdNext);
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::Preview);
            db.refuse("refuse", "UPDATE", "MaterialsTBL", "refused by the test",
                      "NEW.PartNumber = 'C-300'");
            click(d->cmdNext);
            QVERIFY(import.messages.texts().last().startsWith(
                QStringLiteral("Nothing was changed in the catalogue.")));
            QCOMPARE(d->step(), frmImportPriceList::Preview);
            // Esc closes the dialog.
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        }));
        db.allowAgain("refuse", "MaterialsTBL");
        QCOMPARE(catalogue(db, material), before);
    }

    // A list whose rows reach Excel's last column (16,384) maps and previews (about a quarter of a
    // second each on a busy machine).
    void aListReachingFarToTheRight() {
        Import import;
        const QByteArray gap(16382, ',');
        const QString path = writeList(import.p.db.dir(), "Item,Cost" + gap + "Note\nA-100,12" +
                                                              gap + "x\nB-200,6" + gap + "y\n");
        QVERIFY(import.run([&](frmImportPriceList* d) {
            import.chooseFileAndSupplier(d, path);
            QCOMPARE(d->step(), frmImportPriceList::MapColumns);
            QCOMPARE(d->grdSample->model()->columnCount(), 16384);
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::Preview);
            QCOMPARE(d->preview().changed.size(), 2);
            QTest::keyClick(d, Qt::Key_Escape);
        }));
    }

    // Bolt Brothers' list holds two of Acme Supply's part numbers: named so, left out of the new
    // materials, and added under Bolt Brothers only when ticked.
    void aPartNumberListedUnderAnotherSupplier() {
        Import import;
        TestDatabase& db = import.p.db;
        const QString path = writeList(db.dir(), "Item,Description,Cost,Brand,Group\n"
                                                 "A-100,Ball valve,12.00,Cascade,Fittings\n"
                                                 "b-200,Elbow,5.00,,\n"
                                                 "N-1,New tee,4.25,,\n");
        QVERIFY(import.run([&](frmImportPriceList* d) {
            import.chooseFileAndSupplier(d, path, QStringLiteral("Bolt Brothers"));
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::Preview);
            QCOMPARE(d->lblCounts->text(),
                     QStringLiteral("3 rows read: <b>0 prices changed</b> (0 marked to check), 0 "
                                    "unchanged, <b>1 new material</b>, <b>2 listed under another "
                                    "supplier</b>, <b>0 refused rows</b>."));
            QAbstractItemModel* rows = d->grdPreview->model();
            const QStringList statuses = {"Listed under Acme Supply", "Listed under Acme Supply",
                                          "New material"};
            const QStringList notes = {"Cascade / Fittings", "No manufacturer or category",
                                       "No manufacturer or category"};
            for (int row = 0; row < 3; ++row) {
                QCOMPARE(rows->index(row, 1).data().toString(), statuses[row]);
                QCOMPARE(rows->index(row, 7).data().toString(), notes[row]);
                QVERIFY(!rows->index(row, 1).data(Qt::CheckStateRole).isValid());
            }
            QVERIFY(rows->index(0, 2)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .contains(QStringLiteral("not under Bolt Brothers")));
            // "Add new materials" brings the rows' tick boxes, unticked; B-200's is ticked.
            click(d->chkAddNew);
            pick(d->cbDefaultManufacturer, QStringLiteral("Delta"));
            pick(d->cbDefaultCategory, QStringLiteral("Valves"));
            QCOMPARE(rows->index(0, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
            QVERIFY(!rows->index(2, 1).data(Qt::CheckStateRole).isValid());
            const QRect cell = d->grdPreview->visualRect(rows->index(1, 1));
            QStyle* style = d->grdPreview->style();
            const QPoint box(cell.left() + style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1 +
                                 style->pixelMetric(QStyle::PM_IndicatorWidth) / 2,
                             cell.center().y());
            QTest::mouseClick(d->grdPreview->viewport(), Qt::LeftButton, {}, box);
            QCOMPARE(rows->index(1, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
            click(d->cmdNext);
            QCOMPARE(d->step(), frmImportPriceList::Report);
            QVERIFY(d->lblReport->text().startsWith(QStringLiteral(
                "0 prices changed, 2 materials added, 1 not added (see its note). ")));
            QCOMPARE(d->grdReport->model()->index(0, 3).data().toString(),
                     QStringLiteral("Listed under Acme Supply"));
            click(d->cmdClose);
        }));
        QCOMPARE(catalogue(db, "PartNumber, SuppliersID", "@"),
                 QStringLiteral("A-100@1, B-200@1, C-300@1, b-200@2, N-1@2"));
        QVERIFY(import.messages.shown().isEmpty());
    }
};

QTEST_MAIN(TestPriceListDialog)
#include "tst_pricelistdialog.moc"
