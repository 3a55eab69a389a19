#include "ui/shell/UTalventoFirmWare.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/ConfigurationName.h"
#include "core/files/Paths.h"
#include "core/text/MessageIds.h"
#include "platform/RegionalSettings.h"
#include "platform/Shell.h"
#include "platform/VersionCheck.h"
#include "ui/CatalogueDialog.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/ImageBuilder.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/Vendor.h"
#include "ui/VersionCheckRunner.h"
#include "ui/shell/Icons.h"
#include "ui/shell/UAbout.h"
#include "ui/shell/UNew_Project.h"
#include "ui/shell/UOpenConf.h"
#include "ui/update/UBoot.h"

#include "report/ConfigurationReport.h"
#include "ui/FileChooser.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace sw {

namespace {

constexpr int FirstCheckMs = 60'000;
constexpr int NextCheckMs = 7'200'000;

constexpr int ClientWidth = 694;
constexpr int StepPitch = 44;
constexpr int FirstStepLabelTop = 128;
constexpr int StepButtonWidth = 170;
constexpr int StepButtonHeight = 36;
constexpr int PictureButtonSize = 50;
// The most errors that the question before an update lists one by one.
constexpr qsizetype ListedErrors = 5;

// The keys of step 1 and of closing the program.
constexpr QKeyCombination NewKeys = Qt::CTRL | Qt::Key_N;
constexpr QKeyCombination OpenKeys = Qt::CTRL | Qt::Key_O;
constexpr QKeyCombination CloseKeys = Qt::CTRL | Qt::Key_Q;

int stepLabelTop(int step)
{
    return FirstStepLabelTop + StepPitch * (step - 1);
}
// Each step's buttons stand 16 px above their step label.
int stepButtonTop(int step)
{
    return stepLabelTop(step) - 16;
}

// A plain outline in the theme's mid tone: a rectangle frame, or a line filling the widget when it
// is 1 px high.
class Shape final : public QWidget
{
public:
    explicit Shape(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QColor colour = palette().color(QPalette::Mid);
        // A line drawn along the top edge lands half outside the widget at fractional scales and
        // vanishes; filled rectangles cover their pixels at any scale.
        if (height() <= 1) {
            p.fillRect(rect(), colour);
        } else {
            const QRect r = rect();
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
        }
    }
};

// A push button with its picture and caption aligned to the left, the caption wrapping onto a
// second line when it is longer than the button.
class StepButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        p.drawControl(QStyle::CE_PushButtonBevel, option);

        const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        const QSize pictureSize = iconSize();
        const QRect picture(contents.left() + 2, contents.center().y() - pictureSize.height() / 2 + 1,
            pictureSize.width(), pictureSize.height());
        icon().paint(&p, picture, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);

        const QRect caption = contents.adjusted(pictureSize.width() + 8, 0, 0, 0);
        p.drawItemText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
            QPalette::ButtonText);

        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
            p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
};

QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

TFTalventoFirmWare::TFTalventoFirmWare(
    ProgramValues &values, Services &svc, const QString &programDir, const QString &languageDir, QWidget *parent)
    : QWidget(parent)
    , pv(values)
    , services(svc)
    , Timer_Update(new QTimer(this))
    , m_versionCheck(new VersionCheckRunner(svc.versionChecker, this))
{
    FormCreate(programDir, languageDir);
}

TFTalventoFirmWare::~TFTalventoFirmWare() = default;

