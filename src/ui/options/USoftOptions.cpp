#include "ui/options/USoftOptions.h"

#include "core/ProgramValues.h"
#include "core/text/MessageIds.h"
#include "platform/Shell.h"
#include "ui/Controls.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/Vendor.h"
#include "ui/VersionCheckRunner.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace sw {

namespace {

constexpr int ClientWidth = 460;
constexpr int TabHeight = 250;
constexpr int FlagSize = 48;
constexpr int SlotsPerPage = 6;
constexpr int CheckBoxIndent = 20;
constexpr int LanguageSuffixLength = 4; // ".lng"

QWidget *makePage(QWidget *parent, const QString &name)
{
    auto *page = new QWidget(parent);
    page->setObjectName(name);
    return page;
}

QCheckBox *makeCheckBox(QWidget *parent, const QString &name)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(name);
    return box;
}

QPushButton *makeButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    return button;
}

// Hiding the control keeps its place, so the rest of the page does not move.
void keepPlaceWhenHidden(QWidget *w)
{
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

} // namespace

TFSoftOptions::TFSoftOptions(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
    , m_versionCheck(new VersionCheckRunner(svc.versionChecker, this))
{
    centreOnScreenAtShow();
    FormCreate();
}

void TFSoftOptions::FormCreate()
{
    setObjectName(QStringLiteral("TFSoftOptions"));

    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    PC_Options->setMinimumHeight(TabHeight);
    TS_Language = makePage(PC_Options, QStringLiteral("TS_Language"));
    TS_Con_Options = makePage(PC_Options, QStringLiteral("TS_Con_Options"));
    TS_Soft_Settings = makePage(PC_Options, QStringLiteral("TS_Soft_Settings"));
    PC_Options->addTab(TS_Language, QString());
    PC_Options->addTab(TS_Con_Options, QString());
    PC_Options->addTab(TS_Soft_Settings, QString());

    // Language: six slots in two columns of three, each a flag and a name, both clickable.
    L_Sel_Lang = makeLabel(TS_Language, QStringLiteral("L_Sel_Lang"));
    QFont bold = L_Sel_Lang->font();
    bold.setBold(true);
    L_Sel_Lang->setFont(bold);
    auto *slotGrid = new QGridLayout;
    slotGrid->setHorizontalSpacing(16);
    slotGrid->setVerticalSpacing(6);
    for (int k = 0; k < SlotsPerPage; ++k) {
        QLabel *picture = makeLabel(TS_Language, QStringLiteral("I_L%1").arg(k + 1));
        picture->setFixedSize(FlagSize, FlagSize);
        picture->setAlignment(Qt::AlignCenter);
        picture->setAttribute(Qt::WA_TranslucentBackground);
        QLabel *name = makeLabel(TS_Language, QStringLiteral("L_L%1").arg(k + 1));
        // The names take the keyboard focus too: Enter or Space selects, as a click does.
        name->setFocusPolicy(Qt::StrongFocus);
        for (QLabel *l : { picture, name }) {
            l->setCursor(Qt::PointingHandCursor);
            l->installEventFilter(this);
            keepPlaceWhenHidden(l);
        }
        auto *cell = new QHBoxLayout;
        cell->setSpacing(8);
        cell->addWidget(picture);
        cell->addWidget(name, 1);
        slotGrid->addLayout(cell, k % 3, k / 3);
        I_L[size_t(k)] = picture;
        L_L[size_t(k)] = name;
    }
    slotGrid->setColumnStretch(0, 1);
    slotGrid->setColumnStretch(1, 1);
    Btn_Prev = makeButton(TS_Language, QStringLiteral("Btn_Prev"));
    Btn_Next = makeButton(TS_Language, QStringLiteral("Btn_Next"));
    L_Page_Lang = makeLabel(TS_Language, QStringLiteral("L_Page_Lang"));
    L_Page_Lang->setAlignment(Qt::AlignCenter);
    keepPlaceWhenHidden(Btn_Prev);
    keepPlaceWhenHidden(Btn_Next);
    auto *pager = new QHBoxLayout;
    pager->addWidget(Btn_Prev);
    pager->addWidget(L_Page_Lang, 1);
    pager->addWidget(Btn_Next);
    auto *languagePage = new QVBoxLayout(TS_Language);
    languagePage->addWidget(L_Sel_Lang);
    languagePage->addSpacing(4);
    languagePage->addLayout(slotGrid);
    languagePage->addStretch();
    languagePage->addLayout(pager);

    // Connection: the update box stands indented under the box that allows the internet at all.
    CB_En_Con = makeCheckBox(TS_Con_Options, QStringLiteral("CB_En_Con"));
    CB_Update = makeCheckBox(TS_Con_Options, QStringLiteral("CB_Update"));
    Btn_Check_Update = makeButton(TS_Con_Options, QStringLiteral("Btn_Check_Update"));
    LL_Check_Update = makeLabel(TS_Con_Options, QStringLiteral("LL_Check_Update"));
    LL_Check_Update->setWordWrap(true);
    LL_Check_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    LL_Check_Update->hide();
    auto *connectionPage = new QVBoxLayout(TS_Con_Options);
    connectionPage->addWidget(CB_En_Con);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(CheckBoxIndent);
    indented->addWidget(CB_Update, 1);
    connectionPage->addLayout(indented);
    connectionPage->addSpacing(8);
    connectionPage->addWidget(Btn_Check_Update, 0, Qt::AlignLeft);
    connectionPage->addWidget(LL_Check_Update);
    connectionPage->addStretch();

    CB_Soft_Set_Jump_Table = makeCheckBox(TS_Soft_Settings, QStringLiteral("CB_Soft_Set_Jump_Table"));
    CB_DoubleClick_Auto_Size = makeCheckBox(TS_Soft_Settings, QStringLiteral("CB_DoubleClick_Auto_Size"));
    auto *settingsPage = new QVBoxLayout(TS_Soft_Settings);
    settingsPage->addWidget(CB_Soft_Set_Jump_Table);
    settingsPage->addWidget(CB_DoubleClick_Auto_Size);
    settingsPage->addStretch();

    const Frame frame = layOutFrame({ PC_Options }, PC_Options);
    L_SW_Code = frame.L_SW_Code;
    L_SW_Desc = frame.L_SW_Desc;
    Btn_OK = frame.Btn_OK;
    Btn_Cancel = frame.Btn_Cancel;
    enterPressesButtons(this);

    QList<QWidget *> chain { PC_Options };
    for (QLabel *name : L_L)
        chain.append(name);
    chain << Btn_Prev << Btn_Next << CB_En_Con << CB_Update << Btn_Check_Update << LL_Check_Update
          << CB_Soft_Set_Jump_Table << CB_DoubleClick_Auto_Size << Btn_OK << Btn_Cancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(Btn_Prev, &QPushButton::clicked, this, &TFSoftOptions::Btn_PageClick);
    connect(Btn_Next, &QPushButton::clicked, this, &TFSoftOptions::Btn_PageClick);
    for (QCheckBox *box : { CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size })
        connect(box, &QCheckBox::toggled, this, &TFSoftOptions::Update_CheckBox);
    connect(Btn_Check_Update, &QPushButton::clicked, this, &TFSoftOptions::Btn_Check_UpdateClick);
    connect(LL_Check_Update, &QLabel::linkActivated, this, &TFSoftOptions::LL_Check_UpdateLinkClick);
    connect(Btn_OK, &QPushButton::clicked, this, &TFSoftOptions::Btn_OKClick);

    setCatalogueTexts({ { this, MsgId::OptionsCaption }, { L_SW_Desc, MsgId::OptionsDesc },
        { L_Sel_Lang, MsgId::OptionsSelectedLanguage }, { Btn_Prev, MsgId::OptionsPrevious },
        { Btn_Next, MsgId::OptionsNext }, { CB_En_Con, MsgId::OptionsEnableInternet },
        { CB_Update, MsgId::OptionsCheckAtStart }, { Btn_Check_Update, MsgId::OptionsCheckNow },
        { Btn_OK, MsgId::OptionsOK }, { Btn_Cancel, MsgId::OptionsCancel },
        { CB_Soft_Set_Jump_Table, MsgId::OptionsJumpField },
        { CB_DoubleClick_Auto_Size, MsgId::OptionsDoubleClickAutoSize } });
    Set_Lang();

    layout()->activate();
    setFixedSize(ClientWidth, layout()->sizeHint().height());
}

void TFSoftOptions::Set_Lang()
{
    CatalogueDialog::Set_Lang();
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), pv.msg(MsgId::OptionsLanguageTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), pv.msg(MsgId::OptionsConnectionTab));
    PC_Options->setTabText(PC_Options->indexOf(TS_Soft_Settings), pv.msg(MsgId::OptionsSoftwareTab));
    L_Page_Lang->setText(
        pv.msg(MsgId::OptionsPage) + QStringLiteral("1") + pv.msg(MsgId::OptionsPageOf) + QStringLiteral("1"));
}

