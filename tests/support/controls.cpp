#include "controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace varnelle::testing {

QList<QWidget*> topLevelWindows(const QString& name) {
    QList<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) {
            windows.append(window);
        }
    }
    return windows;
}

void clickControl(QWidget* target, QPoint at) {
    if (at.isNull()) {
        const bool option =
            qobject_cast<QAbstractButton*>(target) && !qobject_cast<QPushButton*>(target);
        at = option ? QPoint(6, target->height() / 2) : target->rect().center();
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
}

bool bringToFront(QWidget* window) {
    if (QApplication::activeWindow() == window) {
        return true;
    }
    window->raise();
    window->activateWindow();
    for (int attempt = 0; attempt < 500 && QApplication::activeWindow() != window; ++attempt) {
        QCoreApplication::processEvents();
        if (attempt > 20) {
            QTest::qSleep(1);
        }
    }
    return QApplication::activeWindow() == window;
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace varnelle::testing
