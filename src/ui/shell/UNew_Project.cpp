#include "ui/shell/UNew_Project.h"

#include "core/ConfigurationName.h"
#include "core/MessageIds.h"
#include "core/ProgramValues.h"
#include "ui/Controls.h"
#include "ui/DialogPanels.h"
#include "ui/Messages.h"
#include "ui/Services.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace sw {

TFNew_Project::TFNew_Project(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    setFixedSize(331, 162);

    QWidget *title = makeTitlePanel(this, L_SW_Code, L_SW_Desc);

    Label1 = makeLabel(this, QStringLiteral("Label1"));
    E_New_Proj = makeLineEdit(this, QStringLiteral("E_New_Proj"));
    Label1->setBuddy(E_New_Proj);

    // No default button: Enter on a focused button presses that button, Enter in the name box
    // runs OK.
    QWidget *buttons = makeButtonPanel(this, Btn_OK, Btn_Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 0);
    body->setSpacing(4);
    body->addWidget(Label1);
    body->addWidget(E_New_Proj);
    layout->addLayout(body);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(Btn_OK, &QPushButton::clicked, this, &TFNew_Project::Btn_OKClick);
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &TFNew_Project::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    L_SW_Code->setText(pv.SW_Code);
    Set_Lang();
}

void TFNew_Project::Set_Lang()
{
    setWindowTitle(pv.msg(MsgId::New_Caption));
    L_SW_Desc->setText(pv.msg(MsgId::New_Desc));
    Label1->setText(pv.msg(MsgId::New_Prompt));
    Btn_OK->setText(pv.msg(MsgId::New_OK));
    Btn_Cancel->setText(pv.msg(MsgId::New_Cancel));
    E_New_Proj->setToolTip(pv.msg(MsgId::New_HintName));
    E_New_Proj->setAccessibleName(pv.msg(MsgId::New_Prompt));
    Btn_OK->setToolTip(pv.msg(MsgId::New_HintOK));
    Btn_Cancel->setToolTip(pv.msg(MsgId::New_HintCancel));
}

void TFNew_Project::showEvent(QShowEvent *event)
{
    CatalogueDialog::showEvent(event);
    if (event->spontaneous())
        return;
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void TFNew_Project::Btn_OKClick()
{
    // The name exactly as typed: no trimming.
    const QString name = E_New_Proj->text();
    if (name.isEmpty()) {
        services.messages->error(this, pv.msg(MsgId::New_NameEmpty));
        return;
    }
    // A name with a path separator of this system, "." or ".." would reach a folder outside
    // PROJECTS or a nested one.
    if (!isPlainFolderName(name)) {
        services.messages->error(this, pv.msg(MsgId::New_NameNotValid));
        return;
    }
    const QString folder = joinPath(pv.Dir_Projects, name);
    if (QDir(folder).exists()) {
        services.messages->error(this, pv.msg(MsgId::New_NameExists));
        return;
    }
    if (!QDir().mkdir(folder)) {
        services.messages->error(this, pv.msg(MsgId::New_NameNotValid));
        return;
    }
    // The image files need "bin" later; a failure here shows there, not now.
    (void)QDir().mkpath(joinPath(folder, QStringLiteral("bin")));
    Activate_Configuration(pv, name);
    accept();
}

} // namespace sw
