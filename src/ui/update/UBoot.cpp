#include "ui/update/UBoot.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/text/Excerpt.h"
#include "core/text/MessageIds.h"
#include "core/update/IpAddress.h"
#include "core/update/UpdateParameters.h"
#include "platform/IcmpEcho.h"
#include "platform/Launcher.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/InputGate.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/widgets/AddressEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

#include <algorithm>

namespace sw {

namespace {

using namespace std::chrono_literals;

constexpr int ClientWidth = 449;
constexpr int ByteWidth = 44;
constexpr int ListWidth = 200;

// The reachability check: each request waits up to 400 ms for its reply; the check ends after the
// second answered request or with the first request that ends more than 5000 ms after the start.
constexpr std::chrono::milliseconds EchoTimeout = 400ms;
constexpr std::chrono::milliseconds CheckTime = 5000ms;
constexpr int AnswersNeeded = 2;
// The command that lets every group of the system send echo requests without privileges.
constexpr char PingGroupCommand[] = "sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"";
// The longest wait for the updater; it keeps running on its own after that.
constexpr std::chrono::milliseconds UpdaterLimit = 150s;

int wholeSeconds(std::chrono::milliseconds time)
{
    return int(std::chrono::duration_cast<std::chrono::seconds>(time).count());
}

QWidget *makePanel(QWidget *parent, const QString &name)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    return panel;
}

} // namespace

