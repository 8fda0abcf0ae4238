// The import of readings as a tank owner does it: a Home Assistant export with
// lines the sensor could not give, a table kept by hand read in millimetres
// or centimetres, heights or distances, and the keyboard.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "controls.h"
#include "message_box_catcher.h"
#include "modal_dialog_closer.h"
#include "ui/import_dialog.h"

using namespace varnelle::testing;

namespace {

constexpr double diameterMm = 1200;

const char* const homeAssistantHistory =
    "entity_id,state,last_changed\r\n"
    "sensor.cuve_fioul,812.4,2026-11-03T08:00:00.000Z\r\n"
    "sensor.cuve_fioul,unavailable,2026-11-03T09:00:00.000Z\r\n"
    "sensor.cuve_fioul,809.9,2026-11-03T10:00:00.123456+00:00\r\n"
    "sensor.cuve_fioul,unknown,2026-11-03T11:00:00.000Z\r\n"
    "sensor.cuve_fioul,805,2026-11-31T12:00:00.000Z\r\n"
    "sensor.cuve_fioul,1250,2026-11-03T13:00:00.000Z\r\n"
    "sensor.cuve_fioul,801.5,2026-11-03T15:00:00+01:00\r\n";

QString previewCell(const QWidget* dialog, int row, int column) {
    const QTableWidgetItem* item =
        findControl<QTableWidget>(dialog, "previewTable")->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir folder_;

    QString write(const char* name, const QByteArray& contents) {
        const QString path = folder_.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
            qFatal("cannot write %s", qPrintable(path));
        }
        return path;
    }

