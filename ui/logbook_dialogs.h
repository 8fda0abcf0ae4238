// The small dialogs of the carnet window: a reading (the date and the height,
// answered at once with the litres it means) and a delivery (the receipt's
// date, litres and price, the heights before and after). Each refuses, in the
// dialog and without closing, what the carnet must not hold: a time more than
// a day ahead, a height outside the tank, a delivery larger than the tank.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <variant>

#include "chart/chart_numbers.h"
#include "logbook/consumption.h"

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnelle {

// What the dialogs need of the carnet's tank.
struct DialogTank {
    double diameterMm = 0;
    double capacity = 0;  // litres, the tank full
    LitresAt litresAt;    // the chart's litres at a height
    // The oil's height last read at or before a time, if any: a delivery
    // cannot bring more than the room above it.
    std::function<std::optional<double>(const QDateTime&)> heightBefore;
};

class ReadingDialog : public QDialog {
    Q_OBJECT

  public:
    ReadingDialog(DialogTank tank, OutputConventions numbers, QWidget* parent);

    // The reading edited in place of a new one (now, from the dipstick).
    void setReading(const Reading& reading);
    // The reading typed; meaningful once accepted.
    Reading reading() const { return reading_; }

    void accept() override;

  private:
    void createControls();
    void createLayout();
    void onHeightFieldTextEdited();
    void onCentimetresCheckToggled();
    // The reading typed, or why it cannot be stored.
    std::variant<Reading, QString> typedReading() const;

    DialogTank tank_;
    OutputConventions numbers_;
    Reading reading_;

    QDateTimeEdit* readingTimeEdit = nullptr;
    QLineEdit* heightField = nullptr;
    QCheckBox* centimetresCheck = nullptr;
    QLabel* litresLabel = nullptr;
    QLabel* refusalLabel = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

class DeliveryDialog : public QDialog {
    Q_OBJECT

  public:
    DeliveryDialog(DialogTank tank, OutputConventions numbers, QWidget* parent);

    void setDelivery(const Delivery& delivery);
    Delivery delivery() const { return delivery_; }

    void accept() override;

  private:
    void createControls();
    void createLayout();
    std::variant<Delivery, QString> typedDelivery() const;

    DialogTank tank_;
    OutputConventions numbers_;
    Delivery delivery_;

    QDateTimeEdit* deliveryTimeEdit = nullptr;
    QLineEdit* receiptLitresField = nullptr;
    QLineEdit* priceField = nullptr;
    QLineEdit* heightBeforeField = nullptr;
    QLineEdit* heightAfterField = nullptr;
    QLabel* refusalLabel = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

// The French format of the dialogs' dates: "03/11/2026 08:00".
inline constexpr char dialogTimeFormat[] = "dd/MM/yyyy HH:mm";

}  // namespace varnelle
