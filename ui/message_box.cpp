#include "message_box.h"

namespace varnelle {

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Varnelle"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace varnelle
