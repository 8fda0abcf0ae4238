#include "message_box.h"

#include <QAbstractButton>
#include <optional>

namespace varnelle {
namespace {

std::optional<QMessageBox::StandardButton>& nextAnswer() {
    static std::optional<QMessageBox::StandardButton> answer;
    return answer;
}

QString& lastQuestionAsked() {
    static QString question;
    return question;
}

}  // namespace

void showMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Varnelle"), text, QMessageBox::Ok, parent);
    box.exec();
}

bool askYesNo(QWidget* parent, const QString& question) {
    lastQuestionAsked() = question;
    if (std::optional<QMessageBox::StandardButton> answer = nextAnswer()) {
        nextAnswer().reset();
        return *answer == QMessageBox::Yes;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varnelle"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Non"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) {
    nextAnswer() = answer;
}

QString MessageBox::lastQuestion() {
    return lastQuestionAsked();
}

}  // namespace varnelle