void TFTalventoFirmWare::FormCreate(const QString &programDir, const QString &languageDir)
{
    // Until the language is loaded the catalogue is empty, so nothing shows a stale text.
    pv.Msg_Catalogue.clear();
    createControls();
    m_reportAction = new QAction(this);
    m_reportAction->setObjectName(QStringLiteral("reportAction"));
    m_reportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_reportAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_reportAction);
    connect(m_reportAction, &QAction::triggered, this, &TFTalventoFirmWare::printReport);
    createWorkspace(pv, programDir, languageDir);
    m_workspaceWritable = canWriteIn(pv.Dir_Program);

    // The active configuration comes only from the settings file; reading back the device after
    // an update is on for every run.
    pv.Conf_Name.clear();
    pv.Update_Read_Back = true;
    // Value by value: a missing or unreadable value takes its default.
    readSettings(pv);
    enableUpdateTimer(pv.Opt_Enable_Internet && pv.Opt_Enable_Update);

    pv.SW_Title = QString::fromLatin1(SWTitleText);
    pv.SW_Code = QString::fromLatin1(SWCodeText);
    pv.SW_Desc = QString::fromLatin1(SWDescText);
    setWindowTitle(pv.SW_Title);
    L_SW_Code->setText(pv.SW_Code);
    L_SW_Desc->setText(pv.SW_Desc);

    Load_Lang(pv);
    m_qtTranslation.apply(pv.languageOnScreen);

    // The remembered configuration is active only while its folder exists. A name that is not
    // a single folder inside PROJECTS (an edited settings file) never activates anything; it is
    // still written back unchanged.
    pv.Conf_Dir.clear();
    if (isPlainFolderName(pv.Conf_Name)) {
        const QString folder = joinPath(pv.Dir_Projects, pv.Conf_Name);
        if (QDir(folder).exists())
            pv.Conf_Dir = folder;
    }
    showActiveConfiguration();

    Set_Lang();
    Set_Files();
    // Nothing is copied from a table yet.
    pv.Row_Copy_List.clear();
    pv.Row_Copy_Is_Check.clear();
}

void TFTalventoFirmWare::createControls()
{
    setObjectName(QStringLiteral("TFTalventoFirmWare"));
    // Fixed size, only the close box in the title bar.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, stepButtonTop(5) + 152);
    // The dialogs take the window's icon too.
    setWindowIcon(icons::program());
    // White in a light theme, as the boxes of the theme are, with the theme's text colour on it.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setForegroundRole(QPalette::Text);

    const auto label = [this](const char *name, const QRect &geometry) {
        QLabel *l = makeLabel(this, QLatin1String(name));
        l->setGeometry(geometry);
        return l;
    };
    const auto stepButton = [this](const char *name, int left, int top, const QIcon &icon) {
        auto *b = new StepButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(left, top, StepButtonWidth, StepButtonHeight);
        b->setIcon(icon);
        b->setIconSize(QSize(24, 24));
        connect(b, &QPushButton::clicked, this, &TFTalventoFirmWare::Btn_Click);
        return b;
    };
    const auto pictureButton = [this](const char *name, int left, const QIcon &icon) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(left, 8, PictureButtonSize, PictureButtonSize);
        b->setIcon(icon);
        b->setIconSize(QSize(40, 40));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::StrongFocus);
        connect(b, &QToolButton::clicked, this, &TFTalventoFirmWare::Btn_Click);
        return b;
    };

    // Header.
    L_SW_Code = label("L_SW_Code", QRect(16, 8, 300, 38));
    QFont codeFont = L_SW_Code->font();
    codeFont.setPixelSize(32);
    L_SW_Code->setFont(codeFont);
    subdueText(L_SW_Code);
    L_SW_Code->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    L_SW_Desc = label("L_SW_Desc", QRect(16, 42, 340, 18));
    L_SW_Desc->setFont(boldFont(L_SW_Desc->font()));

    LL_Update = label("LL_Update", QRect(344, 10, 166, 54));
    LL_Update->setWordWrap(true);
    LL_Update->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, &TFTalventoFirmWare::LL_UpdateLinkClick);

    Btn_Info = pictureButton("Btn_Info", 516, icons::information());
    Btn_Opz = pictureButton("Btn_Opz", 574, icons::options());
    Btn_Close = pictureButton("Btn_Close", 632, icons::closeProgram());

    // Active configuration.
    Shape2 = new Shape(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(80, 70, 348, 36);
    QFont small = font();
    small.setPixelSize(11);
    L_Name_Conf = label("L_Name_Conf", QRect(87, 75, 338, 13));
    L_Name_Conf->setFont(small);
    L_Name_Conf_L2 = label("L_Name_Conf_L2", QRect(87, 88, 338, 14));
    L_Name_Conf_L2->setFont(small);
    L_Begin = label("L_Begin", QRect(16, 84, 60, 16));
    L_Begin->setFont(boldFont(font()));

    // Steps.
    for (int step = 1; step <= 5; ++step) {
        QLabel *l = label(
            QStringLiteral("L_Step_%1").arg(step).toLatin1().constData(), QRect(16, stepLabelTop(step), 60, 16));
        l->setFont(boldFont(font()));
        L_Step[step - 1] = l;
    }
    Btn_New = stepButton("Btn_New", 80, stepButtonTop(1), icons::newConfiguration());
    Btn_Open = stepButton("Btn_Open", 258, stepButtonTop(1), icons::openConfiguration());
    Btn_Prm_Gen = stepButton("Btn_Prm_Gen", 80, stepButtonTop(2), icons::communication());
    Btn_IEC61850_Access = stepButton("Btn_IEC61850_Access", 80, stepButtonTop(3), icons::variableList());
    Btn_TLS_List_Certificates = stepButton("Btn_TLS_List_Certificates", 80, stepButtonTop(4), icons::certificates());
    Btn_CreateBin = stepButton("Btn_CreateBin", 80, stepButtonTop(5), icons::updateDevice());

    // The vendor's web address, shown as a link so that it takes the keyboard focus too.
    L_Quorvex = label("L_Quorvex", QRect(565, stepLabelTop(5), 124, 16));
    L_Quorvex->setTextFormat(Qt::RichText);
    showVendorLink();
    L_Quorvex->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    L_Quorvex->setCursor(Qt::PointingHandCursor);
    L_Quorvex->setAccessibleName(QString::fromLatin1(Vendor::WebAddressText));
    connect(L_Quorvex, &QLabel::linkActivated, this, [this] { L_QuorvexClick(); });

    Shape1 = new Shape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(10, stepButtonTop(5) + 51, 674, 1);

    m_fit = std::make_unique<FixedLayoutFit>(this,
        QList<QWidget *> {
            L_SW_Code, L_SW_Desc, L_Begin, L_Step[0], L_Step[1], L_Step[2], L_Step[3], L_Step[4], L_Quorvex });

    // Keyboard order: the steps first, then the links and the header buttons.
    QWidget *order[] = { Btn_New, Btn_Open, Btn_Prm_Gen, Btn_IEC61850_Access, Btn_TLS_List_Certificates, Btn_CreateBin,
        L_Quorvex, LL_Update, Btn_Info, Btn_Opz, Btn_Close };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Enter presses the focused step or picture button, as Space does.
    enterPressesButtons(this);

    Timer_Update->setObjectName(QStringLiteral("Timer_Update"));
    Timer_Update->setInterval(FirstCheckMs);
    // Exact intervals: a coarse timer would move a check by up to a second.
    Timer_Update->setTimerType(Qt::PreciseTimer);
    connect(Timer_Update, &QTimer::timeout, this, &TFTalventoFirmWare::Timer_UpdateTimer);
    createKeys();
}

