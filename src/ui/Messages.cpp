#include "ui/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace sw {

namespace {

QString boxTitle()
{
    return QApplication::applicationDisplayName();
}

} // namespace

void MessageBoxes::error(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, boxTitle(), text);
}

void MessageBoxes::warning(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, boxTitle(), text);
}

void MessageBoxes::information(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, boxTitle(), text);
}

bool MessageBoxes::confirm(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void MessageBoxes::generalError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, boxTitle(), text);
}

} // namespace sw
