// The about box as a user meets it: its layout, one box at a time, OK and the
// close box destroying it, and the address handed to the mail program.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "about/about_box.h"
#include "controls.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace varnelle {
namespace {

using testing::settle;

QList<QWidget*> aboutBoxes() {
    return testing::topLevelWindows(QStringLiteral("frmabout"));
}

// The application picture, standing in for the main window's icon.
QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/images/application.png"));
}

// Everything a user can see in the box, to tell that nothing changed.
QStringList visibleState(const AboutBox* box) {
    QStringList state{box->windowTitle(), QString::number(box->isVisible())};
    for (const QWidget* child : box->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(child);
        const auto* button = qobject_cast<const QPushButton*>(child);
        const QRect r = child->geometry();
        state << QStringLiteral("%1 %2 %3,%4 %5x%6 %7")
                     .arg(child->objectName(), label    ? label->text()
                                               : button ? button->text()
                                                        : "")
                     .arg(r.x())
                     .arg(r.y())
                     .arg(r.width())
                     .arg(r.height())
                     .arg(child->isVisible());
    }
    return state;
}

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void windowIsAModelessFixedTopLevelBox();
    void controls_data();
    void controls();
    void textsFitTheirBoxes_data();
    void textsFitTheirBoxes();
    void onlyOkTakesFocusAndItIsNoDefaultButton();
    void pictureIsDrawnUnscaledFromTheTopLeft();

    void openingTwiceKeepsOneBoxInFront();
    void closingDestroysTheBoxAndTheNextOpenLoadsItAgain_data();
    void closingDestroysTheBoxAndTheNextOpenLoadsItAgain();
    void openingRightAfterAClosePendingDeletionShowsAFreshBox();
    void aMainWindowWithoutIconLeavesTheOrdinaryPointer();
    void mainWindowStaysUsableWhileTheBoxIsOpen();

    void clickOnAddressHandsMailtoToTheOpenerOnce();
    void clicksElsewhereDoNothing_data();
    void clicksElsewhereDoNothing();
    void failingOpenerChangesNothing();
    void realOpenerRunsXdgOpenDetachedFromTheProgramFolder();
    void realOpenerWithoutXdgOpenChangesNothing();

  private:
    AboutBox* openShownBox();
    template <typename T>
    T* child(const char* name) {
        return testing::findControl<T>(box_, QString::fromLatin1(name));
    }

    QPointer<AboutBox> box_;
    QStringList openedUrls_;
    QByteArray savedPath_;
};

void AboutBoxTest::init() {
    savedPath_ = qgetenv("PATH");
    openedUrls_.clear();
    // No test reaches the desktop's mail program unless it asks for it.
    AboutBox::setMailOpener([this](const QString& url) { openedUrls_.append(url); });
}

void AboutBoxTest::cleanup() {
    AboutBox::setMailOpener({});
    qputenv("PATH", savedPath_);
    for (QWidget* box : aboutBoxes()) {
        delete box;
    }
    settle();
}

AboutBox* AboutBoxTest::openShownBox() {
    AboutBox::open(box_, applicationIcon());
    if (box_) {
        if (!QTest::qWaitForWindowExposed(box_)) {
            qWarning("the about box was never exposed");
        }
    }
    return box_;
}

void AboutBoxTest::windowIsAModelessFixedTopLevelBox() {
    QVERIFY(openShownBox());
    QCOMPARE(box_->objectName(), QStringLiteral("frmabout"));
    QCOMPARE(box_->windowTitle(), QStringLiteral("A propos de Varnelle"));
    QVERIFY(box_->isWindow());
    QCOMPARE(box_->parentWidget(), nullptr);
    QVERIFY(!box_->isModal());
    QCOMPARE(box_->windowModality(), Qt::NonModal);
    QVERIFY(box_->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(box_->size(), twipsSize(7170, 7650));
    QCOMPARE(box_->size(), QSize(478, 510));
    QCOMPARE(box_->minimumSize(), box_->maximumSize());
}

void AboutBoxTest::controls_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<double>("points");
    QTest::addColumn<QColor>("colour");  // invalid: the system's text colour
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("wraps");

    const int left = Qt::AlignLeft | Qt::AlignTop;
    const QColor system;
    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);
    QTest::newRow("Label1") << "Varnelle" << QRect(3840, 480, 2895, 615) << 18.0 << red << left
                            << false;
    QTest::newRow("Label4") << "Janvier 2009" << QRect(3840, 1200, 2535, 375) << 12.0 << system
                            << left << false;
    QTest::newRow("Label3") << "version 3.0" << QRect(3840, 1680, 2295, 375) << 12.0 << system
                            << left << false;
    QTest::newRow("Label2") << "Libre d'utilisation et de diffusion, sans garantie"
                            << QRect(600, 2880, 5535, 375) << 12.0 << system << left << false;
    QTest::newRow("Label5")
        << "Si ce logiciel vous a plu, n'hésitez pas à m'envoyer un message de satisfaction"
        << QRect(600, 3840, 6015, 735) << 12.0 << system << left << true;
    QTest::newRow("Label6") << "contact@varnelle.example" << QRect(360, 4680, 6135, 495) << 18.0
                            << red << int(Qt::AlignHCenter | Qt::AlignTop) << false;
    QTest::newRow("Label7") << "Merci à tous pour vos suggestions et améliorations"
                            << QRect(240, 5880, 6615, 375) << 12.0 << blue << left << false;
}

