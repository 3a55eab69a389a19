#pragma once

#include "ui/CatalogueDialog.h"

#include <QStringList>

class QLabel;
class QListWidget;

namespace sw {

// Step 1, open configuration: lists the folders under PROJECTS and lets the user pick one.
// The main window reads Name_Conf after OK; an empty Name_Conf means no configuration.
class TFOpenConf final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFOpenConf(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    // The first entry of `list` equal to `name` when the letters a-z are compared without regard
    // to case (every other character must match exactly); -1 when there is none.
    static int Search_Open_Conf(const QStringList &list, const QString &name);

    QString Name_Conf; // the configuration chosen

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Fills SL and ListBox1 and preselects the active configuration (or the first entry).
    void FormShow();

    QStringList SL; // configuration folders found, sorted as listed
    QLabel *Label1 = nullptr;
    QListWidget *ListBox1 = nullptr;
};

} // namespace sw
