// Finding and using the controls of the program's windows as a user would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

namespace varnelle::testing {

// The control of that object name within `window`. A missing control ends the
// test program: nothing else about the window could be checked.
template <typename T = QWidget>
T* findControl(const QWidget* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    if (!found) {
        qFatal("%s has no control named %s", qPrintable(window->objectName()), qPrintable(name));
    }
    return found;
}

// The top-level windows of that object name, seen or not.
inline QList<QWidget*> topLevelWindows(const QString& name) {
    QList<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) {
            windows.append(window);
        }
    }
    return windows;
}

// A left press and release at `at`, as a user's click. Option buttons are hit
// on their round indicator, other controls in their middle unless told where.
inline void clickControl(QWidget* target, QPoint at = QPoint()) {
    if (at.isNull()) {
        const bool option =
            qobject_cast<QAbstractButton*>(target) && !qobject_cast<QPushButton*>(target);
        at = option ? QPoint(6, target->height() / 2) : target->rect().center();
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
}

// What a window manager does when the user clicks into a window that is not
// the active one; offscreen, nothing else does it. False if it did not work.
inline bool bringToFront(QWidget* window) {
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

// Delivers what was queued, as the event loop would between two actions of a
// user, and deletes what was closed.
inline void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace varnelle::testing
