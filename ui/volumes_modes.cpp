// The end shape, the section input and the cap measure: which fields, frames
// and pictures are seen. These handlers change visibility and selections only.
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "volumes.h"

namespace varnelle {

EndShape Volumes::selectedEndShape() const {
    return static_cast<EndShape>(Option1->checkedId());
}

void Volumes::onOption1Click(int /*index*/) {
    const EndShape shape = selectedEndShape();
    const bool hasEnds = shape != EndShape::FlatEnds;

    Frame2->setVisible(hasEnds);
    Text1->show();
    Option2_[0]->setChecked(true);
    Text3->hide();
    if (hasEnds) {
        Option3_[0]->setChecked(true);
        Option3_[0]->show();
        Text5->show();
        Option3_[1]->setVisible(shape == EndShape::SphericalCapEnds);
        Text12->hide();
        Label6->setVisible(shape == EndShape::ConicalEnds);
        Text6->setVisible(shape == EndShape::ConicalEnds);
    }
    Image1->setVisible(shape == EndShape::FlatEnds);
    Image2->setVisible(shape == EndShape::ConicalEnds);
    Image3->setVisible(shape == EndShape::SphericalCapEnds);
    Image4->setVisible(shape == EndShape::QuarterRoundEnds);
}

void Volumes::onOption2Click(int /*index*/) {
    if (Option2_[0]->isChecked()) {
        Text1->show();
        Text3->hide();
    }
    if (Option2_[1]->isChecked()) {
        Text1->hide();
        Text3->show();
    }
}

void Volumes::onOption3Click(int /*index*/) {
    if (Option3_[0]->isChecked()) {
        Text5->show();
        Text12->hide();
    }
    if (Option3_[1]->isChecked()) {
        Text5->hide();
        Text12->show();
    }
}

// "Valider les paramètres": both forms of each measure, and empty results.
void Volumes::onCommand2Click() {
    Text12->setVisible(selectedEndShape() == EndShape::SphericalCapEnds);
    Text5->show();
    Text3->show();
    Text1->show();
    clearResults();
}

void Volumes::clearResults() {
    for (QLineEdit* result : {Text7, Text11, Text13, Text10, Text8}) {
        result->clear();
    }
}

}  // namespace varnelle