TFBoot::TFBoot(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
{
    centreOnScreenAtShow();
    FormCreate();
}

void TFBoot::FormCreate()
{
    setObjectName(QStringLiteral("TFBoot"));
    m_inputGate = new InputGate(this);

    P_IP_Address = makePanel(this, QStringLiteral("P_IP_Address"));
    L_IP_Address = makeLabel(P_IP_Address, QStringLiteral("L_IP_Address"));
    auto *boxes = new AddressEdit(P_IP_Address, QStringLiteral("E_IP"), QStringLiteral("L_IP_Dot"), ByteWidth);
    E_IP = boxes->boxes();
    for (QLineEdit *box : E_IP)
        box->setText(QStringLiteral("0"));
    L_IP_Address->setBuddy(E_IP[0]);
    auto *address = new QVBoxLayout(P_IP_Address);
    address->setContentsMargins(8, 8, 8, 4);
    address->setSpacing(4);
    address->addWidget(L_IP_Address);
    address->addWidget(boxes);

    P_Options = makePanel(this, QStringLiteral("P_Options"));
    L_Update_Option = makeLabel(P_Options, QStringLiteral("L_Update_Option"));
    CB_Update_Options = new QComboBox(P_Options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    // As wide as given, wider when a larger font or a longer translation needs it.
    CB_Update_Options->setMinimumWidth(ListWidth);
    CB_Update_Options->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    L_Update_Option->setBuddy(CB_Update_Options);
    CB_Update_Option_Read_Back = new QCheckBox(P_Options);
    CB_Update_Option_Read_Back->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
    CB_Update_Option_Read_Back->setChecked(true);
    auto *options = new QVBoxLayout(P_Options);
    options->setContentsMargins(8, 4, 8, 4);
    options->setSpacing(4);
    options->addWidget(L_Update_Option);
    options->addWidget(CB_Update_Options, 0, Qt::AlignLeft);
    options->addWidget(CB_Update_Option_Read_Back);

    // The panels stacked top to bottom, with nothing between them: the client height is the sum of
    // their heights. A status line above the buttons says what the dialog waits for.
    FrameOptions frameOptions;
    frameOptions.bodyMargins = {};
    frameOptions.bodySpacing = 0;
    frameOptions.confirmName = "Btn_Update";
    frameOptions.statusLine = true;
    const Frame frame = layOutFrame({ P_IP_Address, P_Options }, nullptr, frameOptions);
    L_SW_Code = frame.L_SW_Code;
    L_SW_Desc = frame.L_SW_Desc;
    Btn_Update = frame.Btn_OK;
    Btn_Cancel = frame.Btn_Cancel;
    L_Status = frame.L_Status;

    const QList<QWidget *> chain { E_IP[0], E_IP[1], E_IP[2], E_IP[3], CB_Update_Options, CB_Update_Option_Read_Back,
        Btn_Update, Btn_Cancel };
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(Btn_Update, &QPushButton::clicked, this, &TFBoot::Btn_UpdateClick);

    QList<CatalogueText> texts { { this, MsgId::BootCaption }, { L_SW_Desc, MsgId::BootDesc },
        { L_IP_Address, MsgId::BootIPAddress }, { L_Update_Option, MsgId::BootUpdateOption },
        { CB_Update_Options, NoText, MsgId::BootHintUpdateOptions },
        { CB_Update_Option_Read_Back, MsgId::BootReadBack, MsgId::BootHintReadBack },
        { Btn_Cancel, MsgId::BootCancel, MsgId::BootHintCancel },
        { Btn_Update, MsgId::BootUpdate, MsgId::BootHintUpdate } };
    for (int k = 0; k < 4; ++k)
        texts.append({ E_IP[size_t(k)], NoText, MsgId::BootHintIP1 + k });
    setCatalogueTexts(texts);
}

void TFBoot::Set_Lang()
{
    CatalogueDialog::Set_Lang();
    // Each byte box is named for screen readers by its hint.
    for (int k = 0; k < 4; ++k)
        E_IP[size_t(k)]->setAccessibleName(pv.msg(MsgId::BootHintIP1 + k));
    CB_Update_Options->clear();
    for (int k = 0; k < 3; ++k)
        CB_Update_Options->addItem(pv.msg(MsgId::BootFirmwareAndConfiguration + k));
    CB_Update_Options->setCurrentIndex(0);
}

void TFBoot::FormShow()
{
    Set_Lang();
    L_SW_Code->setText(pv.SW_Code);
    L_Status->clear(); // what an earlier showing's update said

    layout()->activate();
    setFixedSize(ClientWidth, layout()->sizeHint().height());

    if (!pv.Last_IP_Address.isEmpty()) {
        if (const std::optional<IpAddressParts> parts = Split_IP_Address(pv.Last_IP_Address)) {
            for (size_t k = 0; k < 4; ++k)
                E_IP[k]->setText((*parts)[k]);
        }
    }
    CB_Update_Options->setCurrentIndex(pv.Update_Choice);
    CB_Update_Option_Read_Back->setChecked(pv.Update_Read_Back);

    if (E_IP[0]->isEnabled())
        E_IP[0]->setFocus(Qt::OtherFocusReason);
}

void TFBoot::reject()
{
    if (!m_busy)
        CatalogueDialog::reject();
}

void TFBoot::showStatus(int lead, const QString &progress)
{
    L_Status->setText(pv.msg(lead) + u' ' + progress);
}

void TFBoot::setBusy(bool busy)
{
    if (busy && !m_busy) {
        m_inputGate->shut();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!busy && m_busy) {
        // What the user gave during the wait is dropped before the buttons take clicks again.
        m_inputGate->open();
        QApplication::restoreOverrideCursor();
    }
    // Coming out of a wait clears what the status line said about it.
    if (!busy && m_busy)
        L_Status->clear();
    m_busy = busy;
    Btn_Update->setEnabled(!busy);
    Btn_Cancel->setEnabled(!busy);
}

QString TFBoot::addressText() const
{
    return joinIpAddress({ E_IP[0]->text(), E_IP[1]->text(), E_IP[2]->text(), E_IP[3]->text() });
}

void TFBoot::Btn_UpdateClick()
{
    if (m_busy)
        return; // input is dropped while busy; this guards against any other way in
    // Disabling the buttons takes the focus from the one pressed; it returns when they come back.
    const QPointer<QWidget> focused = focusWidget();
    const auto idle = qScopeGuard([this, focused] {
        setBusy(false);
        if (focused && isVisible())
            focused->setFocus(Qt::OtherFocusReason);
    });

    setBusy(true);
    QString failure;
    bool answered = false;
    try {
        answered = Send_Ping();
    } catch (const EchoError &e) {
        failure = echoFailureText(e); // the check ends; ping_res tells what was seen before
    } catch (const std::exception &e) {
        failure = errorText(e);
    }
    if (!answered) {
        setBusy(false);
        if (ping_res == 2) {
            services.messages->warning(this, pv.msg(MsgId::BootDeviceNotFound));
        } else {
            // The reason (an address the system rejects, echo requests not permitted) follows.
            QString text = pv.msg(MsgId::BootCheckAddress);
            if (!failure.isEmpty())
                text += u'\n' + failure;
            services.messages->error(this, text);
        }
        return;
    }

    // Remembered only after the device answered; the settings file takes them at exit.
    pv.Last_IP_Address = addressText();
    pv.Update_Choice = CB_Update_Options->currentIndex();
    pv.Update_Read_Back = CB_Update_Option_Read_Back->isChecked();
    try {
        Compile_XML_Parameter_New_Boot();
    } catch (const std::exception &e) {
        setBusy(false);
        services.messages->generalError(this, errorText(e));
        return;
    }

    // The updater does the writing and reports on its own; a start that failed is reported here,
    // and the status line says how the updater ended. While it runs the status line counts the
    // seconds and the windows repaint, but they take no input.
    const std::chrono::milliseconds started = services.clock->steady();
    const auto showElapsed = [this, started] {
        showStatus(MsgId::BootUpdaterRunning,
            pv.msg(MsgId::BootUpdaterProgress)
                .arg(wholeSeconds(services.clock->steady() - started))
                .arg(wholeSeconds(UpdaterLimit)));
    };
    showElapsed();
    const QString program = updaterProgramPath(pv.Dir_Program);
    const StartResult start = services.launcher->Start_Program(program, UpdaterLimit, [&showElapsed] {
        showElapsed();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    setBusy(false);
    if (!start.started()) {
        services.messages->error(
            this, pv.msg(MsgId::BootUpdaterNotStarted).arg(QDir::toNativeSeparators(program), startFailureText(start)));
        return;
    }
    // The status line keeps how the updater ended until the next update or showing.
    L_Status->setText(endText(start));
}

QString TFBoot::endText(const StartResult &start) const
{
    switch (start.end) {
    case ProgramEnd::Exited:
        return start.code == 0 ? pv.msg(MsgId::BootUpdaterEndedNormally)
                               : pv.msg(MsgId::BootUpdaterEndedWithStatus).arg(start.code);
    case ProgramEnd::Signalled:
        return pv.msg(MsgId::BootUpdaterEndedBySignal).arg(start.code);
    case ProgramEnd::StillRunning:
        return pv.msg(MsgId::BootUpdaterStillRunning).arg(wholeSeconds(UpdaterLimit));
    case ProgramEnd::Unknown:
        break;
    }
    return pv.msg(MsgId::BootUpdaterEndUnknown);
}

QString TFBoot::startFailureText(const StartResult &start) const
{
    switch (start.failure) {
    case StartFailure::None:
    case StartFailure::Missing:
        break;
    case StartFailure::NotExecutable:
        return pv.msg(MsgId::BootUpdaterNotExecutable);
    case StartFailure::NotAProgram:
        return pv.msg(MsgId::BootUpdaterNotAProgram);
    case StartFailure::Refused:
        return pv.msg(MsgId::BootUpdaterRefused).arg(excerpt(start.detail));
    }
    return pv.msg(MsgId::BootUpdaterMissing);
}

bool TFBoot::Send_Ping()
{
    ping_res = 0;
    const std::chrono::milliseconds start = services.clock->steady();
    // The request carries the address text itself as its data.
    const QString host = addressText();
    const QByteArray payload = host.toUtf8();
    // The status line counts the requests and the seconds. The echo waits for its reply itself;
    // the window keeps processing events meanwhile.
    int request = 0;
    const auto showProgress = [this, &request, start] {
        showStatus(MsgId::BootChecking,
            pv.msg(MsgId::BootCheckingProgress).arg(request).arg(wholeSeconds(services.clock->steady() - start)));
    };
    const auto whileWaiting = [&showProgress] {
        showProgress();
        QCoreApplication::processEvents();
    };
    int answers = 0;
    do {
        ++request;
        showProgress();
        PingReply(services.echo->echo(host, payload, EchoTimeout, whileWaiting));
        if (ping_res == 1)
            ++answers;
    } while (answers < AnswersNeeded && services.clock->steady() - start <= CheckTime);
    return ping_res == 1;
}

QString TFBoot::echoFailureText(const EchoError &e) const
{
    switch (e.reason()) {
    case EchoFailure::NotAnAddress:
        return pv.msg(MsgId::BootEchoNotAnAddress).arg(excerpt(e.detail()));
    case EchoFailure::NotPermitted:
        // The command on a line of its own, so that it reads whole and copies as it is.
        return pv.msg(MsgId::BootEchoNotPermitted) + QStringLiteral("\n\n") + QLatin1String(PingGroupCommand)
            + QStringLiteral("\n\n") + pv.msg(MsgId::BootEchoKeepPermission);
    case EchoFailure::NoRoute:
        return pv.msg(MsgId::BootEchoNoRoute);
    case EchoFailure::SocketRefused:
        return pv.msg(MsgId::BootEchoSocketRefused).arg(excerpt(e.detail()));
    case EchoFailure::SendRefused:
        return pv.msg(MsgId::BootEchoSendRefused).arg(excerpt(e.detail()));
    }
    return errorText(e);
}

void TFBoot::PingReply(bool carriedData)
{
    ping_res = carriedData ? 1 : 2;
}

void TFBoot::Compile_XML_Parameter_New_Boot()
{
    (void)writeUpdateParametersFile(pv.Dir_Program,
        updateParameters(addressText(), CB_Update_Options->currentIndex(), CB_Update_Option_Read_Back->isChecked(),
            pv.Dir_Master, pv.Conf_Dir));
}

} // namespace sw