void TFSoftOptions::FormShow()
{
    L_SW_Code->setText(pv.SW_Code);

    Language_In_Use = pv.Language_Name;
    listLanguages();
    Show_Page = 1;
    Update_Lang_Page(Show_Page);
    Update_CheckBox();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    // Each box that changes runs the enabling rule again through its toggled signal.
    CB_En_Con->setChecked(pv.Opt_Enable_Internet);
    CB_Update->setChecked(pv.Opt_Enable_Update);
    CB_Soft_Set_Jump_Table->setChecked(pv.Opt_Jump_Field_Tables);
    CB_DoubleClick_Auto_Size->setChecked(pv.Opt_Double_Click_Auto_Size);
}

void TFSoftOptions::listLanguages()
{
    SL_Languages.clear();
    // The name must end in ".lng" exactly, as the language is later loaded by that name.
    const QDir folder(pv.Dir_Language, QStringLiteral("*.lng"), QDir::NoSort,
        QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::CaseSensitive);
    const QFileInfoList entries = folder.entryInfoList();
    for (const QFileInfo &file : entries) {
        if (file.isFile() && !file.isSymLink() && file.permission(QFileDevice::WriteOwner))
            SL_Languages.append(file.fileName());
    }
    std::sort(SL_Languages.begin(), SL_Languages.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

int TFSoftOptions::pageCount() const
{
    return (int(SL_Languages.size()) + SlotsPerPage - 1) / SlotsPerPage;
}

QString TFSoftOptions::pageText() const
{
    return pv.msg(MsgId::OptionsPage) + QString::number(Show_Page) + pv.msg(MsgId::OptionsPageOf)
        + QString::number(pageCount());
}

void TFSoftOptions::Update_Lang_Page(int page)
{
    L_Sel_Lang->setText(pv.msg(MsgId::OptionsSelectedLanguage) + Language_In_Use);
    L_Page_Lang->setText(pv.msg(MsgId::OptionsPage) + QString::number(page) + pv.msg(MsgId::OptionsPageOf)
        + QString::number(pageCount()));
    Btn_Prev->setVisible(page != 1);
    Btn_Next->setVisible(page != pageCount());

    const int first = SlotsPerPage * (page - 1);
    const int shown = std::clamp(int(SL_Languages.size()) - first, 0, SlotsPerPage);
    // Slot 1 always stays; without any language file it stays empty and selects nothing.
    for (int k = 1; k <= SlotsPerPage; ++k) {
        const bool visible = k == 1 || shown >= k;
        I_L[size_t(k - 1)]->setVisible(visible);
        L_L[size_t(k - 1)]->setVisible(visible);
    }
    if (shown == 0) {
        L_L[0]->clear();
        I_L[0]->clear();
        I_L[0]->hide();
    }
    const QString defaultFlag = QDir(pv.Dir_Language).filePath(QStringLiteral("DefaultFlag.bmp"));
    for (int k = 1; k <= shown; ++k) {
        const QString name = SL_Languages.at(first + k - 1).chopped(LanguageSuffixLength);
        L_L[size_t(k - 1)]->setText(name);
        QLabel *picture = I_L[size_t(k - 1)];
        QString flag = QDir(pv.Dir_Language).filePath(name + QStringLiteral(".bmp"));
        if (!QFileInfo::exists(flag))
            flag = defaultFlag;
        QPixmap pixmap;
        if (QFileInfo::exists(flag) && pixmap.load(flag)) {
            picture->setPixmap(pixmap.width() > FlagSize || pixmap.height() > FlagSize
                    ? pixmap.scaled(FlagSize, FlagSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    : pixmap);
            picture->setAccessibleName(name);
        } else {
            picture->clear();
            picture->hide();
        }
    }
}

void TFSoftOptions::Btn_PageClick()
{
    if (sender() == Btn_Next) {
        if (pageCount() >= Show_Page + 1)
            ++Show_Page;
    } else if (Show_Page > 1) {
        --Show_Page;
    }
    Update_Lang_Page(Show_Page);
}

int TFSoftOptions::slotOf(const QObject *object) const
{
    for (int k = 0; k < SlotsPerPage; ++k) {
        if (object == I_L[size_t(k)] || object == L_L[size_t(k)])
            return k + 1;
    }
    return 0;
}

bool TFSoftOptions::eventFilter(QObject *watched, QEvent *event)
{
    const int slot = slotOf(watched);
    if (slot != 0) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton
                && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint())) {
                LangClick(slot);
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
                LangClick(slot);
                return true;
            }
        }
    }
    return CatalogueDialog::eventFilter(watched, event);
}

