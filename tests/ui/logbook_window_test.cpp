// The carnet window as a tank owner uses it: readings and deliveries typed in
// its dialogs, the summary they give, the journal edited, deleted from and
// undone, the tank's measures taken back, and the readings another program
// writes to the carnet meanwhile.
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"
#include "controls.h"
#include "logbook/carnet_store.h"
#include "logbook/carnet_tank.h"
#include "logbook/carnet_time.h"
#include "ui/import_dialog.h"
#include "ui/logbook_window.h"
#include "ui/message_box.h"
#include "widgets/save_path.h"

using namespace varnelle;
using namespace varnelle::testing;

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(varnelle::TankParameters)

namespace {

// A plain tank with flat ends: its litres are a circle's segment times the length.
TankParameters flatTank(double diameter = 1000) {
    TankParameters tank;
    tank.diameter = diameter;
    tank.cylinderLength = 2000;
    tank.strainerHeight = 50;
    tank.endShape = EndShape::FlatEnds;
    tank.intervals = defaultPrecisionThousands * 1000;
    return tank;
}

OutputConventions shown() {
    return conventionsForPeople(QLocale());
}

// The tank as the carnet reads it back, the fields of a main window that agrees.
TankParameters carnetTank(const TankParameters& tank) {
    const Outcome<TankDescription> description =
        carnetTankDescription(carnetValuesOf(tank), conventionsFor(QLocale()));
    return std::get<TankDescription>(description).tank;
}

QString litresText(double height) {
    return QStringLiteral("soit %1").arg(
        shown().litresWithUnit(totalVolumeAt(carnetTank(flatTank()), height), 0));
}

// Local times in the past, as typed in the dialogs.
QDateTime daysAgo(int days, int hour = 8) {
    return QDateTime(QDate::currentDate().addDays(-days), QTime(hour, 0));
}

std::vector<double> heightsIn(const QString& path) {
    Outcome<CarnetStore> store = CarnetStore::open(path, false);
    const Outcome<std::vector<StoredReading>> read = std::get<CarnetStore>(store).readings();
    std::vector<double> heights;
    for (const StoredReading& stored : std::get<std::vector<StoredReading>>(read)) {
        heights.push_back(stored.reading.heightMm);
    }
    return heights;
}

std::vector<double> receiptsIn(const QString& path) {
    Outcome<CarnetStore> store = CarnetStore::open(path, false);
    const Outcome<std::vector<StoredDelivery>> read =
        std::get<CarnetStore>(store).storedDeliveries();
    std::vector<double> litres;
    for (const StoredDelivery& stored : std::get<std::vector<StoredDelivery>>(read)) {
        litres.push_back(stored.delivery.receiptLitres);
    }
    return litres;
}

}  // namespace

class LogbookWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir folder_;
    QString path_;
    QPointer<LogbookWindow> window_;

    bool computed() {
        return QTest::qWaitFor([this]() { return !window_->isComputing(); }, 20000);
    }

    // A window on a new carnet of `tank`, with `fields` in the main window.
    bool openNew(const TankParameters& tank, const TankParameters& fields) {
        path_ = folder_.filePath(QStringLiteral("cuve-%1.carnet").arg(++carnets_));
        if (refusalOf(CarnetStore::create(path_, carnetValuesOf(tank)))) {
            return false;
        }
        LogbookWindow::open(window_, QIcon(), path_, fields);
        return computed();
    }

    QDialog* openDialog(const char* button, const char* dialog) {
        clickControl(findControl<QPushButton>(window_, QLatin1String(button)));
        settle();
        return findControl<QDialog>(window_, QLatin1String(dialog));
    }

    // Types a reading in its dialog; the dialog's refusal, empty once stored.
    QString typeReading(const QDateTime& time, const QString& height, bool centimetres = false) {
        QDialog* dialog = openDialog("newReadingButton", "readingDialog");
        fillReading(dialog, time, height, centimetres);
        return confirm(dialog);
    }

    void fillReading(QDialog* dialog, const QDateTime& time, const QString& height,
                     bool centimetres) {
        findControl<QDateTimeEdit>(dialog, QStringLiteral("readingTimeEdit"))->setDateTime(time);
        findControl<QCheckBox>(dialog, QStringLiteral("centimetresCheck"))->setChecked(centimetres);
        auto* field = findControl<QLineEdit>(dialog, QStringLiteral("heightField"));
        field->selectAll();
        QTest::keyClicks(field, height);
    }

    QString typeDelivery(const QDateTime& time, const QString& litres, const QString& price = {},
                         const QString& before = {}, const QString& after = {}) {
        QDialog* dialog = openDialog("newDeliveryButton", "deliveryDialog");
        findControl<QDateTimeEdit>(dialog, QStringLiteral("deliveryTimeEdit"))->setDateTime(time);
        QTest::keyClicks(findControl<QLineEdit>(dialog, QStringLiteral("receiptLitresField")),
                         litres);
        QTest::keyClicks(findControl<QLineEdit>(dialog, QStringLiteral("priceField")), price);
        QTest::keyClicks(findControl<QLineEdit>(dialog, QStringLiteral("heightBeforeField")),
                         before);
        QTest::keyClicks(findControl<QLineEdit>(dialog, QStringLiteral("heightAfterField")), after);
        return confirm(dialog);
    }

    // Clicks Enregistrer; the refusal shown, or empty once the dialog closed.
    QString confirm(QDialog* dialog) {
        QPointer<QDialog> open = dialog;
        clickControl(findControl<QPushButton>(dialog, QStringLiteral("okButton")));
        settle();
        if (open && open->isVisible()) {
            const QString refusal =
                findControl<QLabel>(dialog, QStringLiteral("refusalLabel"))->text();
            dialog->reject();
            settle();
            return refusal.isEmpty() ? QStringLiteral("(rien)") : refusal;
        }
        return computed() ? QString() : QStringLiteral("(calcul sans fin)");
    }

    QString summary() const {
        return findControl<QLabel>(window_, QStringLiteral("summaryLabel"))->text();
    }

    QString notice() const {
        return findControl<QLabel>(window_, QStringLiteral("noticeLabel"))->text();
    }

    QTableView* table() const {
        return findControl<QTableView>(window_, QStringLiteral("logTable"));
    }

    void selectRow(int row) {
        table()->setFocus();
        table()->setCurrentIndex(table()->model()->index(row, 0));
    }

    // As a user's double click: the press that picks the row, then the double click.
    void doubleClickCurrentRow() {
        const QPoint at = table()->visualRect(table()->currentIndex()).center();
        QTest::mousePress(table()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(table()->viewport(), Qt::LeftButton, {}, at);
        QTest::mousePress(table()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(table()->viewport(), Qt::LeftButton, {}, at);
    }

    int carnets_ = 0;

  private slots:
    void init() {
        QVERIFY(folder_.isValid());
        QVERIFY(openNew(flatTank(), carnetTank(flatTank())));
    }

    void cleanup() {
        if (window_) {
            window_->close();
        }
        settle();
    }

    void readingDialogAnswersWithLitres_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("centimetres");
        QTest::addColumn<QString>("litres");
        QTest::newRow("millimetres") << "500" << false << litresText(500);
        QTest::newRow("centimetresOfADipstick") << "42" << true << litresText(420);
        QTest::newRow("windowsDecimal") << shown().number(612.5) << false << litresText(612.5);
        QTest::newRow("decimalPeriod") << "612.5" << false << litresText(612.5);
        QTest::newRow("aboveTheTankNoLitres") << "1001" << false << QString();
        QTest::newRow("centimetresAboveTheTank") << "101" << true << QString();
        QTest::newRow("noNumber") << "abc" << false << QString();
    }

    void readingDialogAnswersWithLitres() {
        QFETCH(QString, typed);
        QFETCH(bool, centimetres);
        QFETCH(QString, litres);
        QDialog* dialog = openDialog("newReadingButton", "readingDialog");
        fillReading(dialog, daysAgo(1), typed, centimetres);
        QCOMPARE(findControl<QLabel>(dialog, QStringLiteral("litresLabel"))->text(), litres);
        dialog->reject();
    }

    void refusedReadingsStoreNothing_data() {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("centimetres");
        QTest::newRow("aboveTheTank") << daysAgo(1) << "1000.5" << false;
        QTest::newRow("negative") << daysAgo(1) << "-3" << false;
        QTest::newRow("centimetresAboveTheTank") << daysAgo(1) << "100,1" << true;
        QTest::newRow("empty") << daysAgo(1) << "" << false;
        QTest::newRow("noNumber") << daysAgo(1) << "douze" << false;
        QTest::newRow("twoDaysAhead") << daysAgo(-2) << "500" << false;
    }

    void refusedReadingsStoreNothing() {
        QFETCH(QDateTime, time);
        QFETCH(QString, typed);
        QFETCH(bool, centimetres);
        QVERIFY(!typeReading(time, typed, centimetres).isEmpty());
        QVERIFY(heightsIn(path_).empty());
    }

    void refusedDeliveriesStoreNothing_data() {
        QTest::addColumn<QString>("litres");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("refusal");
        // The tank holds a little more than 1 570 litres.
        QTest::newRow("none") << "0"
                              << ""
                              << ""
                              << "Une livraison apporte plus de 0 litre.";
        QTest::newRow("aboveTheCapacity") << "1600"
                                          << ""
                                          << ""
                                          << "capacité";
        QTest::newRow("heightAboveTheTank") << "500"
                                            << "1200"
                                            << ""
                                            << "diamètre";
        QTest::newRow("afterBelowBefore") << "500"
                                          << "600"
                                          << "300"
                                          << "plus basse";
        QTest::newRow("moreThanTheRoom") << "1000"
                                         << "600"
                                         << ""
                                         << "ne tient pas";
    }

    void refusedDeliveriesStoreNothing() {
        QFETCH(QString, litres);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, refusal);
        const QString said = typeDelivery(daysAgo(1), litres, QString(), before, after);
        QVERIFY2(said.contains(refusal), qPrintable(said));
        QVERIFY(receiptsIn(path_).empty());
    }

    // A season typed by hand: what the summary and the journal then say.
    void typedSeasonShowsInSummaryAndJournal() {
        QCOMPARE(typeReading(daysAgo(30), QStringLiteral("800")), QString());
        QCOMPARE(typeReading(daysAgo(15), QStringLiteral("70"), true), QString());
        QCOMPARE(typeReading(daysAgo(2, 7), QStringLiteral("400")), QString());
        QCOMPARE(typeDelivery(daysAgo(2), QStringLiteral("500"), shown().number(1.25),
                              QStringLiteral("400"), QStringLiteral("780")),
                 QString());
        QVERIFY2(notice().contains(QStringLiteral("Livraison du")), qPrintable(notice()));
        QCOMPARE(typeReading(daysAgo(0, 0), QStringLiteral("760")), QString());

        QCOMPARE(heightsIn(path_), (std::vector<double>{800, 700, 400, 760}));
        QCOMPARE(receiptsIn(path_), std::vector<double>{500});
        QCOMPARE(table()->model()->rowCount(), 5);
        const auto cell = [this](int row, int column) {
            return table()->model()->index(row, column).data().toString();
        };
        QCOMPARE(cell(0, 3), shown().number(totalVolumeAt(carnetTank(flatTank()), 760), 0, 0));
        QCOMPARE(cell(1, 1), QStringLiteral("livraison"));
        QCOMPARE(cell(1, 5), shown().number(1.25, 3, 3));
        QCOMPARE(cell(4, 1), QStringLiteral("relevé (jauge)"));
        QVERIFY(!cell(2, 4).isEmpty());  // litres per day since the reading before
        QVERIFY(cell(0, 4).isEmpty());   // none across the delivery
        const QString said = summary();
        QVERIFY2(said.contains(frenchTimeText(daysAgo(0, 0).toUTC())), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("À commander le")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("par jour")), qPrintable(said));
    }

    void journalEdits_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<std::vector<double>>("heights");
        QTest::addColumn<std::vector<double>>("receipts");
        // The journal: 700 (10 days ago), a delivery of 300, 650 (5 days ago).
        QTest::newRow("editNewest")
            << "edit-0" << std::vector<double>{700, 655} << std::vector<double>{300};
        QTest::newRow("editDelivery")
            << "edit-1" << std::vector<double>{700, 650} << std::vector<double>{320};
        QTest::newRow("deleteAnsweredYes")
            << "delete-0-yes" << std::vector<double>{700} << std::vector<double>{300};
        QTest::newRow("deleteAnsweredNo")
            << "delete-0-no" << std::vector<double>{700, 650} << std::vector<double>{300};
        QTest::newRow("deleteDelivery")
            << "delete-1-yes" << std::vector<double>{700, 650} << std::vector<double>{};
        QTest::newRow("undoTheAddition")
            << "undo" << std::vector<double>{700} << std::vector<double>{300};
        QTest::newRow("undoAnEdit")
            << "edit-0 undo" << std::vector<double>{700, 650} << std::vector<double>{300};
        QTest::newRow("undoADeletion")
            << "delete-2-yes undo" << std::vector<double>{700, 650} << std::vector<double>{300};
        QTest::newRow("undoTwice")
            << "delete-2-yes undo undo" << std::vector<double>{700} << std::vector<double>{300};
        QTest::newRow("undoMoreThanDone")
            << "undo undo undo undo" << std::vector<double>{} << std::vector<double>{};
    }

    void journalEdits() {
        QFETCH(QString, edit);
        QFETCH(std::vector<double>, heights);
        QFETCH(std::vector<double>, receipts);
        QCOMPARE(typeReading(daysAgo(10), QStringLiteral("700")), QString());
        QCOMPARE(typeDelivery(daysAgo(7), QStringLiteral("300")), QString());
        QCOMPARE(typeReading(daysAgo(5), QStringLiteral("650")), QString());

        for (const QString& step : edit.split(QLatin1Char(' '))) {
            const QStringList parts = step.split(QLatin1Char('-'));
            if (parts[0] == QLatin1String("undo")) {
                QTest::keySequence(window_, QKeySequence::Undo);
            } else if (parts[0] == QLatin1String("edit")) {
                selectRow(parts[1].toInt());
                doubleClickCurrentRow();
                settle();
                if (auto* dialog = window_->findChild<QDialog*>(QStringLiteral("readingDialog"))) {
                    fillReading(dialog, daysAgo(5), QStringLiteral("655"), false);
                    QCOMPARE(confirm(dialog), QString());
                } else {
                    auto* delivery =
                        findControl<QDialog>(window_, QStringLiteral("deliveryDialog"));
                    auto* litres =
                        findControl<QLineEdit>(delivery, QStringLiteral("receiptLitresField"));
                    litres->selectAll();
                    QTest::keyClicks(litres, QStringLiteral("320"));
                    QCOMPARE(confirm(delivery), QString());
                }
            } else {
                selectRow(parts[1].toInt());
                MessageBox::setNextAnswer(parts[2] == QLatin1String("yes") ? QMessageBox::Yes
                                                                           : QMessageBox::No);
                QTest::keyClick(table(), Qt::Key_Delete);
                QVERIFY(MessageBox::lastQuestion().startsWith(QStringLiteral("Supprimer")));
            }
            settle();
            QVERIFY(computed());
        }
        QCOMPARE(heightsIn(path_), heights);
        QCOMPARE(receiptsIn(path_), receipts);
        QCOMPARE(table()->model()->rowCount(), static_cast<int>(heights.size() + receipts.size()));
    }

    void tankMismatch_data() {
        QTest::addColumn<TankParameters>("fields");
        QTest::addColumn<bool>("differs");
        QTest::newRow("sameTank") << carnetTank(flatTank()) << false;
        QTest::newRow("widerTank") << carnetTank(flatTank(1200)) << true;
    }

    void tankMismatch() {
        QFETCH(TankParameters, fields);
        QFETCH(bool, differs);
        window_->setFieldsTank(fields);
        auto* button = findControl<QPushButton>(window_, QStringLiteral("takeMeasuresButton"));
        QCOMPARE(button->isVisibleTo(window_), differs);
        if (!differs) {
            return;
        }
        QSignalSpy taken(window_.data(), &LogbookWindow::measuresTaken);
        window_->show();
        clickControl(button);
        QCOMPARE(taken.count(), 1);
        const auto tank = taken.at(0).at(0).value<TankParameters>();
        QVERIFY(sameTank(tank, carnetTank(flatTank())));
    }

    // A sensor's stream writing to the carnet while the window shows it.
    void anotherProgramsReadingsAppear() {
        QCOMPARE(table()->model()->rowCount(), 0);
        {
            Outcome<CarnetStore> stream = CarnetStore::open(path_, true);
            QVERIFY(!std::get<CarnetStore>(stream).addReading(
                {daysAgo(1).toUTC(), 640.0, Reading::Source::Sensor}));
        }
        QVERIFY(QTest::qWaitFor(
            [this]() {
                window_->readOthersChanges();
                return !window_->isComputing() && table()->model()->rowCount() == 1;
            },
            20000));
        QCOMPARE(table()->model()->index(0, 1).data().toString(),
                 QStringLiteral("relevé (capteur)"));
        QVERIFY(!window_->readOthersChanges());  // nothing new since
    }

    // Imports a Home Assistant history with a line the sensor could not read
    // (readings 3 and 1 days ago), or cancels the dialog once it is read.
    void importHistory(bool confirmed) {
        const auto iso = [](int days) { return daysAgo(days).toUTC().toString(Qt::ISODateWithMs); };
        const QString csv = folder_.filePath(QStringLiteral("history.csv"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("entity_id,state,last_changed\n"
                                  "sensor.cuve,640,%1\n"
                                  "sensor.cuve,unavailable,%2\n"
                                  "sensor.cuve,630,%3\n")
                       .arg(iso(3), iso(2), iso(1))
                       .toUtf8());
        file.close();
        importFile(csv, 1, confirmed);
    }

    // Chooses `csv` in the import dialog, which must refuse `refused` lines,
    // and imports it or cancels.
    void importFile(const QString& csv, int refused, bool confirmed) {
        auto* dialog = qobject_cast<ImportDialog*>(openDialog("importButton", "importDialog"));
        QVERIFY(dialog);
        QVERIFY(dialog->chooseFile(csv));
        QVERIFY(QTest::qWaitFor([dialog]() { return !dialog->isReading(); }, 20000));
        QCOMPARE(dialog->refusedCount(), refused);
        if (confirmed) {
            clickControl(findControl<QPushButton>(dialog, QStringLiteral("importButton")));
        } else {
            dialog->reject();
        }
    }

    // Imports and what is done around them: the readings land together, the
    // refused line is counted, a reading already in the carnet is not added
    // again, and Ctrl+Z takes away what the import added, and only that.
    void historyImported_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<std::vector<double>>("heights");
        QTest::addColumn<QString>("said");
        QTest::newRow("imported")
            << "import" << std::vector<double>{640, 630}
            << "Relevés importés : 2 ; déjà dans le carnet : 0 ; lignes refusées : 1.";
        QTest::newRow("cancelled") << "cancel" << std::vector<double>{} << "";
        QTest::newRow("importedTwice")
            << "import import" << std::vector<double>{640, 630}
            << "Relevés importés : 0 ; déjà dans le carnet : 2 ; lignes refusées : 1.";
        QTest::newRow("typedAtTheSameTimeFirst")
            << "type-3 import" << std::vector<double>{700, 630}
            << "Relevés importés : 1 ; déjà dans le carnet : 1 ; lignes refusées : 1.";
        QTest::newRow("undone") << "import undo" << std::vector<double>{}
                                << "Dernière modification annulée.";
        QTest::newRow("undoneKeepsTheTypedReadings")
            << "type-10 type-3 import undo" << std::vector<double>{700, 700}
            << "Dernière modification annulée.";
        QTest::newRow("importedTwiceThenUndone")
            << "import import undo" << std::vector<double>{} << "Dernière modification annulée.";
        QTest::newRow("undoneThenTheTypedReadingUndone")
            << "type-10 import undo undo" << std::vector<double>{}
            << "Dernière modification annulée.";
    }

    void historyImported() {
        QFETCH(QString, steps);
        QFETCH(std::vector<double>, heights);
        QFETCH(QString, said);
        for (const QString& step : steps.split(QLatin1Char(' '))) {
            const QStringList parts = step.split(QLatin1Char('-'));
            if (parts[0] == QLatin1String("type")) {
                QCOMPARE(typeReading(daysAgo(parts[1].toInt()), QStringLiteral("700")), QString());
            } else if (parts[0] == QLatin1String("undo")) {
                QTest::keySequence(window_, QKeySequence::Undo);
            } else {
                importHistory(parts[0] == QLatin1String("import"));
                if (QTest::currentTestFailed()) {
                    return;
                }
            }
            settle();
            QVERIFY(computed());
        }
        QCOMPARE(heightsIn(path_), heights);
        QCOMPARE(table()->model()->rowCount(), static_cast<int>(heights.size()));
        if (!said.isEmpty()) {
            QCOMPARE(notice(), said);
        }
    }

    // A long import is stored aside: the window takes a reading typed
    // meanwhile, both land, and the import button waits for the import.
    void readingTypedWhileImportingBothLand() {
        const QString csv = folder_.filePath(QStringLiteral("long.csv"));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        constexpr int lines = 3000;
        file.write("date;hauteur\n");
        for (int hour = lines; hour > 0; --hour) {
            file.write(QStringLiteral("%1;%2\n")
                           .arg(daysAgo(2).addSecs(-3600 * hour).toUTC().toString(Qt::ISODate))
                           .arg(200 + hour % 500)
                           .toUtf8());
        }
        file.close();
        importFile(csv, 0, true);
        auto* importButton = findControl<QPushButton>(window_, QStringLiteral("importButton"));
        QVERIFY(!importButton->isEnabled() || !window_->isComputing());
        QCOMPARE(typeReading(daysAgo(1), QStringLiteral("650")), QString());
        QVERIFY(computed());
        QCOMPARE(static_cast<int>(heightsIn(path_).size()), lines + 1);
        QCOMPARE(table()->model()->rowCount(), lines + 1);
        QVERIFY(importButton->isEnabled());
    }

    // Each dialog opens on what one types first: the height, the receipt's litres.
    void dialogOpensOnTheMeasure_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("field");
        QTest::newRow("reading") << "newReadingButton"
                                 << "readingDialog"
                                 << "heightField";
        QTest::newRow("delivery") << "newDeliveryButton"
                                  << "deliveryDialog"
                                  << "receiptLitresField";
    }

    void dialogOpensOnTheMeasure() {
        QFETCH(QString, button);
        QFETCH(QString, dialog);
        QFETCH(QString, field);
        QDialog* opened = openDialog(button.toLatin1().constData(), dialog.toLatin1().constData());
        QVERIFY(QTest::qWaitForWindowActive(opened));
        QCOMPARE(opened->focusWidget(), findControl<QLineEdit>(opened, field));
        opened->reject();
    }

    // A carnet the window cannot show says why, and offers no change.
    void unreadableCarnetSaysWhy_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("said");
        QTest::newRow("noCarnet") << QByteArray("date;hauteur\n") << "n'est pas un carnet";
        QTest::newRow("emptyFile") << QByteArray() << "n'est pas un carnet";
    }

    void unreadableCarnetSaysWhy() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, said);
        const QString path = folder_.filePath(QStringLiteral("abime.carnet"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        LogbookWindow::open(window_, QIcon(), path, carnetTank(flatTank()));
        QVERIFY(computed());
        QCOMPARE(window_->carnetPath(), path);
        QVERIFY2(summary().contains(said), qPrintable(summary()));
        for (const char* button : {"newReadingButton", "newDeliveryButton", "importButton",
                                   "exportButton", "printButton"}) {
            QVERIFY2(!findControl<QPushButton>(window_, QLatin1String(button))->isEnabled(),
                     button);
        }
        QTest::keyClick(window_, Qt::Key_Z, Qt::ControlModifier);  // nothing to undo, no crash
        QCOMPARE(QFile(path).size(), contents.size());
    }

    // The journal exported as CSV, as the command line writes it.
    void journalExported() {
        QCOMPARE(typeReading(daysAgo(3), QStringLiteral("700")), QString());
        const QString csv = folder_.filePath(QStringLiteral("journal.csv"));
        SavePathDialog::setNextAnswer(csv);
        clickControl(findControl<QPushButton>(window_, QStringLiteral("exportButton")));
        settle();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);  // the titles and the reading
        QVERIFY2(lines[1].contains(QStringLiteral("700")), qPrintable(lines[1]));
    }

    // A restless user: buttons, dialogs filled with anything and confirmed,
    // rows deleted and changes undone in a random order. The carnet and the
    // journal must agree after every step.
    void restlessUseKeepsCarnetAndJournalTogether() {
        QRandomGenerator random(20261209);
        const QStringList typed = {"500", "12,5", "-1", "abc", "", "1e9", "999", "0", "45"};
        for (int step = 0; step < 60; ++step) {
            switch (random.bounded(5)) {
                case 0:
                    typeReading(daysAgo(static_cast<int>(random.bounded(60))),
                                typed[static_cast<int>(random.bounded(typed.size()))],
                                random.bounded(2) == 1);
                    break;
                case 1:
                    typeDelivery(daysAgo(static_cast<int>(random.bounded(60))),
                                 typed[static_cast<int>(random.bounded(typed.size()))]);
                    break;
                case 2:
                    if (table()->model()->rowCount() > 0) {
                        selectRow(static_cast<int>(random.bounded(table()->model()->rowCount())));
                        MessageBox::setNextAnswer(random.bounded(2) ? QMessageBox::Yes
                                                                    : QMessageBox::No);
                        QTest::keyClick(table(), Qt::Key_Delete);
                    }
                    break;
                default:
                    QTest::keyClick(window_, Qt::Key_Z, Qt::ControlModifier);
                    break;
            }
            settle();
            QVERIFY2(computed(), qPrintable(QString::number(step)));
            QCOMPARE(table()->model()->rowCount(),
                     static_cast<int>(heightsIn(path_).size() + receiptsIn(path_).size()));
        }
    }

    void escapeClosesDialogAndWindow() {
        QDialog* dialog = openDialog("newReadingButton", "readingDialog");
        QTest::keyClick(dialog, Qt::Key_Escape);
        settle();
        QVERIFY(!window_->findChild<QDialog*>(QStringLiteral("readingDialog")));
        QTest::keyClick(window_, Qt::Key_Escape);
        settle();
        QVERIFY(window_.isNull());
    }

    void tabLeavesTheTable() {
        QVERIFY(!table()->tabKeyNavigation());
        table()->setFocus();
        QTest::keyClick(table(), Qt::Key_Tab);
        QVERIFY(!table()->hasFocus());
    }

    void everyControlIsNamed() {
        for (QWidget* control : window_->findChildren<QWidget*>()) {
            auto* button = qobject_cast<QPushButton*>(control);
            if (button) {
                QVERIFY2(!button->text().isEmpty(), qPrintable(button->objectName()));
            }
        }
        for (const char* name : {"summaryLabel", "logTable", "noticeLabel"}) {
            QVERIFY(
                !findControl<QWidget>(window_, QLatin1String(name))->accessibleName().isEmpty());
        }
    }
};

QTEST_MAIN(LogbookWindowTest)
#include "logbook_window_test.moc"
