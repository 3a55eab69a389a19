// Shows every window of the configurator as a user would see it, in every shipped language and in
// several looks (the default one, a dark palette, an 11 pt font), and checks that no caption is cut
// off and that every label stands out from its background. With SW_SCREENSHOT_DIR set, it also
// saves each window as <language>-<look>-<window>.png there. SW_SCREEN_LOOKS, a comma-separated
// list of looks, runs only those (the 144 dpi run takes the default look on a 144 dpi screen).
#include "ProgramFolder.h"

#include "core/ProgramValues.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/VariablesDocument.h"
#include "ui/documents/UIEC61850_Variables.h"
#include "ui/documents/UParGen.h"
#include "ui/documents/UTLS_Server_Known_Cert.h"
#include "ui/options/USoftOptions.h"
#include "ui/shell/Application.h"
#include "ui/shell/UAbout.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/shell/UTalventoFirmWare.h"
#include "ui/update/UBoot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace sw;

namespace {

// Texts that do not fit their control, as "objectName: text (N px short)": captions of labels,
// buttons and check boxes, every choice of a list box, and the column captions of tables.
QStringList clippedTexts(QWidget *window)
{
    QStringList out;
    const auto report = [&out](const QString &where, const QString &text, int needed, int available) {
        if (needed > available)
            out.append(QStringLiteral("%1: %2 (%3 px short)").arg(where, text).arg(needed - available));
    };
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            continue;
        if (label->textFormat() == Qt::RichText) {
            // A link: the text of the document, without its margin; less than half a pixel over
            // the edge cuts nothing off.
            QTextDocument document;
            document.setDocumentMargin(0);
            document.setDefaultFont(label->font());
            document.setHtml(label->text());
            report(label->objectName(), document.toPlainText(), qRound(document.idealWidth()),
                label->contentsRect().width());
            continue;
        }
        report(label->objectName(), label->text(), label->fontMetrics().horizontalAdvance(label->text()),
            label->contentsRect().width());
    }
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty())
            continue;
        // Step buttons wrap their caption onto two lines; plain buttons and check boxes do not.
        const bool wraps = button->inherits("QPushButton") && button->height() >= 36;
        report(button->objectName(), button->text(),
            wraps ? button->sizeHint().width() / 2 : button->sizeHint().width(), button->width());
    }
    for (QComboBox *box : window->findChildren<QComboBox *>()) {
        if (!box->isVisibleTo(window) || box->isEditable())
            continue;
        // Each choice as the box shows it once chosen, in the field beside the arrow.
        QStyleOptionComboBox option;
        option.initFrom(box);
        const int field
            = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box).width();
        for (int item = 0; item < box->count(); ++item) {
            const QString text = box->itemText(item);
            report(box->objectName(), text, box->fontMetrics().horizontalAdvance(text), field);
        }
    }
    for (QTableView *table : window->findChildren<QTableView *>()) {
        QHeaderView *header = table->horizontalHeader();
        if (!table->isVisibleTo(window) || header->isHidden())
            continue;
        // The style draws a column caption centred between two margins and cuts it at both ends.
        const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const QString text = table->model()->headerData(column, Qt::Horizontal).toString();
            report(table->objectName() + QStringLiteral(" column %1").arg(column), text,
                header->fontMetrics().horizontalAdvance(text) + margins, header->sectionSize(column));
        }
    }
    return out;
}

// WCAG relative luminance of a colour.
double luminance(QRgb rgb)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Labels whose text, as rendered, does not stand out from the label's own background by 4.5:1, as
// "objectName: text (ratio)". The background is the commonest colour in the label's area and the
// text the colour furthest from it, which the inside of every glyph reaches.
QStringList faintLabels(QWidget *window, const QImage &shot)
{
    QStringList out;
    const qreal ratio = shot.devicePixelRatio();
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || !label->isEnabled() || label->text().trimmed().isEmpty()
            || !label->pixmap().isNull())
            continue;
        // Only labels wholly on show count: one scrolled partly out of view shows only part of its text.
        if (label->visibleRegion() != QRegion(label->rect()))
            continue;
        const QRect area(label->mapTo(window, label->contentsRect().topLeft()), label->contentsRect().size());
        const QRect pixels = QRect((area.topLeft() * ratio), (area.size() * ratio)).intersected(shot.rect());
        QHash<QRgb, int> counts;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                ++counts[shot.pixel(x, y) | 0xff000000];
        }
        QRgb background = 0;
        int most = -1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > most) {
                most = it.value();
                background = it.key();
            }
        }
        double best = 1.0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            best = std::max(best, contrast(background, it.key()));
        if (qEnvironmentVariableIsSet("SW_DEBUG_CONTRAST"))
            qDebug() << label->objectName() << pixels << Qt::hex << background << best << counts.size();
        if (best < 4.5)
            out.append(QStringLiteral("%1: %2 (%3:1)").arg(label->objectName(), label->text()).arg(best, 0, 'f', 2));
    }
    return out;
}

