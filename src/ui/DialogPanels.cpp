#include "ui/DialogPanels.h"

#include "ui/Controls.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

namespace sw {

QWidget *makeTitlePanel(QWidget *parent, QLabel *&code, QLabel *&desc)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("P_Title"));
    panel->setStyleSheet(QStringLiteral("QFrame#P_Title { background-color: white; border-style: solid; border-color: "
                                        "#b0b0b0; border-width: 0px 0px 1px 0px; }"));

    code = makeLabel(panel, QStringLiteral("L_SW_Code"));
    QFont codeFont = code->font();
    codeFont.setPixelSize(20);
    codeFont.setBold(true);
    code->setFont(codeFont);
    QPalette codePal = code->palette();
    codePal.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    code->setPalette(codePal);

    desc = makeLabel(panel, QStringLiteral("L_SW_Desc"));
    QFont descFont = desc->font();
    descFont.setBold(true);
    desc->setFont(descFont);

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(0);
    layout->addWidget(code);
    layout->addWidget(desc);
    return panel;
}

QWidget *makeButtonPanel(
    QWidget *parent, QPushButton *&ok, QPushButton *&cancel, QLabel **status, const QString &okName)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QStringLiteral("P_Button"));
    QLabel *statusLine = nullptr;
    if (status) {
        statusLine = makeLabel(panel, QStringLiteral("L_Status"));
        statusLine->setMinimumHeight(statusLine->fontMetrics().height());
        *status = statusLine;
    }
    ok = new QPushButton(panel);
    ok->setObjectName(okName);
    cancel = new QPushButton(panel);
    cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    enterPressesButton(ok);
    enterPressesButton(cancel);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    if (!statusLine) {
        row->setContentsMargins(8, 4, 8, 8);
        panel->setLayout(row);
        return panel;
    }
    auto *band = new QVBoxLayout(panel);
    band->setContentsMargins(8, 4, 8, 8);
    band->setSpacing(4);
    band->addWidget(statusLine);
    band->addLayout(row);
    return panel;
}

} // namespace sw
