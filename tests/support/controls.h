// Finding and using the controls of the program's windows as a user would.
#pragma once

#include <QList>
#include <QPoint>
#include <QString>
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
QList<QWidget*> topLevelWindows(const QString& name);

// A left press and release at `at`, as a user's click. Option buttons are hit
// on their round indicator, other controls in their middle unless told where.
void clickControl(QWidget* target, QPoint at = QPoint());

// What a window manager does when the user clicks into a window that is not
// the active one; offscreen, nothing else does it. False if it did not work.
bool bringToFront(QWidget* window);

// Delivers what was queued, as the event loop would between two actions of a
// user, and deletes what was closed.
void settle();

}  // namespace varnelle::testing
