#include "logbook_dialogs.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <utility>
#include <variant>

#include "logbook/carnet_time.h"
#include "logbook/delivery_checks.h"
#include "widgets/enter_presses_button.h"

namespace varnelle {
namespace {

// The number in `field` as the window writes numbers (or with a period);
// none for an empty field, NaN for a text that is no number.
std::optional<double> typedNumber(const QLineEdit* field, const OutputConventions& numbers) {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<double> value = numbers.read(text);
    return value && std::isfinite(*value) ? *value : std::nan("");
}

QString notNumberSentence(const QString& what) {
    return QStringLiteral("%1 n'est pas un nombre.").arg(what);
}

// Why `height` (mm) cannot be the oil's in a tank of `diameter`, or nothing.
std::optional<QString> heightRefusal(const QString& what, double height, double diameter,
                                     const OutputConventions& numbers) {
    if (std::isnan(height)) {
        return notNumberSentence(what);
    }
    if (height < 0 || height > diameter) {
        return QStringLiteral("%1 doit être comprise entre 0 et %2 (le diamètre de la cuve).")
            .arg(what, numbers.millimetres(diameter));
    }
    return std::nullopt;
}

// Why the time cannot be a reading's or a delivery's, or nothing.
std::optional<QString> timeRefusal(const QDateTime& time) {
    if (!time.isValid()) {
        return QStringLiteral("La date n'est pas valide.");
    }
    if (time > QDateTime::currentDateTimeUtc().addSecs(futureToleranceSeconds)) {
        return QStringLiteral("La date est plus d'un jour après maintenant.");
    }
    return std::nullopt;
}

QDateTimeEdit* newTimeEdit(QWidget* parent, const QString& name) {
    auto* edit = new QDateTimeEdit(QDateTime::currentDateTime(), parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QString::fromLatin1(dialogTimeFormat));
    edit->setCalendarPopup(true);
    edit->setAccessibleName(QStringLiteral("Date et heure"));
    return edit;
}

QLineEdit* newField(QWidget* parent, const QString& name, const QString& accessibleName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    return field;
}

QLabel* newRefusalLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("refusalLabel"));
    label->setWordWrap(true);
    label->setAccessibleName(QStringLiteral("Refus"));
    return label;
}

// Enregistrer and Annuler, Escape closing the dialog as Annuler does.
QHBoxLayout* buttonRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(QStringLiteral("Enregistrer"), dialog);
    ok->setObjectName(QStringLiteral("okButton"));
    cancel = new QPushButton(QStringLiteral("Annuler"), dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QString optionalText(std::optional<double> value, const OutputConventions& numbers) {
    return value ? numbers.number(*value) : QString();
}

}  // namespace

// --- The reading ----------------------------------------------------------------

ReadingDialog::ReadingDialog(DialogTank tank, OutputConventions numbers, QWidget* parent)
    : QDialog(parent), tank_(std::move(tank)), numbers_(std::move(numbers)) {
    setObjectName(QStringLiteral("readingDialog"));
    setWindowTitle(QStringLiteral("Relevé"));
    createControls();
    createLayout();
    pressFocusedButtonOnEnter(this);
    reading_.time = QDateTime::currentDateTimeUtc();
    // The time is now more often than not: the height is what one types.
    heightField->setFocus();
}

void ReadingDialog::createControls() {
    readingTimeEdit = newTimeEdit(this, QStringLiteral("readingTimeEdit"));
    heightField =
        newField(this, QStringLiteral("heightField"), QStringLiteral("Hauteur du mazout"));
    centimetresCheck = new QCheckBox(QStringLiteral("jauge en cm"), this);
    centimetresCheck->setObjectName(QStringLiteral("centimetresCheck"));
    litresLabel = new QLabel(this);
    litresLabel->setObjectName(QStringLiteral("litresLabel"));
    litresLabel->setAccessibleName(QStringLiteral("Litres"));
    refusalLabel = newRefusalLabel(this);
    connect(heightField, &QLineEdit::textEdited, this, &ReadingDialog::onHeightFieldTextEdited);
    connect(centimetresCheck, &QCheckBox::toggled, this, &ReadingDialog::onCentimetresCheckToggled);
}