void TFSoftOptions::LangClick(int slot)
{
    const int index = SlotsPerPage * (Show_Page - 1) + slot - 1;
    if (index < 0 || index >= SL_Languages.size())
        return; // an empty slot: no language file at all
    const QString chosen = SL_Languages.at(index).chopped(LanguageSuffixLength);
    if (!services.messages->confirm(this,
            pv.msg(MsgId::OptionsChangeLanguage) + Language_In_Use + pv.msg(MsgId::OptionsChangeLanguageTo) + chosen
                + pv.msg(MsgId::OptionsChangeLanguageEnd)))
        return;
    Language_In_Use = chosen;

    // The catalogue takes the chosen language now; the setting changes only on OK.
    const QString kept = pv.Language_Name;
    pv.Language_Name = chosen;
    Load_Lang(pv);
    pv.Language_Name = kept;

    // Every dialog takes the new texts, this one included; alone, it takes them itself.
    if (isSignalConnected(QMetaMethod::fromSignal(&TFSoftOptions::languageChanged)))
        Q_EMIT languageChanged();
    else
        Set_Lang();
    L_Sel_Lang->setText(pv.msg(MsgId::OptionsSelectedLanguage) + Language_In_Use);
    L_Page_Lang->setText(pageText());
}

void TFSoftOptions::Update_CheckBox()
{
    CB_Update->setEnabled(CB_En_Con->isChecked());
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked());
}

