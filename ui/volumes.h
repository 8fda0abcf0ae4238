// The main window: the tank's measurements, the end shape, the precision, and
// the five volumes. Every handler reads what it needs from the controls each
// time it runs; the controls are the window's only state.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include "core/volume.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace varnelle {

class AboutBox;
class ChartWindow;

// Index of the selected cross-section button: which field of the pair is seen.
enum class SectionInput { ByDiameter = 0, ByPerimeter = 1 };

// Index of the selected cap-measure button: which field of the pair is seen.
enum class CapMeasure { ByWidth = 0, ByArcLength = 1 };

class Volumes : public QWidget {
    Q_OBJECT

  public:
    explicit Volumes(QWidget* parent = nullptr);
    ~Volumes() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Building the window.
    void createControls();
    void createLayout();
    void applyFonts();
    void describeControls();
    void setTabOrder();
    void connectHandlers();
    void load();

    // Handlers, one per control and event.
    void onOption1Click(int index);
    void onOption2Click(int index);
    void onOption3Click(int index);
    void onCommand1Click();
    void onCommand2Click();
    void onCommand3Click();
    void onCommand4Click();
    void onText1LostFocus();
    void onText2LostFocus();
    void onText3LostFocus();
    void onText4LostFocus();
    void onText5LostFocus();
    void onText12LostFocus();
    void onChartWindowMeasuresTaken(const TankParameters& carnetTank);

    // The calculation run.
    TankParameters readTankParameters() const;
    void runCalculation(const TankParameters& tank);
    void keepWindowLive(double barFraction, bool moveBar);
    double barTwipsAt(double fraction) const;
    void setProgressBarTwips(double widthTwips);
    void writeResults(const VolumeResults& results);
    void clearResults();

    // The field checks.
    void runFieldCheck(QObject* field);
    void showError(const QString& message);
    EndShape selectedEndShape() const;
    SectionInput selectedSectionInput() const;
    CapMeasure selectedCapMeasure() const;

    // Frames.
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;

    // End shape, section input and cap measure: the option groups.
    QButtonGroup* Option1 = nullptr;
    QButtonGroup* Option2 = nullptr;
    QButtonGroup* Option3 = nullptr;
    QRadioButton* Option1_[4] = {};
    QRadioButton* Option2_[2] = {};
    QRadioButton* Option3_[2] = {};

    // The pictures of the four end shapes.
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Image4 = nullptr;

    // Measurement fields.
    QLineEdit* Text1 = nullptr;   // diameter
    QLineEdit* Text2 = nullptr;   // oil height
    QLineEdit* Text3 = nullptr;   // perimeter
    QLineEdit* Text4 = nullptr;   // strainer height
    QLineEdit* Text5 = nullptr;   // end width
    QLineEdit* Text6 = nullptr;   // end circle diameter
    QLineEdit* Text9 = nullptr;   // length of the cylindrical part
    QLineEdit* Text12 = nullptr;  // arc length through the cap centre

    // Result fields.
    QLineEdit* Text7 = nullptr;   // cylindrical part
    QLineEdit* Text8 = nullptr;   // available above the strainer
    QLineEdit* Text10 = nullptr;  // below the strainer
    QLineEdit* Text11 = nullptr;  // both ends
    QLineEdit* Text13 = nullptr;  // total

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;  // the progress bar's fill

    QComboBox* Combo1 = nullptr;  // precision, in thousands of slices
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QFrame* Picture1 = nullptr;  // the progress bar's frame

    QPointer<AboutBox> aboutBox_;
    QPointer<ChartWindow> chartWindow_;  // closed with this window

    // Not copies of the controls, but the state of what is under way:
    bool calculating_ = false;         // a run is processing events; "Calculer" waits
    bool abandonCalculation_ = false;  // the window was closed during the run
    QElapsedTimer sinceEventsProcessed_;
    unsigned progressCalls_ = 0;
    double lastBarFraction_ = 0;  // of the first end integral
    int errorBoxesShown_ = 0;     // tells a check whether it showed a box
    bool checkingField_ = false;  // a field check is showing its boxes
};

}  // namespace varnelle