void AboutBoxTest::controls() {
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(double, points);
    QFETCH(QColor, colour);
    QFETCH(int, alignment);
    QFETCH(bool, wraps);

    QVERIFY(openShownBox());
    auto* label = child<QLabel>(QTest::currentDataTag());
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(label->font().family(), windowFontFamily());
    QCOMPARE(label->font().pointSizeF(), points);
    QCOMPARE(label->font().weight(), QFont::Normal);
    QVERIFY(!label->font().italic());
    const QColor expected =
        colour.isValid() ? colour : QApplication::palette().color(QPalette::WindowText);
    QCOMPARE(label->palette().color(QPalette::WindowText), expected);
    QCOMPARE(int(label->alignment()), alignment);
    QCOMPARE(label->wordWrap(), wraps);
    QVERIFY(label->isVisible());
}

void AboutBoxTest::textsFitTheirBoxes_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "CommandOK"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

// Measured in the font the box really got, which may be a substitute.
void AboutBoxTest::textsFitTheirBoxes() {
    QFETCH(QString, name);
    QVERIFY(openShownBox());
    auto* widget = box_->findChild<QWidget*>(name);
    QVERIFY(widget);
    const auto* label = qobject_cast<QLabel*>(widget);
    const QString text = label ? label->text() : qobject_cast<QPushButton*>(widget)->text();
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (label && label->wordWrap()) {
        flags |= Qt::TextWordWrap;
    }
    const QRect needed =
        QFontMetrics(widget->font()).boundingRect(QRect(QPoint(), widget->size()), flags, text);
    const QString why = QStringLiteral("%1 needs %2x%3 in %4, box %5x%6")
                            .arg(text)
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(QFontInfo(widget->font()).family())
                            .arg(widget->width())
                            .arg(widget->height());
    QVERIFY2(needed.width() <= widget->width() && needed.height() <= widget->height(),
             qPrintable(why));
}

void AboutBoxTest::onlyOkTakesFocusAndItIsNoDefaultButton() {
    QVERIFY(openShownBox());
    QStringList focusable;
    for (const QWidget* widget : box_->findChildren<QWidget*>()) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            focusable << widget->objectName();
        }
    }
    QCOMPARE(focusable, QStringList{QStringLiteral("CommandOK")});

    auto* ok = child<QPushButton>("CommandOK");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(ok->geometry(), twipsRect(3960, 6840, 2655, 495));
    QCOMPARE(ok->font().family(), windowFontFamily());
    QCOMPARE(ok->font().pointSizeF(), 13.5);
    QCOMPARE(ok->font().weight(), QFont::Normal);
    QVERIFY(!ok->isDefault());
    QVERIFY(!ok->autoDefault());
}

void AboutBoxTest::pictureIsDrawnUnscaledFromTheTopLeft() {
    QVERIFY(openShownBox());
    auto* picture = child<QLabel>("Picture1");
    QVERIFY(picture);
    QCOMPARE(picture->geometry(), twipsRect(360, 360, 2415, 2055));
    const QPixmap shown = picture->pixmap();
    QVERIFY2(!shown.isNull(), "the application picture did not load");
    QCOMPARE(shown.size(), QSize(158, 136));
    QCOMPARE(shown.toImage(), QPixmap(QStringLiteral(":/images/application.png")).toImage());
    QVERIFY(!picture->hasScaledContents());
    QCOMPARE(int(picture->alignment()), int(Qt::AlignLeft | Qt::AlignTop));
    // The whole picture lies inside the box: nothing of it is cut off.
    QVERIFY(picture->contentsRect().width() >= 158);
    QVERIFY(picture->contentsRect().height() >= 136);
}