// Separators (children 1 px high) that left no mark on the window, as "objectName: not drawn".
QStringList missingLines(QWidget *window, const QImage &shot)
{
    QStringList out;
    const qreal ratio = shot.devicePixelRatio();
    const QRgb background = window->palette().color(window->backgroundRole()).rgb() | 0xff000000;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (child->height() != 1 || !child->isVisibleTo(window))
            continue;
        const QRect area(child->mapTo(window, QPoint(0, 0)), child->size());
        const QRect pixels
            = QRect(area.topLeft() * ratio, area.size() * ratio).adjusted(0, -1, 0, 1).intersected(shot.rect());
        bool drawn = false;
        for (int y = pixels.top(); y <= pixels.bottom() && !drawn; ++y) {
            for (int x = pixels.left(); x <= pixels.right() && !drawn; ++x)
                drawn = (shot.pixel(x, y) | 0xff000000) != background;
        }
        if (!drawn)
            out.append(child->objectName() + QStringLiteral(": not drawn"));
    }
    return out;
}

// A dark palette as desktop themes set it: light text on dark windows, buttons and boxes.
QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), text(0xe6, 0xe6, 0xe6), base(0x1e, 0x1e, 0x1e), button(0x3c, 0x3f, 0x41);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x65, 0xca));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    p.setColor(QPalette::LinkVisited, QColor(0xc5, 0x8a, 0xf9));
    p.setColor(QPalette::Light, button.lighter(150));
    p.setColor(QPalette::Midlight, button.lighter(125));
    p.setColor(QPalette::Mid, button.darker(120));
    p.setColor(QPalette::Dark, button.darker(150));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

const QString ShippedLanguages = QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE");

// Lets the layouts settle before a window is measured: a section that an earlier showing left
// taller shrinks only once the layout requests, posted one level up at a time, are handled.
void settle()
{
    for (int level = 0; level < 10; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// The window as rendered, saved when SW_SCREENSHOT_DIR is set.
QImage shoot(QWidget *window, const QString &name)
{
    // Over the window's background, as the screen shows a window that leaves parts unpainted.
    const QPixmap grabbed = window->grab();
    QImage shot(grabbed.size(), QImage::Format_RGB32);
    shot.setDevicePixelRatio(grabbed.devicePixelRatio());
    shot.fill(window->palette().color(window->backgroundRole()));
    QPainter(&shot).drawPixmap(0, 0, grabbed);
    const QString dir = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QFETCH_GLOBAL(QString, language);
        QFETCH_GLOBAL(QString, look);
        shot.save(QStringLiteral("%1/%2-%3-%4.png").arg(dir, language, look, name));
    }
    return shot;
}

// What is wrong with a window as shown: cut texts and faint labels.
QStringList faults(QWidget *window, const QString &name)
{
    settle();
    const QImage shot = shoot(window, name);
    QStringList found = clippedTexts(window) + faintLabels(window, shot) + missingLines(window, shot);
    // A scrolling group whose rows are wider than its view draws them under its scroll bar.
    for (QScrollArea *area : window->findChildren<QScrollArea *>()) {
        if (!area->isVisibleTo(window) || !area->widget())
            continue;
        for (QWidget *control : area->widget()->findChildren<QWidget *>()) {
            if (control->isVisibleTo(window)
                && control->mapTo(area->viewport(), QPoint(control->width(), 0)).x() > area->viewport()->width())
                found.append(control->objectName() + QStringLiteral(": under the scroll bar"));
        }
    }
    return found;
}

} // namespace

class tst_Screens : public QObject
{
    Q_OBJECT

