#include "ui/shell/UNew_Project.h"

#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "core/documents/ConfigurationName.h"
#include "core/files/Paths.h"
#include "core/text/MessageIds.h"
#include "ui/Controls.h"
#include "ui/Messages.h"
#include "ui/Services.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace sw {

TFNew_Project::TFNew_Project(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    setFixedSize(331, 162);

    Label1 = makeLabel(this, QStringLiteral("Label1"));
    E_New_Proj = makeLineEdit(this, QStringLiteral("E_New_Proj"));
    Label1->setBuddy(E_New_Proj);
    // No default button: Enter on a focused button presses that button, Enter in the name box
    // runs OK.
    const Frame frame = layOutFrame({ Label1, E_New_Proj });

    connect(frame.Btn_OK, &QPushButton::clicked, this, &TFNew_Project::Btn_OKClick);
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &TFNew_Project::Btn_OKClick);

    setCatalogueTexts({
        { this, MsgId::NewCaption },
        { frame.L_SW_Desc, MsgId::NewDesc },
        { Label1, MsgId::NewPrompt },
        { E_New_Proj, NoText, MsgId::NewHintName },
        { frame.Btn_OK, MsgId::NewOK, MsgId::NewHintOK },
        { frame.Btn_Cancel, MsgId::NewCancel, MsgId::NewHintCancel },
    });
    Set_Lang();
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
        services.messages->error(this, pv.msg(MsgId::NewNameEmpty));
        return;
    }
    // A name with a path separator of this system, "." or ".." would reach a folder outside
    // PROJECTS or a nested one.
    if (!isPlainFolderName(name)) {
        services.messages->error(this, pv.msg(MsgId::NewNameNotValid));
        return;
    }
    const QString folder = joinPath(pv.Dir_Projects, name);
    if (QDir(folder).exists()) {
        services.messages->error(this, pv.msg(MsgId::NewNameExists));
        return;
    }
    if (!QDir().mkdir(folder)) {
        // A name the system refuses is not valid; a folder that takes nothing is said as such.
        services.messages->error(this,
            canWriteIn(pv.Dir_Projects) ? pv.msg(MsgId::NewNameNotValid)
                                        : pv.msg(MsgId::NewFolderReadOnly).arg(pv.Dir_Projects));
        return;
    }
    // The image files need "bin" later; a failure here shows there, not now.
    (void)QDir().mkpath(joinPath(folder, QStringLiteral("bin")));
    activateConfiguration(pv, name);
    accept();
}

} // namespace sw
