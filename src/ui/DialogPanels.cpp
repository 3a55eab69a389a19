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
    // The panel stands out as the boxes of the theme do (white in a light theme), with the
    // theme's text colour on it and a thin line below.
    auto *panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("P_Title"));
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    panel->setForegroundRole(QPalette::Text);

    code = makeLabel(panel, QStringLiteral("L_SW_Code"));
    QFont codeFont = code->font();
    codeFont.setPixelSize(20);
    codeFont.setBold(true);
    code->setFont(codeFont);
    subdueText(code);

    desc = makeLabel(panel, QStringLiteral("L_SW_Desc"));
    QFont descFont = desc->font();
    descFont.setBold(true);
    desc->setFont(descFont);

    auto *line = new QWidget(panel);
    line->setObjectName(QStringLiteral("P_Title_Line"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Mid);

    auto *texts = new QVBoxLayout;
    texts->setContentsMargins(8, 4, 8, 4);
    texts->setSpacing(0);
    texts->addWidget(code);
    texts->addWidget(desc);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(texts);
    layout->addWidget(line);
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
