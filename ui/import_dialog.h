// Readings brought into the carnet from a CSV file: the user picks the file,
// says whether its numbers are heights or a sensor's distances and in which
// unit, and sees at once what the first lines give and how many are refused
// before importing anything. The file is read aside, on the dialog's own
// thread, so that a large history does not freeze the window.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <vector>

#include "logbook/reading_import.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QThreadPool;

namespace varnelle {

class LatestComputation;

class ImportDialog : public QDialog {
    Q_OBJECT

  public:
    // `diameterMm`: the tank's, the bound of every height and the top of the
    // tank where a sensor measures its distances from.
    explicit ImportDialog(double diameterMm, QWidget* parent = nullptr);
    ~ImportDialog() override;

    // Loads the file and shows its preview once it is read. False, after
    // saying why, when the file cannot be read.
    bool chooseFile(const QString& path);
    // Those accepted, when accept()ed.
    std::vector<Reading> readings() const;
    int refusedCount() const;
    // True while the file is being read under the options chosen.
    bool isReading() const;

  private:
    void createControls();
    void createLayout();
    void connectHandlers();

    void onFileButtonClick();
    void onOptionToggled(bool checked);
    void onImportButtonClick();

    ImportOptions options() const;
    void readContents();
    void showResult(ImportResult result);
    void fillPreview();

    double diameterMm_;
    QByteArray contents_;
    ImportResult result_;
    QThreadPool* pool_ = nullptr;
    LatestComputation* importWork_ = nullptr;

    QPushButton* fileButton = nullptr;
    QLabel* fileLabel = nullptr;
    QRadioButton* millimetresOption = nullptr;
    QRadioButton* centimetresOption = nullptr;
    QRadioButton* heightsOption = nullptr;
    QRadioButton* distancesOption = nullptr;
    QTableWidget* previewTable = nullptr;
    QLabel* countLabel = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* cancelButton = nullptr;
};

}  // namespace varnelle