    // The dialog once the file is read under its options.
    static void waitForReading(const varnelle::ImportDialog& dialog) {
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isReading(), 10000);
    }

  private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(folder_.isValid());
    }

    void homeAssistantExport_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QList<double>>("heights");
        QTest::addColumn<int>("refused");
        QTest::newRow("heights in mm")
            << "heightsOption" << QStringLiteral("3 relevés lus, 4 lignes refusées.")
            << QList<double>{812.4, 809.9, 801.5} << 4;
        QTest::newRow("distances in mm")
            << "distancesOption" << QStringLiteral("3 relevés lus, 4 lignes refusées.")
            << QList<double>{387.6, 390.1, 398.5} << 4;
        // 81 cm and more are above the tank: only the line that cannot be read
        // as a reading at all is left, with the others.
        QTest::newRow("heights in cm")
            << "centimetresOption" << QStringLiteral("0 relevé lu, 7 lignes refusées.")
            << QList<double>{} << 7;
    }

    void homeAssistantExport() {
        QFETCH(QString, option);
        QFETCH(QString, count);
        QFETCH(QList<double>, heights);
        QFETCH(int, refused);
        varnelle::ImportDialog dialog(diameterMm);
        dialog.show();
        QVERIFY(dialog.chooseFile(write("historique.csv", homeAssistantHistory)));
        clickControl(findControl<QRadioButton>(&dialog, option));
        waitForReading(dialog);
        QCOMPARE(findControl<QLabel>(&dialog, "countLabel")->text(), count);
        QCOMPARE(dialog.refusedCount(), refused);
        const std::vector<varnelle::Reading> readings = dialog.readings();
        QCOMPARE(int(readings.size()), int(heights.size()));
        for (int i = 0; i < heights.size(); ++i) {
            QVERIFY2(qAbs(readings[size_t(i)].heightMm - heights[i]) < 1e-9,
                     qPrintable(QString::number(readings[size_t(i)].heightMm)));
        }
        QCOMPARE(findControl<QPushButton>(&dialog, "importButton")->isEnabled(),
                 !heights.isEmpty());
    }

    void previewShowsHeightsAndReasons() {
        varnelle::ImportDialog dialog(diameterMm);
        QVERIFY(dialog.chooseFile(write("historique.csv", homeAssistantHistory)));
        waitForReading(dialog);
        QCOMPARE(findControl<QTableWidget>(&dialog, "previewTable")->rowCount(), 7);
        QCOMPARE(previewCell(&dialog, 0, 0), QStringLiteral("2"));
        QCOMPARE(previewCell(&dialog, 0, 1), QStringLiteral("2026-11-03T08:00:00.000Z"));
        QCOMPARE(previewCell(&dialog, 0, 3), QStringLiteral("812,4 mm"));
        QVERIFY(previewCell(&dialog, 1, 3).contains("unavailable"));
        QVERIFY(previewCell(&dialog, 4, 3).contains("2026-11-31"));
        QVERIFY(previewCell(&dialog, 5, 3).contains("hors de la cuve"));
    }

    void unitChangesTheHeights_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("height");
        QTest::addColumn<double>("heightMm");
        QTest::newRow("mm heights") << "millimetresOption"
                                    << "heightsOption"
                                    << "81,2 mm" << 81.2;
        QTest::newRow("cm heights") << "centimetresOption"
                                    << "heightsOption"
                                    << "812 mm" << 812.0;
        QTest::newRow("mm distances")
            << "millimetresOption"
            << "distancesOption" << QStringLiteral("1\u00A0118,8 mm") << 1118.8;
        QTest::newRow("cm distances") << "centimetresOption"
                                      << "distancesOption"
                                      << "388 mm" << 388.0;
    }

    void unitChangesTheHeights() {
        QFETCH(QString, unit);
        QFETCH(QString, kind);
        QFETCH(QString, height);
        QFETCH(double, heightMm);
        varnelle::ImportDialog dialog(diameterMm);
        dialog.show();
        QVERIFY(dialog.chooseFile(write("jauge.csv", "date;hauteur\n2026-11-03T08:00Z;81,2\n")));
        // Through the other unit first, so that each row sees a change.
        for (const char* option : {"centimetresOption", "millimetresOption"}) {
            clickControl(findControl<QRadioButton>(&dialog, QLatin1String(option)));
        }
        clickControl(findControl<QRadioButton>(&dialog, unit));
        clickControl(findControl<QRadioButton>(&dialog, kind));
        waitForReading(dialog);
        QCOMPARE(previewCell(&dialog, 0, 3), height);
        QCOMPARE(dialog.readings().size(), size_t(1));
        QVERIFY(qAbs(dialog.readings()[0].heightMm - heightMm) < 1e-9);
        QCOMPARE(findControl<QLabel>(&dialog, "countLabel")->text(),
                 QStringLiteral("1 relevé lu, 0 ligne refusée."));
    }

    void importNeedsOneReading_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("one reading") << QByteArray("2026-11-03T08:00Z;800\n") << true;
        QTest::newRow("all refused")
            << QByteArray("date;hauteur\nhier;800\n2026-11-03;x\n") << false;
        QTest::newRow("header only") << QByteArray("date;hauteur\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
    }

    void importNeedsOneReading() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        varnelle::ImportDialog dialog(diameterMm);
        auto* importButton = findControl<QPushButton>(&dialog, "importButton");
        QVERIFY(!importButton->isEnabled());
        QVERIFY(dialog.chooseFile(write("releves.csv", contents)));
        waitForReading(dialog);
        QCOMPARE(importButton->isEnabled(), enabled);
    }

    void unreadableFileIsSaidAndChangesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("said");
        QTest::newRow("folder") << "dossier" << QStringLiteral("n'a pas pu être lu");
        QTest::newRow("missing") << "absent.csv" << QStringLiteral("n'a pas pu être lu");
        QTest::newRow("too large") << "enorme.csv" << QStringLiteral("20 Mo");
    }

    void unreadableFileIsSaidAndChangesNothing() {
        QFETCH(QString, name);
        QFETCH(QString, said);
        QVERIFY(QDir(folder_.path()).mkpath("dossier"));
        QFile large(folder_.filePath("enorme.csv"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(varnelle::largestImportBytes + 1));
        large.close();
        varnelle::ImportDialog dialog(diameterMm);
        dialog.show();
        QVERIFY(dialog.chooseFile(write("bon.csv", "2026-11-03T08:00Z;800\n")));
        waitForReading(dialog);
        MessageBoxCatcher catcher;
        QVERIFY(!dialog.chooseFile(folder_.filePath(name)));
        QCOMPARE(catcher.texts().size(), 1);
        QVERIFY2(catcher.texts().at(0).contains(said), qPrintable(catcher.texts().at(0)));
        // The file read before stays, with its readings.
        QCOMPARE(dialog.readings().size(), size_t(1));
        QVERIFY(findControl<QPushButton>(&dialog, "importButton")->isEnabled());
        QCOMPARE(findControl<QLabel>(&dialog, "fileLabel")->text(), QStringLiteral("bon.csv"));
    }

    void cancelledChoiceKeepsTheFile() {
        varnelle::ImportDialog dialog(diameterMm);
        dialog.show();
        QVERIFY(dialog.chooseFile(write("bon.csv", "2026-11-03T08:00Z;800\n")));
        waitForReading(dialog);
        ModalDialogCloser closer;
        clickControl(findControl(&dialog, "fileButton"));
        QCOMPARE(closer.takeClosed(), QStringList{QStringLiteral("Choisir le fichier de relevés")});
        QCOMPARE(findControl<QLabel>(&dialog, "fileLabel")->text(), QStringLiteral("bon.csv"));
        QCOMPARE(dialog.readings().size(), size_t(1));
    }

    void keyboard_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("Return on Importer")
            << "importButton" << int(Qt::Key_Return) << true << false;
        QTest::newRow("Enter on Importer") << "importButton" << int(Qt::Key_Enter) << true << false;
        QTest::newRow("Return on Annuler")
            << "cancelButton" << int(Qt::Key_Return) << false << true;
        QTest::newRow("Escape in the preview")
            << "previewTable" << int(Qt::Key_Escape) << false << true;
        QTest::newRow("Escape on an option")
            << "centimetresOption" << int(Qt::Key_Escape) << false << true;
        // Return on an option takes it and closes nothing.
        QTest::newRow("Return on an option")
            << "distancesOption" << int(Qt::Key_Return) << false << false;
        QTest::newRow("Return in the preview")
            << "previewTable" << int(Qt::Key_Return) << false << false;
    }

    void keyboard() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        QFETCH(bool, rejected);
        varnelle::ImportDialog dialog(diameterMm);
        dialog.show();
        QVERIFY(bringToFront(&dialog));
        QVERIFY(dialog.chooseFile(write("releves.csv", "2026-11-03T08:00Z;800\n")));
        waitForReading(dialog);
        QSignalSpy accepts(&dialog, &QDialog::accepted);
        QSignalSpy rejects(&dialog, &QDialog::rejected);
        QWidget* target = findControl(&dialog, focused);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        settle();
        QCOMPARE(accepts.size(), accepted ? 1 : 0);
        QCOMPARE(rejects.size(), rejected ? 1 : 0);
        QCOMPARE(dialog.isVisible(), !accepted && !rejected);
    }

    void startsWithMillimetresOfHeight() {
        varnelle::ImportDialog dialog(diameterMm);
        QVERIFY(findControl<QRadioButton>(&dialog, "millimetresOption")->isChecked());
        QVERIFY(findControl<QRadioButton>(&dialog, "heightsOption")->isChecked());
        QVERIFY(!findControl<QRadioButton>(&dialog, "centimetresOption")->isChecked());
        QVERIFY(!findControl<QRadioButton>(&dialog, "distancesOption")->isChecked());
        QVERIFY(!findControl<QPushButton>(&dialog, "importButton")->isEnabled());
    }

    void everyControlIsNamed() {
        varnelle::ImportDialog dialog(diameterMm);
        QCOMPARE(dialog.objectName(), QStringLiteral("importDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Importer des relevés"));
        // The dialog's own buttons (the table's corner button is the toolkit's).
        for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
            if (button->objectName().isEmpty()) {
                continue;
            }
            const QString name =
                button->accessibleName().isEmpty() ? button->text() : button->accessibleName();
            QVERIFY2(!name.isEmpty(), qPrintable(button->objectName()));
        }
        QVERIFY(!findControl(&dialog, "previewTable")->accessibleName().isEmpty());
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            QVERIFY2(!button->autoDefault() && !button->isDefault(),
                     qPrintable(button->objectName()));
        }
    }
};

QTEST_MAIN(ImportDialogTest)
#include "import_dialog_test.moc"