void TFTalventoFirmWare::createKeys()
{
    // A key presses its button, so it goes the button's way: Ctrl+Q closes as the close box does.
    const auto key = [this](QAbstractButton *button, QKeyCombination keys) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, button, &QAbstractButton::click);
    };
    key(Btn_New, NewKeys);
    key(Btn_Open, OpenKeys);
    key(Btn_Close, CloseKeys);
}

QString TFTalventoFirmWare::hintWithKeys(int hint, QKeyCombination keys) const
{
    return pv.msg(MsgId::HintWithKeys).arg(pv.msg(hint), QKeySequence(keys).toString(QKeySequence::NativeText));
}

void TFTalventoFirmWare::showVendorLink()
{
    // The address reads as a bold label in the text colour. A link takes its colour when its text
    // is set, so the text is set again whenever the palette changes.
    L_Quorvex->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:none\"><b>%3</b></a>")
                           .arg(Vendor::homePageUrl().toHtmlEscaped(), palette().color(QPalette::Text).name(),
                               QString::fromLatin1(Vendor::WebAddressText)));
}

void TFTalventoFirmWare::setDialogs(const Dialogs &dialogs)
{
    m_dialogs = dialogs;
}

void TFTalventoFirmWare::setDialogCreator(DialogCreator creator)
{
    m_createDialog = std::move(creator);
}

