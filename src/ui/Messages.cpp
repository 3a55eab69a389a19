#include "ui/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace sw {

namespace {

// The texts are catalogue entries and file names: shown as they are, never as markup.
int showBox(QWidget *parent, QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void MessageBoxes::error(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxes::warning(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxes::information(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxes::confirm(QWidget *parent, const QString &text)
{
    return showBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void MessageBoxes::generalError(QWidget *parent, const QString &text)
{
    showBox(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace sw