void AboutBoxTest::openingTwiceKeepsOneBoxInFront() {
    QWidget mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    QVERIFY(openShownBox());
    AboutBox* first = box_;
    QTRY_VERIFY(first->isActiveWindow());

    mainWindow.activateWindow();
    QTRY_VERIFY(mainWindow.isActiveWindow());
    AboutBox::open(box_, applicationIcon());
    QCOMPARE(box_.data(), first);
    QCOMPARE(aboutBoxes().size(), 1);
    QVERIFY(first->isVisible());
    QTRY_VERIFY(first->isActiveWindow());
}

void AboutBoxTest::closingDestroysTheBoxAndTheNextOpenLoadsItAgain_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("OK button") << "click";
    QTest::newRow("Return on OK") << "return";
    QTest::newRow("close box") << "close";
}

void AboutBoxTest::closingDestroysTheBoxAndTheNextOpenLoadsItAgain() {
    QFETCH(QString, way);
    QVERIFY(openShownBox());
    if (way == QLatin1String("click")) {
        QTest::mouseClick(child<QPushButton>("CommandOK"), Qt::LeftButton);
    } else if (way == QLatin1String("return")) {
        QTRY_VERIFY(child<QPushButton>("CommandOK")->hasFocus());
        QTest::keyClick(child<QPushButton>("CommandOK"), Qt::Key_Return);
    } else {
        QVERIFY(box_->close());
    }
    settle();
    QVERIFY(box_.isNull());
    QVERIFY(aboutBoxes().isEmpty());

    QVERIFY(openShownBox());
    QCOMPARE(aboutBoxes().size(), 1);
    const QIcon icon = applicationIcon();
    QCOMPARE(box_->windowIcon().pixmap(32, 32).toImage(), icon.pixmap(32, 32).toImage());
    const QCursor pointer = child<QLabel>("Label6")->cursor();
    QCOMPARE(pointer.shape(), Qt::BitmapCursor);
    QCOMPARE(pointer.pixmap().toImage(), icon.pixmap(QSize(32, 32)).toImage());
}

void AboutBoxTest::openingRightAfterAClosePendingDeletionShowsAFreshBox() {
    QVERIFY(openShownBox());
    QPointer<AboutBox> closed = box_;
    QTest::mouseClick(child<QPushButton>("CommandOK"), Qt::LeftButton);
    AboutBox::open(box_, applicationIcon());  // before the closed box is deleted
    QVERIFY(box_);
    QVERIFY(box_ != closed);
    QVERIFY(box_->isVisible());
    settle();
    QVERIFY(closed.isNull());
    QVERIFY(box_);
    QCOMPARE(aboutBoxes().size(), 1);
}

void AboutBoxTest::aMainWindowWithoutIconLeavesTheOrdinaryPointer() {
    AboutBox::open(box_, QIcon());
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
    QVERIFY(child<QLabel>("Label6")->cursor().shape() != Qt::BitmapCursor);
}

void AboutBoxTest::mainWindowStaysUsableWhileTheBoxIsOpen() {
    // A plain window with a field stands in for the main window.
    QWidget mainWindow;
    auto* field = new QLineEdit(&mainWindow);
    (new QVBoxLayout(&mainWindow))->addWidget(field);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    QVERIFY(openShownBox());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    mainWindow.activateWindow();
    QTRY_VERIFY(mainWindow.isActiveWindow());
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("1500"));
    QCOMPARE(field->text(), QStringLiteral("1500"));
    QVERIFY(box_->isVisible());

    // The box lives on its own: closing the main window leaves it open.
    mainWindow.close();
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
}

void AboutBoxTest::clickOnAddressHandsMailtoToTheOpenerOnce() {
    QVERIFY(openShownBox());
    auto* address = child<QLabel>("Label6");
    QCOMPARE(AboutBox::contactUrl(), QStringLiteral("mailto:") + address->text());
    QTest::mouseClick(address, Qt::LeftButton);
    QCOMPARE(openedUrls_, QStringList{QStringLiteral("mailto:contact@varnelle.example")});
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
}