QDialog *TFTalventoFirmWare::dialog(Dialog which)
{
    const auto made = [this, which](auto *&slot) -> QDialog * {
        if (!slot && m_createDialog)
            slot = static_cast<std::remove_reference_t<decltype(slot)>>(m_createDialog(which));
        return slot;
    };
    switch (which) {
    case Dialog::NewProject:
        return made(m_dialogs.newProject);
    case Dialog::OpenConf:
        return made(m_dialogs.openConf);
    case Dialog::About:
        return made(m_dialogs.about);
    case Dialog::SoftOptions:
        return made(m_dialogs.softOptions);
    case Dialog::ParGen:
        return made(m_dialogs.parGen);
    case Dialog::TlsKnownCert:
        return made(m_dialogs.tlsKnownCert);
    case Dialog::Iec61850Variables:
        return made(m_dialogs.iec61850Variables);
    case Dialog::Boot:
        return made(m_dialogs.boot);
    }
    return nullptr;
}

const TFTalventoFirmWare::Dialogs &TFTalventoFirmWare::dialogs()
{
    for (Dialog which : { Dialog::NewProject, Dialog::OpenConf, Dialog::About, Dialog::SoftOptions, Dialog::ParGen,
             Dialog::TlsKnownCert, Dialog::Iec61850Variables, Dialog::Boot })
        dialog(which);
    return m_dialogs;
}

void TFTalventoFirmWare::showActiveConfiguration()
{
    // The configuration's name stands out in bold; the hint without one does not.
    QFont second = L_Name_Conf_L2->font();
    second.setBold(!pv.Conf_Dir.isEmpty());
    L_Name_Conf_L2->setFont(second);
    if (!pv.Conf_Dir.isEmpty()) {
        L_Name_Conf->setText(pv.msg(MsgId::OpenedConfiguration));
        L_Name_Conf_L2->setText(pv.Conf_Name);
    } else {
        L_Name_Conf->setText(pv.msg(MsgId::NoConfigurationOpened));
        L_Name_Conf_L2->setText(pv.msg(MsgId::UseStep1));
    }
}

void TFTalventoFirmWare::Set_Lang()
{
    m_reportAction->setText(pv.msg(MsgId::ReportAction));
    L_Begin->setText(pv.msg(MsgId::Begin));
    for (int step = 1; step <= 5; ++step)
        L_Step[step - 1]->setText(pv.msg(MsgId::Step1 + step - 1));
    // The picture buttons have no caption: their hint names them for the keyboard and screen readers.
    const auto hint = [this](QToolButton *b, int entry) {
        setPlainToolTip(b, pv.msg(entry));
        b->setAccessibleName(pv.msg(entry));
    };
    hint(Btn_Info, MsgId::HintInfo);
    hint(Btn_Opz, MsgId::HintOptions);
    hint(Btn_Close, MsgId::HintClose);
    setPlainToolTip(Btn_Close, hintWithKeys(MsgId::HintClose, CloseKeys));
    Btn_New->setText(pv.msg(MsgId::NewConfiguration));
    Btn_Open->setText(pv.msg(MsgId::OpenConfiguration));
    Btn_CreateBin->setText(pv.msg(MsgId::UpdateDevice));
    Btn_Prm_Gen->setText(pv.msg(MsgId::SetCommunication));
    Btn_IEC61850_Access->setText(pv.msg(MsgId::IEC61850Access));
    showActiveConfiguration();
    setPlainToolTip(Btn_New, hintWithKeys(MsgId::HintNew, NewKeys));
    setPlainToolTip(Btn_Open, hintWithKeys(MsgId::HintOpen, OpenKeys));
    setPlainToolTip(Btn_Prm_Gen, pv.msg(MsgId::HintParGen));
    setPlainToolTip(Btn_IEC61850_Access, pv.msg(MsgId::HintIEC61850));
    setPlainToolTip(Btn_CreateBin, pv.msg(MsgId::HintUpdate));
    Btn_TLS_List_Certificates->setText(pv.msg(MsgId::TLSKnownCertificates));
    setPlainToolTip(Btn_TLS_List_Certificates, pv.msg(MsgId::HintTLS));
    m_fit->fit();
}

