// The program's message boxes: modal, titled "Varnelle", one OK button.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace varnelle {

// Shows the box and returns once the user has closed it.
void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text);

}  // namespace varnelle
