// Shows every window of the configurator as a user would see it, in every shipped language, and
// checks that no caption is cut off. With SW_SCREENSHOT_DIR set, it also saves each window as
// <language>-<window>.png there.
#include "ProgramFolder.h"

#include "core/documents/KnownCertDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/text/LanguageFile.h"
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
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using namespace sw;

namespace {

// Texts that do not fit their control, as "objectName: text (N px short)": captions of labels,
// buttons and check boxes, and the column captions of tables.
QStringList clippedTexts(QWidget *window)
{
    QStringList out;
    const auto report = [&out](const QString &where, const QString &text, int needed, int available) {
        if (needed > available)
            out.append(QStringLiteral("%1: %2 (%3 px short)").arg(where, text).arg(needed - available));
    };
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->wordWrap() || label->textFormat() == Qt::RichText
            || label->text().isEmpty() || !label->pixmap().isNull())
            continue;
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

const QString ShippedLanguages = QStringLiteral(SW_SOURCE_DIR "/resources/LANGUAGE");

// Lets the layouts settle before a window is measured: a section that an earlier showing left
// taller shrinks only once the layout requests, posted one level up at a time, are handled.
void settle()
{
    for (int level = 0; level < 10; ++level)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void saveShot(QWidget *window, const QString &name)
{
    const QString dir = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QFETCH_GLOBAL(QString, language);
        window->grab().save(dir + QLatin1Char('/') + language + QLatin1Char('-') + name + QStringLiteral(".png"));
    }
}

} // namespace

class tst_Screens : public QObject
{
    Q_OBJECT

    test::ProgramFolder m_program;
    std::unique_ptr<ConfiguratorApplication> m_app;

    template <typename T> T *dialog() { return m_app->mainWindow()->findChild<T *>(); }

    void check(QWidget *window, const QString &name)
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        settle();
        saveShot(window, name);
        const QStringList clipped = clippedTexts(window);
        window->hide();
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

private Q_SLOTS:
    // Every test runs once per shipped language: English first, then the translations.
    void initTestCase_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("English");
        const QFileInfoList files
            = QDir(ShippedLanguages).entryInfoList({ QStringLiteral("*.lng") }, QDir::Files, QDir::Name);
        for (const QFileInfo &file : files) {
            if (file.completeBaseName() != QLatin1String("English"))
                QTest::newRow(qPrintable(file.completeBaseName())) << file.completeBaseName();
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
    }

    // The language is applied as the program does at a change in the options dialog: the
    // catalogue is loaded for Language_Name and every window takes its texts again.
    void init()
    {
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
    void deviceUpdate() { check(dialog<TFBoot>(), QStringLiteral("device-update")); }

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
            settle();
            saveShot(options, QLatin1String(names[tab]));
            const QStringList clipped = clippedTexts(options);
            options->hide();
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
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
        settle();
        saveShot(parGen, QStringLiteral("communication-tls"));
        const QStringList clipped = clippedTexts(parGen);
        parGen->findChild<QScrollArea *>(QStringLiteral("CPG"))->verticalScrollBar()->setValue(10000);
        saveShot(parGen, QStringLiteral("communication-tls-bottom"));
        parGen->findChild<QScrollArea *>(QStringLiteral("CPG"))->verticalScrollBar()->setValue(0);
        parGen->hide();
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
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
