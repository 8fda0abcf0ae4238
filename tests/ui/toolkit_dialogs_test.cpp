// The toolkit's own windows as a French user meets them: the context menu of a
// text field, the save dialog and the print preview speak French; the save
// dialog opens in the folder of the last file saved, gives a name typed
// without a suffix the file's suffix, and asks about replacing the file really
// written.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>
#include <utility>

#include "isolated_settings.h"
#include "widgets/qt_translations.h"
#include "widgets/save_path.h"

namespace varnelle {
namespace {

// A text as the user reads it: without its accelerator's "&" and without
// the shortcut shown after a tab in a menu.
QString readable(QString text) {
    text = text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QLatin1Char('&'));
    return text;
}

QStringList readableTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        if (!action->isSeparator()) {
            texts << readable(action->text());
        }
    }
    return texts;
}

// The CSV dialog of the chart window.
QString askCsvPath() {
    return askSavePath(nullptr, QStringLiteral("Enregistrer le barème en CSV"),
                       QStringLiteral("bareme.csv"), QStringLiteral("Tableaux CSV (*.csv)"),
                       QStringLiteral("csv"));
}

// Plays the user in front of the save dialog, from the dialog's own event
// loop: notes what the dialog shows, types a name and clicks "Enregistrer",
// and answers the question whether to replace a file. After a refusal to
// replace, or with no name to type, the user cancels the dialog.
class SaveDialogUser : public QObject {
  public:
    // `folder`, if given, is where the user goes before typing the name.
    SaveDialogUser(QString typed, bool replace, QString folder = {})
        : typed_(std::move(typed)), folder_(std::move(folder)), replace_(replace) {
        connect(&timer_, &QTimer::timeout, this, &SaveDialogUser::act);
        timer_.start(5);
    }

    QString folderShown;
    QString nameProposed;
    QStringList questions;         // the texts of the boxes asking to replace a file
    QStringList questionButtons;   // and their buttons
    QMap<QString, QString> texts;  // control name -> text or tooltip, as shown

  private:
    void act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            answer(box);
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (dialog->isVisible()) {
                use(dialog);
            }
        }
    }

    void answer(QMessageBox* box) {
        questions << box->text();
        for (const QAbstractButton* button : box->buttons()) {
            questionButtons << readable(button->text());
        }
        stage_ = replace_ ? Stage::NameTyped : Stage::GaveUp;
        box->button(replace_ ? QMessageBox::Yes : QMessageBox::No)->click();
    }

    void use(QFileDialog* dialog) {
        note(dialog);
        if (stage_ == Stage::NameTyped) {
            return;  // the click on "Enregistrer" is on its way
        }
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (stage_ == Stage::GaveUp || typed_.isEmpty() || !nameField || !buttons ||
            !buttons->button(QDialogButtonBox::Save)) {
            dialog->reject();
            return;
        }
        stage_ = Stage::NameTyped;
        if (!folder_.isEmpty()) {
            dialog->setDirectory(folder_);
        }
        nameField->clear();
        QTest::keyClicks(nameField, typed_);
        if (QWidget* completions = QApplication::activePopupWidget()) {
            completions->close();  // as the user's move to the button closes it
        }
        // Clicked from the dialog's loop once this returns: a timer is not
        // called again from a loop run by its own call, where the question
        // would wait for an answer forever.
        const QPointer<QFileDialog> shown(dialog);
        QAbstractButton* save = buttons->button(QDialogButtonBox::Save);
        QTimer::singleShot(0, save, [this, shown, save] {
            save->click();
            if (shown && shown->isVisible()) {
                stage_ = Stage::GaveUp;  // refused to replace, or the click did nothing
            }
        });
    }

    void note(QFileDialog* dialog) {
        if (!folderShown.isEmpty()) {
            return;
        }
        folderShown = dialog->directory().absolutePath();
        if (auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            nameProposed = nameField->text();
        }
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            texts.insert(label->objectName(), readable(label->text()));
        }
        for (const QToolButton* button : dialog->findChildren<QToolButton*>()) {
            texts.insert(button->objectName(), button->toolTip());
        }
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))) {
            for (QAbstractButton* button : buttons->buttons()) {
                const auto role = buttons->standardButton(button);
                texts.insert(role == QDialogButtonBox::Save ? QStringLiteral("Save")
                                                            : QStringLiteral("Cancel"),
                             readable(button->text()));
            }
        }
    }

    QString typed_;
    QString folder_;
    bool replace_;
    enum class Stage { DialogAwaited, NameTyped, GaveUp };
    Stage stage_ = Stage::DialogAwaited;
    QTimer timer_;
};

}  // namespace

class ToolkitDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();

    void textFieldMenuIsInFrench_data();
    void textFieldMenuIsInFrench();
    void saveDialogIsInFrench_data();
    void saveDialogIsInFrench();
    void printPreviewIsInFrench_data();
    void printPreviewIsInFrench();
    void fileKindsAreInFrench_data();
    void fileKindsAreInFrench();
    void installingTwiceChangesNothing();

    void answeredPath_data();
    void answeredPath();
    void dialogOpensInTheRememberedFolder();
    void typedName_data();
    void typedName();

  private:
    QString at(const QString& relative) const;
    void writeFile(const QString& relative);

    std::unique_ptr<QTemporaryDir> home_;
};

// Home, documents and settings in a temporary folder, so that the user's own
// are neither read nor changed.
void ToolkitDialogsTest::initTestCase() {
    home_ = std::make_unique<QTemporaryDir>();
    QVERIFY(home_->isValid());
    qputenv("HOME", QFile::encodeName(home_->path()));
    varnelle::testing::keepSettingsIn(at("settings"));
    QCoreApplication::setApplicationName(QStringLiteral("toolkit_dialogs_test"));
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), at("Documents"));
    QVERIFY2(installQtFrenchTranslations(*QCoreApplication::instance()),
             "Qt's French translations (Debian: qt6-translations-l10n) are missing");
}

// Each test starts with no folder remembered and empty folders, the working
// folder among them.
void ToolkitDialogsTest::init() {
    QSettings().clear();
    const char* const folders[] = {"Documents", "exports", "other", "exports/v1.2", "work"};
    for (const char* folder : folders) {
        QDir(at(QLatin1String(folder))).removeRecursively();
    }
    for (const char* folder : folders) {
        QVERIFY(QDir().mkpath(at(QLatin1String(folder))));
    }
    QVERIFY(QDir::setCurrent(at("work")));
}

QString ToolkitDialogsTest::at(const QString& relative) const {
    return relative.isEmpty() ? QString() : QDir::cleanPath(home_->filePath(relative));
}

void ToolkitDialogsTest::writeFile(const QString& relative) {
    QFile file(at(relative));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ancien\n");
}

void ToolkitDialogsTest::textFieldMenuIsInFrench_data() {
    QTest::addColumn<QString>("text");
    for (const char* text :
         {"Annuler", "Rétablir", "Couper", "Copier", "Coller", "Supprimer", "Tout sélectionner"}) {
        QTest::newRow(text) << QString::fromUtf8(text);
    }
}

// What a right click on any field of the program shows.
void ToolkitDialogsTest::textFieldMenuIsInFrench() {
    QFETCH(QString, text);
    QLineEdit field(QStringLiteral("1000"));
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    const QStringList shown = readableTexts(menu->actions());
    QVERIFY2(shown.contains(text), qPrintable(shown.join(QLatin1String(" | "))));
    QVERIFY2(!shown.contains(QStringLiteral("Select All")), qPrintable(shown.join(" | ")));
}

void ToolkitDialogsTest::saveDialogIsInFrench_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("look in") << "lookInLabel"
                             << "Voir dans :";
    QTest::newRow("file name") << "fileNameLabel"
                               << "Nom de fichier :";
    QTest::newRow("file type") << "fileTypeLabel"
                               << "Fichiers de type :";
    QTest::newRow("back") << "backButton"
                          << "Précédent";
    QTest::newRow("new folder") << "newFolderButton"
                                << "Créer un nouveau dossier";
    QTest::newRow("detail view") << "detailModeButton"
                                 << "Vue détaillée";
    QTest::newRow("save") << "Save"
                          << "Enregistrer";
    QTest::newRow("cancel") << "Cancel"
                            << "Annuler";
}

// The dialog of "Enregistrer en CSV…", cancelled.
void ToolkitDialogsTest::saveDialogIsInFrench() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    SaveDialogUser user(QString(), false);
    QCOMPARE(askCsvPath(), QString());
    QVERIFY2(user.texts.contains(control), qPrintable(user.texts.keys().join(QLatin1Char(' '))));
    QCOMPARE(user.texts.value(control), text);
}

void ToolkitDialogsTest::printPreviewIsInFrench_data() {
    QTest::addColumn<QString>("text");
    for (const char* text :
         {"Imprimer", "Mise en page", "Page suivante", "Zoom avant", "Ajuster la largeur"}) {
        QTest::newRow(text) << QString::fromUtf8(text);
    }
}

