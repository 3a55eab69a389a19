#include "ui/shell/UOpenConf.h"

#include "core/ProgramValues.h"
#include "core/text/MessageIds.h"
#include "ui/Controls.h"

#include <QCollator>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

namespace sw {

namespace {

char16_t foldAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

} // namespace

TFOpenConf::TFOpenConf(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    resize(377, 351);

    Label1 = makeLabel(this, QStringLiteral("Label1"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(ListBox1);
    // The list follows the dialog's size. The dialog has no Enter shortcut: Enter presses a button
    // only while that button has the focus.
    const Frame frame = layOutFrame({ Label1, ListBox1 }, ListBox1);

    // A click on an entry (or moving to it with the keyboard) chooses it.
    connect(ListBox1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            Name_Conf = item->text();
    });
    // A double click on an entry opens it.
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Name_Conf = item->text();
        accept();
    });
    connect(frame.Btn_OK, &QPushButton::clicked, this, &QDialog::accept);

    setCatalogueTexts({
        { this, MsgId::OpenCaption },
        { frame.L_SW_Desc, MsgId::OpenDesc },
        { Label1, MsgId::OpenListTitle },
        { ListBox1, NoText, MsgId::OpenHintList },
        { frame.Btn_OK, MsgId::OpenOK, MsgId::OpenHintOK },
        { frame.Btn_Cancel, MsgId::OpenCancel, MsgId::OpenHintCancel },
    });
    Set_Lang();
}

int TFOpenConf::Search_Open_Conf(const QStringList &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i) {
        const QString &entry = list.at(i);
        if (entry.size() != name.size())
            continue;
        bool same = true;
        for (qsizetype k = 0; k < entry.size() && same; ++k)
            same = foldAsciiLetter(entry.at(k).unicode()) == foldAsciiLetter(name.at(k).unicode());
        if (same)
            return i;
    }
    return -1;
}

void TFOpenConf::FormShow()
{
    // Folders only, without "." and "..", hidden and system ones. A missing or unreadable PROJECTS
    // gives an empty list.
    SL.clear();
    const QFileInfoList entries
        = QDir(pv.Dir_Projects).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo &entry : entries)
        SL.append(entry.fileName());
    // Sorted as a person reads them: without regard to case, and numbers by value ("9kV" before
    // "10kV"). Names equal but for case keep a fixed order. The C locale collates by code point
    // only, so it gives way to English.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(SL.begin(), SL.end(), [&collator](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });

    ListBox1->clear();
    ListBox1->addItems(SL);

    QString current;
    const QString prefix = pv.Dir_Projects + QDir::separator();
    if (!pv.Conf_Dir.isEmpty() && pv.Conf_Dir.startsWith(prefix))
        current = pv.Conf_Dir.mid(prefix.size());

    int row = Search_Open_Conf(SL, current);
    if (row < 0 && !SL.isEmpty())
        row = 0;
    if (row >= 0) {
        ListBox1->setCurrentRow(row);
        Name_Conf = SL.at(row);
    } else {
        Name_Conf.clear();
    }
}

void TFOpenConf::showEvent(QShowEvent *event)
{
    CatalogueDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
        ListBox1->setFocus();
    }
}

} // namespace sw
