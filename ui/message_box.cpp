#include "message_box.h"

#include "window_frame.h"

namespace varnelle {

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Varnelle"), text, QMessageBox::Ok, parent);
    box.setWindowFlags(fixedDialogFrame);
    box.exec();
}

}  // namespace varnelle
