#include "import_dialog.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>
#include <utility>

#include "background_work.h"
#include "chart/chart_numbers.h"
#include "files/echoed_text.h"
#include "message_box.h"
#include "widgets/enter_presses_button.h"
#include "widgets/table_rows.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {
namespace {

constexpr int dialogWidthTwips = 9000;
constexpr int dialogHeightTwips = 6600;

template <typename T>
T* named(T* control, const char* name, const QString& accessibleName = QString()) {
    control->setObjectName(QString::fromLatin1(name));
    if (!accessibleName.isEmpty()) {
        control->setAccessibleName(accessibleName);
    }
    return control;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = named(new QPushButton(caption, parent), name);
    // Return presses the focused button, never a default one.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString countText(int readings, int refused) {
    const OutputConventions numbers = conventionsForPeople(QLocale());
    const QString read =
        readings > 1 ? QStringLiteral("%1 relevés lus") : QStringLiteral("%1 relevé lu");
    const QString left =
        refused > 1 ? QStringLiteral("%1 lignes refusées.") : QStringLiteral("%1 ligne refusée.");
    return read.arg(numbers.number(readings)) + QStringLiteral(", ") +
           left.arg(numbers.number(refused));
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

}  // namespace

ImportDialog::ImportDialog(double diameterMm, QWidget* parent)
    : QDialog(parent), diameterMm_(diameterMm) {
    setObjectName(QStringLiteral("importDialog"));
    setWindowTitle(QStringLiteral("Importer des relevés"));
    setFont(windowFont(mainWindowPointSize()));
    pool_ = new QThreadPool(this);
    pool_->setMaxThreadCount(1);
    importWork_ = new LatestComputation(pool_, this);
    createControls();
    createLayout();
    connectHandlers();
    pressFocusedButtonOnEnter(this);
    showResult(ImportResult());
}

ImportDialog::~ImportDialog() {
    importWork_->abandon();
    pool_->waitForDone();
}

// In the order of Tab: the file, the unit, the kind of values, the preview,
// the buttons.
void ImportDialog::createControls() {
    fileButton = makeButton(this, "fileButton", QStringLiteral("Choisir le fichier…"));
    fileLabel = named(new QLabel(QStringLiteral("Aucun fichier choisi."), this), "fileLabel");
    fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLabel->setWordWrap(true);

    millimetresOption = named(new QRadioButton(QStringLiteral("mm"), this), "millimetresOption",
                              QStringLiteral("Valeurs en millimètres"));
    centimetresOption = named(new QRadioButton(QStringLiteral("cm"), this), "centimetresOption",
                              QStringLiteral("Valeurs en centimètres"));
    heightsOption =
        named(new QRadioButton(QStringLiteral("hauteurs de mazout"), this), "heightsOption",
              QStringLiteral("Les valeurs sont des hauteurs de mazout"));
    distancesOption = named(
        new QRadioButton(QStringLiteral("distances du capteur au mazout"), this), "distancesOption",
        QStringLiteral("Les valeurs sont des distances du capteur, en haut de la cuve, au "
                       "mazout"));
    // Each pair is a group of its own: they are laid out side by side.
    auto* units = new QButtonGroup(this);
    units->addButton(millimetresOption);
    units->addButton(centimetresOption);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(heightsOption);
    kinds->addButton(distancesOption);
    // Checked once grouped: until then the four siblings exclude each other.
    millimetresOption->setChecked(true);
    heightsOption->setChecked(true);

    previewTable = named(new QTableWidget(0, 4, this), "previewTable",
                         QStringLiteral("Aperçu des premières lignes du fichier"));
    previewTable->setHorizontalHeaderLabels({QStringLiteral("Ligne"), QStringLiteral("Date"),
                                             QStringLiteral("Valeur"),
                                             QStringLiteral("Hauteur ou motif du refus")});
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable->setTabKeyNavigation(false);
    previewTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    showRowsOfOneLine(previewTable);
    previewTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    previewTable->horizontalHeader()->setStretchLastSection(true);

    countLabel = named(new QLabel(this), "countLabel");
    countLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    importButton = makeButton(this, "importButton", QStringLiteral("Importer"));
    cancelButton = makeButton(this, "cancelButton", QStringLiteral("Annuler"));
}

void ImportDialog::createLayout() {
    resize(twipsSize(dialogWidthTwips, dialogHeightTwips));

    auto* file = new QHBoxLayout;
    file->addWidget(fileButton);
    file->addWidget(fileLabel, 1);

    auto* unitBox = named(new QGroupBox(QStringLiteral("Unité"), this), "unitBox");
    auto* unitRow = new QHBoxLayout(unitBox);
    unitRow->addWidget(millimetresOption);
    unitRow->addWidget(centimetresOption);
    auto* kindBox = named(new QGroupBox(QStringLiteral("Les valeurs sont des"), this), "kindBox");
    auto* kindRow = new QHBoxLayout(kindBox);
    kindRow->addWidget(heightsOption);
    kindRow->addWidget(distancesOption);
    auto* choices = new QHBoxLayout;
    choices->addWidget(unitBox);
    choices->addWidget(kindBox, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(cancelButton);

    auto* dialog = new QVBoxLayout(this);
    dialog->addLayout(file);
    dialog->addLayout(choices);
    dialog->addWidget(previewTable, 1);
    dialog->addWidget(countLabel);
    dialog->addLayout(buttons);
}

void ImportDialog::connectHandlers() {
    connect(fileButton, &QPushButton::clicked, this, &ImportDialog::onFileButtonClick);
    for (QRadioButton* option :
         {millimetresOption, centimetresOption, heightsOption, distancesOption}) {
        connect(option, &QRadioButton::toggled, this, &ImportDialog::onOptionToggled);
    }
    connect(importButton, &QPushButton::clicked, this, &ImportDialog::onImportButtonClick);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ImportDialog::onFileButtonClick() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Choisir le fichier de relevés"), documents,
        QStringLiteral("Fichiers CSV (*.csv *.txt);;Tous les fichiers (*)"));
    if (!path.isEmpty()) {
        chooseFile(path);
    }
}

// Each change of option is seen twice, by the button left and the one taken.
void ImportDialog::onOptionToggled(bool checked) {
    if (checked) {
        readContents();
    }
}

void ImportDialog::onImportButtonClick() {
    // The button is enabled only once the file has given readings under the
    // options shown; a click racing a change of option waits for its result.
    if (!isReading() && !result_.readings.empty()) {
        accept();
    }
}

bool ImportDialog::chooseFile(const QString& path) {
    Outcome<QByteArray> contents = readImportFile(path);
    if (const Refusal* refusal = refusalOf(contents)) {
        showMessageBox(this, QMessageBox::Warning, refusal->sentence);
        return false;
    }
    contents_ = std::move(std::get<QByteArray>(contents));
    fileLabel->setText(QFileInfo(path).fileName());
    fileLabel->setToolTip(path);
    readContents();
    return true;
}

ImportOptions ImportDialog::options() const {
    ImportOptions options;
    options.diameterMm = diameterMm_;
    options.value = distancesOption->isChecked() ? ImportedValue::Distance : ImportedValue::Height;
    options.unit =
        centimetresOption->isChecked() ? ImportedUnit::Centimetres : ImportedUnit::Millimetres;
    options.now = QDateTime::currentDateTimeUtc();
    return options;
}

void ImportDialog::readContents() {
    if (contents_.isNull()) {
        return;
    }
    importButton->setEnabled(false);
    countLabel->setText(QStringLiteral("Lecture du fichier…"));
    auto work = [contents = contents_, options = options()](const std::atomic<bool>& abandoned) {
        return importReadings(contents, options, &abandoned);
    };
    importWork_->start(std::move(work),
                       [this](ImportResult result) { showResult(std::move(result)); });
}

void ImportDialog::showResult(ImportResult result) {
    result_ = std::move(result);
    fillPreview();
    if (contents_.isNull()) {
        countLabel->setText(QString());
    } else {
        countLabel->setText(countText(int(result_.readings.size()), refusedCount()));
    }
    importButton->setEnabled(!result_.readings.empty());
}

void ImportDialog::fillPreview() {
    const OutputConventions numbers = conventionsForPeople(QLocale());
    previewTable->setRowCount(int(result_.preview.size()));
    int row = 0;
    for (const ImportPreviewLine& line : result_.preview) {
        const QString outcome = line.heightMm ? numbers.millimetres(*line.heightMm) : line.reason;
        previewTable->setItem(row, 0, cell(QString::number(line.number)));
        previewTable->setItem(row, 1, cell(echoed(line.date)));
        previewTable->setItem(row, 2, cell(echoed(line.value)));
        previewTable->setItem(row, 3, cell(outcome));
        ++row;
    }
}

std::vector<Reading> ImportDialog::readings() const {
    return result_.readings;
}

int ImportDialog::refusedCount() const {
    return int(result_.refused.size());
}

bool ImportDialog::isReading() const {
    return importWork_->isRunning();
}

}  // namespace varnelle
