#include "ui/FileChooser.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace sw {

QString FileDialogs::openFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter)
{
    // Qt's own chooser, whose texts follow the language on screen: a desktop's native one would
    // speak the system's language whatever the program shows.
    return QFileDialog::getOpenFileName(parent, caption, start, filter, nullptr, QFileDialog::DontUseNativeDialog);
}

QString FileDialogs::saveFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter)
{
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog); // as above
    // A name typed without an extension gets the filter's, so the file is found again by it.
    static const QRegularExpression firstPattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    if (const QRegularExpressionMatch match = firstPattern.match(filter); match.hasMatch())
        dialog.setDefaultSuffix(match.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace sw
