#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <utility>

namespace varnelle {
namespace {

// Names the toolkit's translator among the application's children, to
// install it once.
const char* const translatorName = "qtbase_fr";

// What the toolkit's French translations lack (Qt 6.4): the kinds of entries
// in the "Type" column of the file dialog, asked for under a name that Qt 6
// gave them and that the translations do not know yet. Asked after the
// toolkit's translations, so that these give way once those have them.
class MissingToolkitTexts : public QTranslator {
  public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        static const std::pair<const char*, const char*> texts[] = {
            {"Folder", "Dossier"},     {"File Folder", "Dossier"}, {"File", "Fichier"},
            {"%1 File", "Fichier %1"}, {"Drive", "Lecteur"},
        };
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        for (const auto& [english, french] : texts) {
            if (qstrcmp(sourceText, english) == 0) {
                return QString::fromUtf8(french);
            }
        }
        return {};
    }
};

}  // namespace

bool installQtFrenchTranslations(QCoreApplication& application) {
    const QString name = QString::fromLatin1(translatorName);
    if (application.findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) {
        return true;
    }
    auto* translator = new QTranslator(&application);
    translator->setObjectName(name);
    // Named explicitly rather than through the system's locale: the program's
    // own texts are French on every system.
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    // The last installed is asked first.
    QCoreApplication::installTranslator(new MissingToolkitTexts(&application));
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace varnelle
