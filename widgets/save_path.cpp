#include "save_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

#include <optional>
#include <utility>

namespace varnelle {
namespace {

// Where the folder of the last file saved is kept between runs.
const char* const lastFolderKey = "dossierEnregistrement";

std::optional<QString>& nextAnswer() {
    static std::optional<QString> answer;
    return answer;
}

bool isFolder(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The folder of the last file saved while it still exists, else the user's
// documents folder, else the home folder.
QString startFolder() {
    QString remembered = QSettings().value(QLatin1String(lastFolderKey)).toString();
    if (isFolder(remembered)) {
        return remembered;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isFolder(documents) ? documents : QDir::homePath();
}

void rememberFolderOf(const QString& path) {
    QSettings().setValue(QLatin1String(lastFolderKey), QFileInfo(path).absolutePath());
}

// The rule of the toolkit's save dialog: a file name with no dot at all gets
// the suffix; one with a dot is taken to have its suffix already. No path, no
// suffix.
QString withSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || suffix.isEmpty() ||
        QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
        return path;
    }
    return path + QLatin1Char('.') + suffix;
}

// The test's answer as the dialog would have returned it, resolved from the
// folder it would have opened in.
QString takeNextAnswer(const QString& folder, const QString& suffix) {
    const QString answer = *std::exchange(nextAnswer(), std::nullopt);
    if (answer.isEmpty()) {
        return {};
    }
    return withSuffix(QDir::cleanPath(QDir(folder).filePath(answer)), suffix);
}

// The toolkit's dialog, one showing. It adds the suffix itself before it asks
// whether to replace the file, but it tells a name from a folder's by looking
// in the program's working folder rather than in its own: a name matching a
// folder there comes back without its suffix. Empty if cancelled.
QString showDialog(QWidget* parent, const QString& title, const QString& folder,
                   const QString& name, const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

// The dialog's own question, in its own words, about the file to be written.
bool confirmReplacing(QWidget* parent, const QString& title, const QString& path) {
    const QString question =
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .arg(QFileInfo(path).fileName());
    return QMessageBox::warning(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

// When the dialog returned a name without its suffix, adds it, and asks
// about an existing file of the final name; a refusal takes the user back to
// the dialog, as the dialog's own question does.
QString askInDialog(QWidget* parent, const QString& title, const QString& folder,
                    const QString& defaultName, const QString& filter, const QString& suffix) {
    QString shownFolder = folder;
    QString shownName = defaultName;
    for (;;) {
        const QString chosen = showDialog(parent, title, shownFolder, shownName, filter, suffix);
        QString path = withSuffix(chosen, suffix);
        if (path == chosen || !QFileInfo::exists(path) || confirmReplacing(parent, title, path)) {
            return path;
        }
        shownFolder = QFileInfo(path).absolutePath();
        shownName = QFileInfo(path).fileName();
    }
}

}  // namespace

QString askSavePath(QWidget* parent, const QString& title, const QString& defaultName,
                    const QString& filter, const QString& suffix) {
    const QString folder = startFolder();
    QString path = nextAnswer() ? takeNextAnswer(folder, suffix)
                                : askInDialog(parent, title, folder, defaultName, filter, suffix);
    if (!path.isEmpty()) {
        rememberFolderOf(path);
    }
    return path;
}

void SavePathDialog::setNextAnswer(const QString& answer) {
    nextAnswer() = answer;
}

}  // namespace varnelle
