#include "about/about_box.h"

#include <QColor>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

#include <utility>

#include "widgets/enter_presses_button.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"
#include "widgets/window_frame.h"

namespace varnelle {
namespace {

// The pointer over the address is the application picture at cursor size.
constexpr int PointerSize = 32;

// Asks the desktop to open a "mailto:" URL in the user's mail program. On
// Linux xdg-open gets the program's folder as working directory, as a shell's
// open action would; the process runs detached so a slow mail program never
// holds up the box. Whether it worked is not known and not reported.
void openWithDesktop(const QString& url) {
#if defined(Q_OS_LINUX)
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{url},
                            QCoreApplication::applicationDirPath());
#else
    QDesktopServices::openUrl(QUrl(url));
#endif
}

AboutBox::MailOpener& replacementOpener() {
    static AboutBox::MailOpener opener;
    return opener;
}

// The box speaks in the main window's font family, regular, at its own sizes.
QFont aboutFont(double points) {
    return windowFont(points, false);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, double points,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(aboutFont(points));
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

QString AboutBox::contactAddress() {
    return QStringLiteral("contact@varnelle.example");
}

QString AboutBox::contactUrl() {
    return QStringLiteral("mailto:") + contactAddress();
}

void AboutBox::setMailOpener(MailOpener opener) {
    replacementOpener() = std::move(opener);
}

void AboutBox::open(QPointer<AboutBox>& box, const QIcon& mainWindowIcon) {
    // A box that was closed is on its way to deletion: a fresh one replaces it.
    if (box.isNull() || !box->isVisible()) {
        box = new AboutBox(mainWindowIcon);
    }
    box->show();
    box->raise();
    box->activateWindow();
}

AboutBox::AboutBox(const QIcon& mainWindowIcon) : QWidget(nullptr, fixedWindowFrame) {
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("A propos de Varnelle"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsSize(7170, 7650));

    createControls();
    createLayout();
    connectHandlers();
    pressFocusedButtonOnEnter(this);
    load(mainWindowIcon);
}

void AboutBox::createControls() {
    picture1_ = new QLabel(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setPixmap(QPixmap(applicationPicture()));
    picture1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    label1_ = makeLabel(this, "Label1", QStringLiteral("Varnelle"), 18);
    setTextColour(label1_, QColor(255, 0, 0));
    label4_ = makeLabel(this, "Label4", QStringLiteral("Janvier 2009"), 12);
    label3_ = makeLabel(this, "Label3", QStringLiteral("version 3.0"), 12);
    label2_ = makeLabel(this, "Label2",
                        QStringLiteral("Libre d'utilisation et de diffusion, sans garantie"), 12);
    label5_ = makeLabel(this, "Label5",
                        QStringLiteral("Si ce logiciel vous a plu, n'hésitez pas à m'envoyer un "
                                       "message de satisfaction"),
                        12);
    label5_->setWordWrap(true);
    label6_ = makeLabel(this, "Label6", contactAddress(), 18, Qt::AlignHCenter | Qt::AlignTop);
    setTextColour(label6_, QColor(255, 0, 0));
    label7_ = makeLabel(this, "Label7",
                        QStringLiteral("Merci à tous pour vos suggestions et améliorations"), 12);
    setTextColour(label7_, QColor(0, 0, 255));

    commandOK_ = new QPushButton(QStringLiteral("OK"), this);
    commandOK_->setObjectName(QStringLiteral("CommandOK"));
    commandOK_->setFont(aboutFont(13.5));
    commandOK_->setAutoDefault(false);
    commandOK_->setDefault(false);
}

void AboutBox::createLayout() {
    picture1_->setGeometry(twipsRect(360, 360, 2415, 2055));
    label1_->setGeometry(twipsRect(3840, 480, 2895, 615));
    label4_->setGeometry(twipsRect(3840, 1200, 2535, 375));
    label3_->setGeometry(twipsRect(3840, 1680, 2295, 375));
    label2_->setGeometry(twipsRect(600, 2880, 5535, 375));
    label5_->setGeometry(twipsRect(600, 3840, 6015, 735));
    label6_->setGeometry(twipsRect(360, 4680, 6135, 495));
    label7_->setGeometry(twipsRect(240, 5880, 6615, 375));
    commandOK_->setGeometry(twipsRect(3960, 6840, 2655, 495));
}

void AboutBox::connectHandlers() {
    label6_->installEventFilter(this);
    connect(commandOK_, &QPushButton::clicked, this, &AboutBox::onCommandOKClick);
}

void AboutBox::load(const QIcon& mainWindowIcon) {
    setWindowIcon(mainWindowIcon);
    // A window without an icon leaves the address with the ordinary pointer.
    const QPixmap pointer = mainWindowIcon.pixmap(QSize(PointerSize, PointerSize));
    if (!pointer.isNull()) {
        label6_->setCursor(QCursor(pointer));
    }
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != label6_) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        label6Pressed_ = mouse->button() == Qt::LeftButton;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // Releasing outside the address cancels the click, as on a button.
        const bool clicked = label6Pressed_ && mouse->button() == Qt::LeftButton &&
                             label6_->rect().contains(mouse->position().toPoint());
        label6Pressed_ = false;
        if (clicked) {
            onLabel6Click();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AboutBox::onLabel6Click() {
    const MailOpener& replacement = replacementOpener();
    if (replacement) {
        replacement(contactUrl());
    } else {
        openWithDesktop(contactUrl());
    }
}

void AboutBox::onCommandOKClick() {
    close();
}

}  // namespace varnelle
