#include "FakeServices.h"
#include "Fakes.h"
#include "PlainTips.h"
#include "ScriptedMessages.h"

#include "core/ProgramValues.h"
#include "ui/Services.h"
#include "ui/shell/Icons.h"
#include "ui/shell/UAbout.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QtTest>

using namespace sw;

class tst_About : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void showsIdentityAtEachShowing();
    void valuesStandBesideTheirCaptions();
    void logoAndAddressOpenHomePage_data();
    void logoAndAddressOpenHomePage();
    void okCloses();
    void logoLooksLikeAPicture();
    void logoOpensHomePageFromTheKeyboard_data();
    void logoOpensHomePageFromTheKeyboard();

private:
    template <typename T = QLabel> T *control(const char *name) { return about->findChild<T *>(QLatin1String(name)); }

    ProgramValues pv;
    test::FakeServices fake;
    std::unique_ptr<TFAbout> about;
};

void tst_About::init()
{
    pv = ProgramValues();
    fake.shell.opened.clear();
    about = std::make_unique<TFAbout>(pv, fake.services);
}

void tst_About::showsIdentityAtEachShowing()
{
    about->show();
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about->size(), QSize(425, 148));
    QCOMPARE(control("Label1")->text(), QStringLiteral("Software Talvento "));
    QCOMPARE(control("Label2")->text(), QStringLiteral("IEC61850 Server / Modbus Slave - Converter"));
    QCOMPARE(control("Label6")->text(), QStringLiteral("Software Code : "));
    QCOMPARE(control("Label9")->text(), QStringLiteral("SW61942"));
    QCOMPARE(control("Label3")->text(), QStringLiteral("Version :"));
    QCOMPARE(control("Label10")->text(), QStringLiteral("1.000"));
    QCOMPARE(control("Label8")->text(), QStringLiteral("Document Code :"));
    QCOMPARE(control("Label12")->text(), QStringLiteral("MN61942"));
    QVERIFY(control("Label1")->font().bold());

    // Values are taken again at the next showing; the catalogue plays no part.
    about->hide();
    pv.SW_Desc = QStringLiteral("Changed description");
    pv.Msg_Catalogue = QStringList(1600, QStringLiteral("x"));
    about->show();
    QCOMPARE(control("Label2")->text(), QStringLiteral("Changed description"));
    QCOMPARE(control("Label1")->text(), QStringLiteral("Software Talvento "));
}

void tst_About::valuesStandBesideTheirCaptions()
{
    about->show();
    const char *rows[][2] = { { "Label6", "Label9" }, { "Label3", "Label10" }, { "Label8", "Label12" } };
    int previousTop = control("Label2")->geometry().bottom();
    for (const auto &row : rows) {
        QLabel *caption = control(row[0]);
        QLabel *value = control(row[1]);
        QCOMPARE(caption->x(), control("Label6")->x());
        QCOMPARE(value->y(), caption->y());
        QVERIFY(value->x() >= caption->x() + caption->sizeHint().width());
        QVERIFY(caption->y() > previousTop);
        previousTop = caption->y();
        QVERIFY(about->rect().contains(value->geometry()));
    }
    QCOMPARE(control<QWidget>("Image2")->size(), QSize(81, 81));
}

void tst_About::logoAndAddressOpenHomePage_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("logo") << "Image2";
    QTest::newRow("web address") << "Label4";
}

void tst_About::logoAndAddressOpenHomePage()
{
    QFETCH(QString, control);
    about->show();
    QWidget *target = about->findChild<QWidget *>(control);
    QVERIFY(target);
    if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        QVERIFY(!button->accessibleName().isEmpty());
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        auto *label = qobject_cast<QLabel *>(target);
        QVERIFY(label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
        QVERIFY(label->text().contains(QLatin1String("www.quorvex.com")));
        Q_EMIT label->linkActivated(QString());
    }
    QCOMPARE(
        fake.shell.opened, QStringList { QStringLiteral("https://www.quorvex.com/HOME/default.asp?frompg=SW61942") });
    QVERIFY(about->isVisible());
}

void tst_About::okCloses()
{
    about->show();
    QTest::mouseClick(control<QAbstractButton>("LbButton1"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    QVERIFY(fake.shell.opened.isEmpty());
}

void tst_About::logoLooksLikeAPicture()
{
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    auto *logo = control<QAbstractButton>("Image2");
    QCOMPARE(logo->size(), QSize(81, 81));
    QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(test::shownTip(logo->toolTip()), QStringLiteral("www.quorvex.com"));
    QCOMPARE(logo->accessibleName(), QStringLiteral("www.quorvex.com"));

    // Exactly the logo over the dialog's background: no frame, no bevel, no margin.
    QImage expected(logo->size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(about->palette().color(QPalette::Window));
    {
        QPainter p(&expected);
        p.drawPixmap(expected.rect(), icons::logo(81));
    }
    const auto shown = [logo] { return logo->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); };
    QCOMPARE(shown(), expected);

    // Neither the pointer over it nor a press changes the picture.
    QEnterEvent enter(QPointF(40, 40), QPointF(40, 40), logo->mapToGlobal(QPointF(40, 40)));
    QApplication::sendEvent(logo, &enter);
    QCOMPARE(shown(), expected);
    QTest::mousePress(logo, Qt::LeftButton);
    QVERIFY(logo->isDown());
    QCOMPARE(shown(), expected);
    QTest::mouseRelease(logo, Qt::LeftButton);
}

void tst_About::logoOpensHomePageFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void tst_About::logoOpensHomePageFromTheKeyboard()
{
    QFETCH(int, key);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    about->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(about.get()));

    // Tab from OK past the web address reaches the logo.
    auto *logo = control<QAbstractButton>("Image2");
    QVERIFY(logo->focusPolicy() & Qt::TabFocus);
    QWidget *focus = about->focusWidget();
    for (int i = 0; i < 3 && focus != logo; ++i) {
        QTest::keyClick(focus, Qt::Key_Tab);
        focus = about->focusWidget();
    }
    QCOMPARE(focus, logo);

    QTest::keyClick(logo, Qt::Key(key));
    QCOMPARE(
        fake.shell.opened, QStringList { QStringLiteral("https://www.quorvex.com/HOME/default.asp?frompg=SW61942") });
    QVERIFY(about->isVisible());
}

QTEST_MAIN(tst_About)
#include "tst_About.moc"