void ReadingDialog::createLayout() {
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Date :"), readingTimeEdit);
    form->addRow(QStringLiteral("Hauteur :"), heightField);
    form->addRow(QString(), centimetresCheck);
    form->addRow(QString(), litresLabel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(refusalLabel);
    column->addLayout(buttonRow(this, okButton, cancelButton));
}

void ReadingDialog::setReading(const Reading& reading) {
    reading_ = reading;
    readingTimeEdit->setDateTime(reading.time.toLocalTime());
    centimetresCheck->setChecked(false);
    heightField->setText(numbers_.number(reading.heightMm, 0, 3));
    onHeightFieldTextEdited();
}

std::variant<Reading, QString> ReadingDialog::typedReading() const {
    Reading reading = reading_;
    reading.time = readingTimeEdit->dateTime().toUTC();
    if (std::optional<QString> refused = timeRefusal(reading.time)) {
        return *refused;
    }
    const std::optional<double> typed = typedNumber(heightField, numbers_);
    if (!typed) {
        return QStringLiteral("Tapez la hauteur du mazout.");
    }
    reading.heightMm = centimetresCheck->isChecked() ? *typed * millimetresPerCentimetre : *typed;
    if (std::optional<QString> refused = heightRefusal(
            QStringLiteral("La hauteur"), reading.heightMm, tank_.diameterMm, numbers_)) {
        return *refused;
    }
    return reading;
}

void ReadingDialog::onHeightFieldTextEdited() {
    const std::variant<Reading, QString> typed = typedReading();
    const Reading* reading = std::get_if<Reading>(&typed);
    if (!reading || !tank_.litresAt) {
        litresLabel->clear();
        return;
    }
    litresLabel->setText(QStringLiteral("soit %1").arg(
        numbers_.litresWithUnit(tank_.litresAt(reading->heightMm), 0)));
    refusalLabel->clear();
}

void ReadingDialog::onCentimetresCheckToggled() {
    onHeightFieldTextEdited();
}

void ReadingDialog::accept() {
    std::variant<Reading, QString> typed = typedReading();
    if (const QString* refused = std::get_if<QString>(&typed)) {
        refusalLabel->setText(*refused);
        return;
    }
    reading_ = std::get<Reading>(typed);
    QDialog::accept();
}

// --- The delivery ---------------------------------------------------------------

DeliveryDialog::DeliveryDialog(DialogTank tank, OutputConventions numbers, QWidget* parent)
    : QDialog(parent), tank_(std::move(tank)), numbers_(std::move(numbers)) {
    setObjectName(QStringLiteral("deliveryDialog"));
    setWindowTitle(QStringLiteral("Livraison"));
    createControls();
    createLayout();
    pressFocusedButtonOnEnter(this);
    receiptLitresField->setFocus();
}

void DeliveryDialog::createControls() {
    deliveryTimeEdit = newTimeEdit(this, QStringLiteral("deliveryTimeEdit"));
    receiptLitresField = newField(this, QStringLiteral("receiptLitresField"),
                                  QStringLiteral("Litres sur le bon de livraison"));
    priceField = newField(this, QStringLiteral("priceField"), QStringLiteral("Prix du litre"));
    heightBeforeField = newField(this, QStringLiteral("heightBeforeField"),
                                 QStringLiteral("Hauteur avant la livraison"));
    heightAfterField = newField(this, QStringLiteral("heightAfterField"),
                                QStringLiteral("Hauteur après la livraison"));
    refusalLabel = newRefusalLabel(this);
}

void DeliveryDialog::createLayout() {
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Date :"), deliveryTimeEdit);
    form->addRow(QStringLiteral("Litres livrés (bon) :"), receiptLitresField);
    form->addRow(QStringLiteral("Prix du litre (€, facultatif) :"), priceField);
    form->addRow(QStringLiteral("Hauteur avant (mm, facultatif) :"), heightBeforeField);
    form->addRow(QStringLiteral("Hauteur après (mm, facultatif) :"), heightAfterField);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(refusalLabel);
    column->addLayout(buttonRow(this, okButton, cancelButton));
}

void DeliveryDialog::setDelivery(const Delivery& delivery) {
    delivery_ = delivery;
    deliveryTimeEdit->setDateTime(delivery.time.toLocalTime());
    receiptLitresField->setText(numbers_.number(delivery.receiptLitres));
    priceField->setText(optionalText(delivery.pricePerLitre, numbers_));
    heightBeforeField->setText(optionalText(delivery.heightBeforeMm, numbers_));
    heightAfterField->setText(optionalText(delivery.heightAfterMm, numbers_));
}

std::variant<Delivery, QString> DeliveryDialog::typedDelivery() const {
    Delivery delivery;
    delivery.time = deliveryTimeEdit->dateTime().toUTC();
    if (std::optional<QString> refused = timeRefusal(delivery.time)) {
        return *refused;
    }
    const std::optional<double> litres = typedNumber(receiptLitresField, numbers_);
    if (std::optional<QString> refused =
            capacityRefusal(litres.value_or(0), tank_.capacity, numbers_)) {
        return *refused;
    }
    delivery.receiptLitres = *litres;
    delivery.pricePerLitre = typedNumber(priceField, numbers_);
    if (delivery.pricePerLitre && !(*delivery.pricePerLitre >= 0)) {
        return QStringLiteral("Le prix du litre doit être un nombre positif.");
    }
    delivery.heightBeforeMm = typedNumber(heightBeforeField, numbers_);
    delivery.heightAfterMm = typedNumber(heightAfterField, numbers_);
    for (const auto& [what, height] :
         {std::pair{QStringLiteral("La hauteur avant"), delivery.heightBeforeMm},
          std::pair{QStringLiteral("La hauteur après"), delivery.heightAfterMm}}) {
        if (height) {
            if (std::optional<QString> refused =
                    heightRefusal(what, *height, tank_.diameterMm, numbers_)) {
                return *refused;
            }
        }
    }
    if (delivery.heightBeforeMm && delivery.heightAfterMm &&
        *delivery.heightAfterMm < *delivery.heightBeforeMm) {
        return QString::fromUtf8(deliveryText::afterBelowBefore);
    }
    std::optional<double> before = delivery.heightBeforeMm;
    if (!before && tank_.heightBefore) {
        before = tank_.heightBefore(delivery.time);
    }
    if (std::optional<QString> tooMuch =
            overfillRefusal(delivery, before, tank_.capacity, tank_.litresAt, numbers_)) {
        return *tooMuch;
    }
    return delivery;
}

void DeliveryDialog::accept() {
    std::variant<Delivery, QString> typed = typedDelivery();
    if (const QString* refused = std::get_if<QString>(&typed)) {
        refusalLabel->setText(*refused);
        return;
    }
    delivery_ = std::get<Delivery>(typed);
    QDialog::accept();
}

}  // namespace varnelle