void TFTalventoFirmWare::Change_Language()
{
    // The language just loaded, which the options dialog shows before it is stored (and keeps on
    // screen after Cancel): Qt's buttons and file choosers speak the language of the texts around them.
    m_qtTranslation.apply(pv.languageOnScreen);
    // A dialog not made yet takes the new texts when it is made.
    Set_Lang();
    CatalogueDialog *const dialogs[] = { m_dialogs.newProject, m_dialogs.openConf, m_dialogs.softOptions,
        m_dialogs.boot, m_dialogs.parGen, m_dialogs.tlsKnownCert, m_dialogs.iec61850Variables };
    for (CatalogueDialog *dialog : dialogs) {
        if (dialog)
            dialog->Set_Lang();
    }
}

void TFTalventoFirmWare::Set_Files()
{
    sw::Set_Files(pv);
}

void TFTalventoFirmWare::Save_Setting()
{
    sw::Save_Setting(pv);
}

void TFTalventoFirmWare::FormClose()
{
    // The user was told at start that nothing can be written here.
    if (!m_workspaceWritable)
        return;
    try {
        Save_Setting();
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
    }
}

void TFTalventoFirmWare::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TFTalventoFirmWare::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (L_Quorvex && event->type() == QEvent::PaletteChange)
        showVendorLink();
    // A larger font or another style may need wider labels.
    if (m_fit && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        m_fit->fit();
}

void TFTalventoFirmWare::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
        Btn_New->setFocus();
        if (!m_workspaceWritable)
            QTimer::singleShot(0, this, &TFTalventoFirmWare::warnReadOnlyWorkspace);
    }
}

void TFTalventoFirmWare::warnReadOnlyWorkspace()
{
    services.messages->warning(this, pv.msg(MsgId::WorkspaceReadOnly).arg(pv.Dir_Program));
}

bool TFTalventoFirmWare::showDialog(QWidget *dialog)
{
    auto *d = qobject_cast<QDialog *>(dialog);
    return d && d->exec() == QDialog::Accepted;
}

void TFTalventoFirmWare::Btn_Click()
{
    // Nothing may throw through the event loop: unexpected failures end in the general error box.
    try {
        runButton(sender());
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
    }
}

void TFTalventoFirmWare::runButton(QObject *button)
{
    if (!button)
        return;
    if (button == Btn_New) {
        Create_New_Project();
    } else if (button == Btn_Open) {
        Open_Project();
    } else if (button == Btn_Close) {
        close();
    } else if (button == Btn_Info) {
        showDialog(dialog(Dialog::About));
    } else if (button == Btn_Opz) {
        if (showDialog(dialog(Dialog::SoftOptions))) {
            // The timer follows the choice even when the settings file cannot be written.
            enableUpdateTimer(pv.Opt_Enable_Internet && pv.Opt_Enable_Update);
            Save_Setting();
        }
    } else if (pv.Conf_Dir.isEmpty()) {
        services.messages->error(this, pv.msg(MsgId::ProjectNotValid));
    } else if (button == Btn_Prm_Gen) {
        showDialog(dialog(Dialog::ParGen));
    } else if (button == Btn_TLS_List_Certificates) {
        showDialog(dialog(Dialog::TlsKnownCert));
    } else if (button == Btn_IEC61850_Access) {
        showDialog(dialog(Dialog::Iec61850Variables));
    } else if (button == Btn_CreateBin) {
        Update_Device();
    }
}

void TFTalventoFirmWare::printReport()
{
    if (pv.Conf_Dir.isEmpty()) {
        services.messages->error(this, pv.msg(MsgId::ProjectNotValid));
        return;
    }
    const QString filter = QStringLiteral("%1 (*.pdf);;%2 (*.html)")
                               .arg(pv.msg(MsgId::ReportPdfFilter), pv.msg(MsgId::ReportHtmlFilter));
    QString path = services.files->saveFileName(this, pv.msg(MsgId::ReportChooserTitle),
        QDir::toNativeSeparators(QDir(pv.Conf_Dir).filePath(pv.Conf_Name + QStringLiteral(".pdf"))), filter);
    if (path.isEmpty())
        return;
    // A name without a known extension gets the PDF one.
    if (!report::reportFormat(path))
        path += QStringLiteral(".pdf");
    try {
        report::writeReport(path,
            { pv.Conf_Dir, pv.Conf_Name, QString::fromLatin1(Program_Version), services.clock->nowUtc(),
                pv.Msg_Catalogue });
    } catch (const std::exception &e) {
        services.messages->error(this, pv.msg(MsgId::ReportCannotWrite).arg(errorText(e)));
    }
}

