#pragma once

#include <QString>

class QWidget;

namespace sw {

// Every file chooser of the configurator goes through this interface, so tests can answer it.
// `start` is the folder to open in, or a file path proposed to the user; `filter` is in the form
// "Description (*.ext)". Each call answers the chosen path, or an empty string when the user
// cancelled.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // An existing file to read.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter)
        = 0;
    // A file to write; choosing an existing file has already been confirmed by the user.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter)
        = 0;
};

// QFileDialog implementation: Qt's own chooser, never the desktop's native one.
class FileDialogs final : public FileChooser
{
public:
    QString openFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &start, const QString &filter) override;
};

} // namespace sw
