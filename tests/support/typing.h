// Typing any text into a control, as a keyboard or an input method gives it.
#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

namespace varnelle::testing {

// One key press and release per character. The test library's keyClicks
// sends Latin-1 only; a character past it (a narrow no-break space, say)
// comes as a key the keyboard has no code for, carrying its text.
inline void typeCharacters(QWidget* target, const QString& text) {
    for (const QChar character : text) {
        if (character.unicode() < 0x80) {
            QTest::keyClick(target, character.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
        }
    }
}

}  // namespace varnelle::testing