void TFTalventoFirmWare::Create_New_Project()
{
    if (showDialog(dialog(Dialog::NewProject)))
        showActiveConfiguration(); // the dialog has made the new configuration active
}

void TFTalventoFirmWare::Open_Project()
{
    if (!showDialog(dialog(Dialog::OpenConf)))
        return;
    const QString name = m_dialogs.openConf->Name_Conf;
    if (!name.isEmpty())
        activateConfiguration(pv, name);
    else
        clearConfiguration(pv);
    showActiveConfiguration();
}

bool TFTalventoFirmWare::updateDespiteConfigurationErrors()
{
    QList<Finding> errors;
    for (const Finding &finding : checkConfiguration(pv.documents(), services.clock->nowUtc(), pv.Msg_Catalogue)) {
        // A document that cannot be read stops the build with its own message: nothing to ask.
        if (finding.field.isEmpty())
            return true;
        if (finding.severity == FindingSeverity::Error)
            errors << finding;
    }
    if (errors.isEmpty())
        return true;
    // The first few errors as --check prints them, and how many more there are; the editors and
    // the check list them all.
    QString question = pv.msg(MsgId::BootConfigurationErrors).arg(errors.size());
    for (qsizetype i = 0; i < std::min(errors.size(), ListedErrors); ++i) {
        const Finding &error = errors.at(i);
        QString where = error.document;
        if (error.row > 0)
            where += u':' + QString::number(error.row);
        question
            += u'\n' + QStringLiteral("%1: %2: %3").arg(where, error.field, QString(error.text).replace(u'\n', u' '));
    }
    if (errors.size() > ListedErrors)
        question += u'\n' + pv.msg(MsgId::BootMoreErrors).arg(errors.size() - ListedErrors);
    question += QStringLiteral("\n\n") + pv.msg(MsgId::BootUpdateAnyway);
    return services.messages->confirm(this, question);
}

void TFTalventoFirmWare::Update_Device()
{
    // What the device would get is checked as sw61942-image --check checks it, before anything is
    // written; with errors the user decides whether the device gets them (No is the default).
    if (!updateDespiteConfigurationErrors())
        return;
    // The image is rebuilt from the documents on disk every time, and written before the update
    // dialog opens, so the updater can never send images of an earlier build. Any failure (a
    // document that is not well-formed, an image too large, a file that cannot be written) throws
    // and ends in the general error box without opening the update dialog.
    services.imageBuilder->buildImages(pv.documents(), imageFolder(pv.Conf_Dir));
    QDialog *const boot = dialog(Dialog::Boot);
    if (auto *tfBoot = qobject_cast<TFBoot *>(boot))
        tfBoot->setFormType(1); // the update over Ethernet, the only mode offered
    showDialog(boot); // its result is not used
}

void TFTalventoFirmWare::enableUpdateTimer(bool on)
{
    // Enabling a running timer must not restart its interval.
    if (!on)
        Timer_Update->stop();
    else if (!Timer_Update->isActive())
        Timer_Update->start();
}

void TFTalventoFirmWare::Timer_UpdateTimer()
{
    Timer_Update->stop();
    // The request runs on a thread of its own; the window stays responsive while it waits.
    m_versionCheck->start([this](bool newer) { applyVersionAnswer(newer); });
}

void TFTalventoFirmWare::applyVersionAnswer(bool newer)
{
    if (newer) {
        LL_Update->setText(
            QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(Vendor::downloadPageUrl().toHtmlEscaped(), pv.msg(MsgId::NewVersionAvailable).toHtmlEscaped()));
        LL_Update->setAccessibleName(pv.msg(MsgId::NewVersionAvailable));
        LL_Update->show();
    } else {
        LL_Update->hide();
    }
    Timer_Update->setInterval(NextCheckMs);
    // Options turned off while the check ran keep the timer stopped.
    if (pv.Opt_Enable_Internet && pv.Opt_Enable_Update)
        Timer_Update->start();
    else
        Timer_Update->stop();
}

void TFTalventoFirmWare::LL_UpdateLinkClick(const QString &link)
{
    (void)services.shell->openUrl(link);
}

void TFTalventoFirmWare::L_QuorvexClick()
{
    (void)services.shell->openUrl(Vendor::homePageUrl());
}

} // namespace sw
