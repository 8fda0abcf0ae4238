// The about box: a small modeless window with the application picture, the
// version, the terms of use, the author's contact address and an OK button.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace varnelle {

class AboutBox : public QWidget {
    Q_OBJECT

  public:
    // The author's address, shown in Label6 and handed to the mail program.
    static QString contactAddress();
    // What a click on the address hands to the mail opener: "mailto:" + address.
    static QString contactUrl();

    // Hands a "mailto:" URL to the user's mail program. Failures are silent.
    using MailOpener = std::function<void(const QString& url)>;
    // Replaces the opener used by every about box; an empty one restores the
    // desktop's own (xdg-open on Linux, the desktop services elsewhere).
    static void setMailOpener(MailOpener opener);

    // Shows the one about box, creating it when none exists yet (or after the
    // previous one was closed), and brings it to the front. `box` is owned by
    // the caller and becomes null when the user closes the box.
    static void open(QPointer<AboutBox>& box, const QIcon& mainWindowIcon);

    // A top-level window without owner that deletes itself when closed.
    explicit AboutBox(const QIcon& mainWindowIcon);

  private slots:
    void onLabel6Click();
    void onCommandOKClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createControls();
    void createLayout();
    void connectHandlers();
    void load(const QIcon& mainWindowIcon);

    QLabel* picture1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* label7_ = nullptr;
    QPushButton* commandOK_ = nullptr;
    // A click is a left press and release both on the address.
    bool label6Pressed_ = false;
};

}  // namespace varnelle