void AboutBoxTest::clicksElsewhereDoNothing_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("releasedOutside");
    for (const char* name :
         {"Label1", "Label2", "Label3", "Label4", "Label5", "Label7", "Picture1"}) {
        QTest::newRow(name) << QString::fromLatin1(name) << int(Qt::LeftButton) << false;
    }
    QTest::newRow("window background") << "frmabout" << int(Qt::LeftButton) << false;
    QTest::newRow("right click on Label6") << "Label6" << int(Qt::RightButton) << false;
    QTest::newRow("Label6 released outside") << "Label6" << int(Qt::LeftButton) << true;
}

void AboutBoxTest::clicksElsewhereDoNothing() {
    QFETCH(QString, target);
    QFETCH(int, button);
    QFETCH(bool, releasedOutside);
    QVERIFY(openShownBox());
    QWidget* widget =
        target == box_->objectName() ? box_.data() : box_->findChild<QWidget*>(target);
    QVERIFY(widget);
    const QStringList before = visibleState(box_);

    const auto mouseButton = Qt::MouseButton(button);
    // The box's own background: a spot between the picture and the name.
    const QPoint spot =
        widget == box_ ? twipsRect(3000, 2500, 10, 10).topLeft() : widget->rect().center();
    if (releasedOutside) {
        QTest::mousePress(widget, mouseButton, {}, spot);
        QTest::mouseRelease(widget, mouseButton, {}, QPoint(-20, -20));
    } else {
        QTest::mouseClick(widget, mouseButton, {}, spot);
    }
    QCoreApplication::processEvents();

    QVERIFY(openedUrls_.isEmpty());
    QVERIFY(box_);
    QCOMPARE(visibleState(box_), before);
}

void AboutBoxTest::failingOpenerChangesNothing() {
    int calls = 0;
    AboutBox::setMailOpener([&calls](const QString&) { ++calls; });  // no mail program
    QVERIFY(openShownBox());
    const QStringList before = visibleState(box_);
    const int windows = QApplication::topLevelWidgets().size();

    QTest::mouseClick(child<QLabel>("Label6"), Qt::LeftButton);
    QCoreApplication::processEvents();

    QCOMPARE(calls, 1);
    QVERIFY(box_);
    QCOMPARE(visibleState(box_), before);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);  // no message shown
}

void AboutBoxTest::realOpenerRunsXdgOpenDetachedFromTheProgramFolder() {
#if !defined(Q_OS_LINUX)
    QSKIP("the desktop's own opener is only run through xdg-open on Linux");
#else
    QTemporaryDir fakeBin;
    QVERIFY(fakeBin.isValid());
    const QString record = fakeBin.filePath(QStringLiteral("record"));
    QFile script(fakeBin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    // Writes its arguments and its working folder, then renames the file so
    // that the test never reads half of it.
    script.write(QStringLiteral("#!/bin/sh\n"
                                "{ echo \"$#\"; printf '%s\\n' \"$@\"; pwd -P; } > '%1.part'\n"
                                "mv '%1.part' '%1'\n")
                     .arg(record)
                     .toLocal8Bit());
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", QFile::encodeName(fakeBin.path()) + ':' + savedPath_);

    AboutBox::setMailOpener({});
    QVERIFY(openShownBox());
    QTest::mouseClick(child<QLabel>("Label6"), Qt::LeftButton);
    QVERIFY(box_->isVisible());  // the box does not wait for the mail program

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile recorded(record);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLocal8Bit(recorded.readAll()).split('\n');
    const QString programFolder =
        QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
    QCOMPARE(lines, (QStringList{"1", "mailto:contact@varnelle.example", programFolder, ""}));
#endif
}

void AboutBoxTest::realOpenerWithoutXdgOpenChangesNothing() {
    QTemporaryDir emptyBin;
    QVERIFY(emptyBin.isValid());
    qputenv("PATH", QFile::encodeName(emptyBin.path()));
    AboutBox::setMailOpener({});
    QVERIFY(openShownBox());
    const QStringList before = visibleState(box_);
    const int windows = QApplication::topLevelWidgets().size();

    QTest::mouseClick(child<QLabel>("Label6"), Qt::LeftButton);
    QTest::qWait(100);  // room for anything that would pop up

    QVERIFY(box_);
    QCOMPARE(visibleState(box_), before);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
}

}  // namespace varnelle

QTEST_MAIN(varnelle::AboutBoxTest)
#include "about_box_test.moc"