// The toolbar of "Aperçu avant impression…".
void ToolkitDialogsTest::printPreviewIsInFrench() {
    QFETCH(QString, text);
    QPrinter printer;
    QPrintPreviewDialog preview(&printer);
    const QStringList shown = readableTexts(preview.findChildren<QAction*>());
    QVERIFY2(shown.contains(text), qPrintable(shown.join(QLatin1String(" | "))));
}

void ToolkitDialogsTest::fileKindsAreInFrench_data() {
    QTest::addColumn<QString>("path");  // from home; "/" for the root
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "exports"
                            << "Dossier";
    QTest::newRow("root") << "/"
                          << "Lecteur";
}

// The "Type" column of the save dialog for what is not a file. A file's kind
// comes from the system's descriptions of file types, in the system's
// language.
void ToolkitDialogsTest::fileKindsAreInFrench() {
    QFETCH(QString, path);
    QFETCH(QString, kind);
    const QString entry = path == QLatin1String("/") ? path : at(path);
    QCOMPARE(QFileIconProvider().type(QFileInfo(entry)), kind);
}

// main() may install them again: nothing more is installed, and the texts
// are still French.
void ToolkitDialogsTest::installingTwiceChangesNothing() {
    QCoreApplication& application = *QCoreApplication::instance();
    const qsizetype installed = application.findChildren<QTranslator*>().size();
    QVERIFY(installQtFrenchTranslations(application));
    QCOMPARE(application.findChildren<QTranslator*>().size(), installed);
    QCOMPARE(QCoreApplication::translate("QLineEdit", "Select All"),
             QStringLiteral("Tout sélectionner"));
}

void ToolkitDialogsTest::answeredPath_data() {
    QTest::addColumn<QString>("remembered");  // folder remembered before, none if empty
    QTest::addColumn<QString>("answer");      // a bare name, or a path from home
    QTest::addColumn<bool>("answerIsPath");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("expected");    // from home; empty: cancelled
    QTest::addColumn<QString>("nextFolder");  // where the next dialog opens

    QTest::newRow("no suffix") << "exports"
                               << "noext" << false << "csv"
                               << "exports/noext.csv"
                               << "exports";
    QTest::newRow("suffix given") << "exports"
                                  << "a.csv" << false << "csv"
                                  << "exports/a.csv"
                                  << "exports";
    QTest::newRow("suffix in capitals") << "exports"
                                        << "bareme.CSV" << false << "csv"
                                        << "exports/bareme.CSV"
                                        << "exports";
    QTest::newRow("other suffix") << "exports"
                                  << "x.tar" << false << "csv"
                                  << "exports/x.tar"
                                  << "exports";
    QTest::newRow("pdf") << "exports"
                         << "bareme" << false << "pdf"
                         << "exports/bareme.pdf"
                         << "exports";
    QTest::newRow("dot in the folder only") << "exports"
                                            << "v1.2/bareme" << false << "csv"
                                            << "exports/v1.2/bareme.csv"
                                            << "exports/v1.2";
    QTest::newRow("folder remembered") << "exports"
                                       << "other/bareme" << true << "csv"
                                       << "other/bareme.csv"
                                       << "other";
    QTest::newRow("first save in documents") << ""
                                             << "noext" << false << "csv"
                                             << "Documents/noext.csv"
                                             << "Documents";
    QTest::newRow("remembered folder gone") << "gone"
                                            << "noext" << false << "csv"
                                            << "Documents/noext.csv"
                                            << "Documents";
    QTest::newRow("cancelled") << "exports"
                               << "" << false << "csv"
                               << ""
                               << "exports";
    QTest::newRow("cancelled the first time") << ""
                                              << "" << false << "csv"
                                              << ""
                                              << "Documents";
}