void TFSoftOptions::Btn_OKClick()
{
    pv.Language_Name = Language_In_Use;
    pv.Opt_Enable_Internet = CB_En_Con->isChecked();
    // A disabled box keeps its tick, and the tick is what is stored.
    pv.Opt_Enable_Update = CB_Update->isChecked();
    // The main window sets its version-check timer from these two after OK.
    pv.Opt_Jump_Field_Tables = CB_Soft_Set_Jump_Table->isChecked();
    pv.Opt_Double_Click_Auto_Size = CB_DoubleClick_Auto_Size->isChecked();
    accept();
}

void TFSoftOptions::Btn_Check_UpdateClick()
{
    // The answer comes back later through the event queue; a second click meanwhile is ignored.
    m_versionCheck->start([this](bool newer) {
        if (newer) {
            LL_Check_Update->setTextFormat(Qt::RichText);
            LL_Check_Update->setText(
                QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(Vendor::downloadPageUrl().toHtmlEscaped(), pv.msg(MsgId::OptionsNewVersion).toHtmlEscaped()));
            LL_Check_Update->setAccessibleName(pv.msg(MsgId::OptionsNewVersion));
        } else {
            LL_Check_Update->setTextFormat(Qt::PlainText);
            LL_Check_Update->setText(pv.msg(MsgId::OptionsNoUpdate));
            LL_Check_Update->setAccessibleName(pv.msg(MsgId::OptionsNoUpdate));
        }
        LL_Check_Update->show();
    });
}

void TFSoftOptions::LL_Check_UpdateLinkClick(const QString &link)
{
    (void)services.shell->openUrl(link);
}

} // namespace sw