    test::ProgramFolder m_program;
    std::unique_ptr<ConfiguratorApplication> m_app;
    QPalette m_palette;
    QFont m_font;

    template <typename T> T *dialog() { return m_app->mainWindow()->findChild<T *>(); }

    void check(QWidget *window, const QString &name)
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QStringList found = faults(window, name);
        window->hide();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }

private Q_SLOTS:
    // Every test runs once per shipped language (English first, then the translations) and look.
    void initTestCase_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("look");
        QStringList languages { QStringLiteral("English") };
        const QFileInfoList files
            = QDir(ShippedLanguages).entryInfoList({ QStringLiteral("*.lng") }, QDir::Files, QDir::Name);
        for (const QFileInfo &file : files) {
            if (file.completeBaseName() != QLatin1String("English"))
                languages << file.completeBaseName();
        }
        QStringList looks { QStringLiteral("default"), QStringLiteral("dark"), QStringLiteral("11pt") };
        if (qEnvironmentVariableIsSet("SW_SCREEN_LOOKS"))
            looks = qEnvironmentVariable("SW_SCREEN_LOOKS").split(u',');
        for (const QString &look : std::as_const(looks)) {
            for (const QString &language : std::as_const(languages))
                QTest::newRow(qPrintable(language + u' ' + look)) << language << look;
        }
    }

    // The program folder holds the shipped language files and flags, and two more languages that
    // take the default flag, so that the language chooser has a second page.
    void initTestCase()
    {
        QVERIFY(m_program.createConfiguration(QStringLiteral("Substation North")));
        QVERIFY(m_program.createConfiguration(QStringLiteral("Plant 2")));
        const QString languages = m_program.path(QStringLiteral("LANGUAGE/"));
        QVERIFY(QDir().mkpath(languages));
        for (const QFileInfo &file : QDir(ShippedLanguages).entryInfoList(QDir::Files))
            QVERIFY(QFile::copy(file.absoluteFilePath(), languages + file.fileName()));
        for (const char *name : { "Nederlands.lng", "Svenska.lng" })
            QVERIFY(m_program.write(QStringLiteral("LANGUAGE/") + QLatin1String(name), "STR0 = x\n"));
        m_app = std::make_unique<ConfiguratorApplication>(m_program.pv, m_program.services, m_program.dir.path());
        // Every dialog is made now, as first use would make it, so that each can be found.
        m_app->mainWindow()->dialogs();
        m_palette = QApplication::palette();
        m_font = QApplication::font();
    }

    // The language is applied as the program does at a change in the options dialog: the
    // catalogue is loaded for Language_Name and every window takes its texts again.
    void init()
    {
        QFETCH_GLOBAL(QString, look);
        QApplication::setPalette(look == QLatin1String("dark") ? darkPalette() : m_palette);
        QFont font = m_font;
        if (look == QLatin1String("11pt"))
            font.setPointSize(11);
        QApplication::setFont(font);
        // The windows learn of the new palette and font from posted events.
        QCoreApplication::processEvents();
        QFETCH_GLOBAL(QString, language);
        m_program.pv.Language_Name = language;
        Load_Lang(m_program.pv);
        QCOMPARE(m_program.pv.Language_Name, language);
        m_app->mainWindow()->Change_Language();
    }

    void mainWindow()
    {
        clearConfiguration(m_program.pv);
        m_app->mainWindow()->Set_Lang();
        check(m_app->mainWindow(), QStringLiteral("main-window"));
        activateConfiguration(m_program.pv, QStringLiteral("Substation North"));
        m_app->mainWindow()->Set_Lang();
        check(m_app->mainWindow(), QStringLiteral("main-window-active"));
    }

    void newConfiguration() { check(dialog<TFNew_Project>(), QStringLiteral("new-configuration")); }
    void openConfiguration() { check(dialog<TFOpenConf>(), QStringLiteral("open-configuration")); }
    void about() { check(dialog<TFAbout>(), QStringLiteral("about")); }
    // Fresh, then after an update with each way the updater can end on its status line.
    void deviceUpdate()
    {
        auto *boot = dialog<TFBoot>();
        check(boot, QStringLiteral("device-update"));
        const std::pair<ProgramEnd, int> ends[] = { { ProgramEnd::Exited, 0 }, { ProgramEnd::Exited, 2 },
            { ProgramEnd::Signalled, 6 }, { ProgramEnd::StillRunning, 0 }, { ProgramEnd::Unknown, 0 } };
        for (const auto &[end, code] : ends) {
            m_program.launcher.result.end = end;
            m_program.launcher.result.code = code;
            m_program.echo.answers = { true, true };
            boot->show();
            QVERIFY(QTest::qWaitForWindowExposed(boot));
            boot->findChild<QPushButton *>(QStringLiteral("Btn_Update"))->click();
            const QStringList found = faults(boot, QStringLiteral("device-update-ended-%1-%2").arg(int(end)).arg(code));
            boot->hide();
            QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
        }
    }

    // Each tab of the options dialog.
    void softOptions()
    {
        m_program.pv.Opt_Enable_Internet = true;
        auto *options = dialog<TFSoftOptions>();
        auto *tabs = options->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
        const char *const names[] = { "options-language", "options-connection", "options-settings" };
        for (int tab = 0; tab < 3; ++tab) {
            QTimer::singleShot(0, options, [tabs, tab] { tabs->setCurrentIndex(tab); });
            options->show();
            QVERIFY(QTest::qWaitForWindowExposed(options));
            QTRY_COMPARE(tabs->currentIndex(), tab);
            const QStringList found = faults(options, QLatin1String(names[tab]));
            options->hide();
            QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
        }
    }

    void communicationParameters()
    {
        auto *parGen = dialog<TFParGen>();
        QVERIFY(parGen);
        m_program.pv.File_ParGen = m_program.path(QStringLiteral("ParGen.xml"));
        check(parGen, QStringLiteral("communication"));
        parGen->show();
        parGen->findChild<QCheckBox *>(QStringLiteral("CB_TLS_Server_Enable"))->click();
        const QStringList found = faults(parGen, QStringLiteral("communication-tls"));
        parGen->findChild<QScrollArea *>(QStringLiteral("CPG"))->verticalScrollBar()->setValue(10000);
        shoot(parGen, QStringLiteral("communication-tls-bottom"));
        parGen->findChild<QScrollArea *>(QStringLiteral("CPG"))->verticalScrollBar()->setValue(0);
        parGen->hide();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }

    void variableList()
    {
        activateConfiguration(m_program.pv, QStringLiteral("Substation North"));
        VariableRow breaker;
        breaker.Name = QStringLiteral("XCBR1.Pos.stVal");
        breaker.Type = QStringLiteral("Digital (Bit)");
        breaker.Length = QStringLiteral("1");
        breaker.Position = QStringLiteral("12");
        breaker.StartBit = QStringLiteral("3");
        breaker.Conversion = QStringLiteral("None");
        breaker.MultiplicationFactor = QStringLiteral("None");
        breaker.Mnemonic = QStringLiteral("Breaker position");
        VariableRow voltage = breaker;
        voltage.Name = QStringLiteral("MMXU1.PhV.phsA");
        voltage.Type = QStringLiteral("Float");
        voltage.Length = QStringLiteral("4");
        voltage.Position = QStringLiteral("100");
        voltage.StartBit.clear();
        voltage.Conversion = QStringLiteral("Int to Float");
        voltage.MultiplicationFactor = QStringLiteral("0,1");
        voltage.Mnemonic = QStringLiteral("Phase A voltage, 0.1 V per unit");
        writeVariablesFile(m_program.pv.File_IEC61850_Variables, { breaker, voltage });
        check(dialog<TFIEC61850_Variables>(), QStringLiteral("variable-list"));
    }

    void knownCertificates()
    {
        activateConfiguration(m_program.pv, QStringLiteral("Substation North"));
        const QString pem = QStringLiteral("-----BEGIN CERTIFICATE-----\nMIIBszCCAVmgAwIBAgIUQ2xpZW50\n"
                                           "-----END CERTIFICATE-----\n");
        writeKnownCertFile(m_program.pv.File_TLS_Known_Cert,
            { { true, pem, QStringLiteral("SCADA master") }, { false, pem, QStringLiteral("Engineering laptop") } });
        check(dialog<TFTLS_Server_Known_Cert>(), QStringLiteral("known-certificates"));
    }
};

QTEST_MAIN(tst_Screens)
#include "tst_Screens.moc"
