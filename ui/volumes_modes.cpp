// The end shape, the section input and the cap measure: which fields, frames
// and pictures are seen. These handlers change visibility and selections only.
#include <QAbstractButton>
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

SectionInput Volumes::selectedSectionInput() const {
    return static_cast<SectionInput>(Option2->checkedId());
}

CapMeasure Volumes::selectedCapMeasure() const {
    return static_cast<CapMeasure>(Option3->checkedId());
}

// A choice of end shape starts again from the diameter and, for shaped ends,
// from the end's width, and shows the fields and the picture of that shape.
// Flat ends keep their hidden end fields as they were.
void Volumes::onOption1Click(int /*index*/) {
    const EndShape shape = selectedEndShape();
    const bool hasEnds = shape != EndShape::FlatEnds;

    Frame2->setVisible(hasEnds);
    Text1->show();
    Option2->button(static_cast<int>(SectionInput::ByDiameter))->setChecked(true);
    Text3->hide();
    if (hasEnds) {
        QAbstractButton* byWidth = Option3->button(static_cast<int>(CapMeasure::ByWidth));
        byWidth->setChecked(true);
        byWidth->show();
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

// The diameter or the perimeter: the field of the measure chosen is seen.
void Volumes::onOption2Click(int /*index*/) {
    const bool byDiameter = selectedSectionInput() == SectionInput::ByDiameter;
    Text1->setVisible(byDiameter);
    Text3->setVisible(!byDiameter);
}

// The cap's width or its arc: the field of the measure chosen is seen.
void Volumes::onOption3Click(int /*index*/) {
    const bool byWidth = selectedCapMeasure() == CapMeasure::ByWidth;
    Text5->setVisible(byWidth);
    Text12->setVisible(!byWidth);
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