// Through the answer tests give in place of the dialog; a second save, of a
// bare name, shows where the next dialog opens.
void ToolkitDialogsTest::answeredPath() {
    QFETCH(QString, remembered);
    QFETCH(QString, answer);
    QFETCH(bool, answerIsPath);
    QFETCH(QString, suffix);
    QFETCH(QString, expected);
    QFETCH(QString, nextFolder);
    if (!remembered.isEmpty()) {
        // As an earlier run left it.
        QSettings().setValue(QStringLiteral("dossierEnregistrement"), at(remembered));
    }

    SavePathDialog::setNextAnswer(answerIsPath ? at(answer) : answer);
    const QString chosen =
        askSavePath(nullptr, QStringLiteral("Enregistrer"), QStringLiteral("bareme.") + suffix,
                    QStringLiteral("*.") + suffix, suffix);
    QCOMPARE(chosen, at(expected));
    QVERIFY(!QFileInfo::exists(chosen));  // asking writes nothing

    SavePathDialog::setNextAnswer(QStringLiteral("suivant.csv"));
    QCOMPARE(askCsvPath(), at(nextFolder + QStringLiteral("/suivant.csv")));
}

// The real dialog opens in the folder remembered, proposing the default name,
// and remembers the folder the user went to.
void ToolkitDialogsTest::dialogOpensInTheRememberedFolder() {
    QSettings().setValue(QStringLiteral("dossierEnregistrement"), at("exports"));
    {
        SaveDialogUser user(QStringLiteral("bareme"), false, at("other"));
        QCOMPARE(askCsvPath(), at("other/bareme.csv"));
        QCOMPARE(user.folderShown, at("exports"));
        QCOMPARE(user.nameProposed, QStringLiteral("bareme.csv"));
    }
    SaveDialogUser user(QString(), false);
    QCOMPARE(askCsvPath(), QString());
    QCOMPARE(user.folderShown, at("other"));
}

void ToolkitDialogsTest::typedName_data() {
    QTest::addColumn<QString>("existing");  // a file there before, from home
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("replace");  // the answer to the question
    QTest::addColumn<bool>("sameNamedFolderInWorkingFolder");
    QTest::addColumn<QString>("expected");  // from home; empty: cancelled
    QTest::addColumn<QString>("question");  // the question asked, if any

    const QString noextQuestion =
        QStringLiteral("Le fichier noext.csv existe déjà\nVoulez-vous l'écraser ?");
    // clang-format off
    QTest::newRow("no suffix")
        << "" << "noext" << false << false << "exports/noext.csv" << "";
    QTest::newRow("no suffix, file replaced")
        << "exports/noext.csv" << "noext" << true << false << "exports/noext.csv" << noextQuestion;
    QTest::newRow("no suffix, replacement refused")
        << "exports/noext.csv" << "noext" << false << false << "" << noextQuestion;
    // The name typed is a file, but not the one that will be written.
    QTest::newRow("no suffix, a file without suffix there")
        << "exports/noext" << "noext" << false << false << "exports/noext.csv" << "";
    QTest::newRow("suffix in capitals")
        << "" << "bareme.CSV" << false << false << "exports/bareme.CSV" << "";
    QTest::newRow("other suffix")
        << "" << "x.tar" << false << false << "exports/x.tar" << "";
    // The dialog looks for a folder of the name typed in the program's working
    // folder, and there finding one, adds no suffix and asks nothing.
    QTest::newRow("no suffix, folder of that name in the working folder")
        << "" << "noext" << false << true << "exports/noext.csv" << "";
    QTest::newRow("no suffix, file replaced, folder of that name in the working folder")
        << "exports/noext.csv" << "noext" << true << true << "exports/noext.csv" << noextQuestion;
    QTest::newRow("no suffix, replacement refused, folder of that name in the working folder")
        << "exports/noext.csv" << "noext" << false << true << "" << noextQuestion;
    // clang-format on
}

// What the user types in the real dialog, and the question about an existing
// file, asked about the file that will be written.
void ToolkitDialogsTest::typedName() {
    QFETCH(QString, existing);
    QFETCH(QString, typed);
    QFETCH(bool, replace);
    QFETCH(bool, sameNamedFolderInWorkingFolder);
    QFETCH(QString, expected);
    QFETCH(QString, question);
    QSettings().setValue(QStringLiteral("dossierEnregistrement"), at("exports"));
    if (!existing.isEmpty()) {
        writeFile(existing);
    }
    if (sameNamedFolderInWorkingFolder) {
        QVERIFY(QDir::current().mkpath(typed));
    }

    SaveDialogUser user(typed, replace);
    QCOMPARE(askCsvPath(), at(expected));
    QCOMPARE(user.questions, question.isEmpty() ? QStringList() : QStringList{question});
    if (!question.isEmpty()) {
        QCOMPARE(user.questionButtons, (QStringList{"Oui", "Non"}));
    }
}

}  // namespace varnelle

QTEST_MAIN(varnelle::ToolkitDialogsTest)
#include "toolkit_dialogs_test.moc"
