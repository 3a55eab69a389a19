#pragma once

#include "ui/QtTranslation.h"

#include <QKeyCombination>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QDialog;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;

namespace sw {

struct ProgramValues;
struct Services;
class CatalogueDialog;
class TFNew_Project;
class TFOpenConf;
class TFAbout;
class VersionCheckRunner;
class FixedLayoutFit;

// The main window: the software code and description, the active configuration and the column
// of numbered steps, each opening one modal dialog. Its creation runs the program's start-up;
// closing it writes the settings file.
class TFTalventoFirmWare final : public QWidget
{
    Q_OBJECT
public:
    // The dialogs the window opens, each created once and kept until the window is destroyed.
    // A dialog that is not part of the program (yet) stays null and its button shows nothing; step 5
    // then ends by reporting the image files it wrote.
    struct Dialogs
    {
        TFNew_Project *newProject = nullptr;
        TFOpenConf *openConf = nullptr;
        TFAbout *about = nullptr;
        CatalogueDialog *softOptions = nullptr;
        CatalogueDialog *boot = nullptr;
        CatalogueDialog *parGen = nullptr;
        CatalogueDialog *tlsKnownCert = nullptr;
        CatalogueDialog *iec61850Variables = nullptr;
    };

    // `programDir` is the workspace folder (the program folder, or the user's own where the
    // installation is shared); a non-empty `languageDir` holds the language files instead of its LANGUAGE.
    TFTalventoFirmWare(ProgramValues &values, Services &services, const QString &programDir,
        const QString &languageDir = {}, QWidget *parent = nullptr);
    ~TFTalventoFirmWare() override;

    enum class Dialog { NewProject, OpenConf, About, SoftOptions, ParGen, TlsKnownCert, Iec61850Variables, Boot };
    // Makes the dialog `which`, a child of this window, after the catalogue has been filled.
    using DialogCreator = std::function<QDialog *(Dialog which)>;

    void setDialogs(const Dialogs &dialogs);
    // Dialogs not set are made by `creator` when first needed, so the window shows without
    // waiting for them; a dialog made later applies its texts as it is created.
    void setDialogCreator(DialogCreator creator);
    // The dialog `which`, made now if it has not been made yet; null when there is none.
    QDialog *dialog(Dialog which);
    // Every dialog, making those not made yet.
    const Dialogs &dialogs();

    void Set_Lang();
    // Qt's own texts (in the language the catalogue was loaded in), the window's own texts, then
    // every dialog's, after the catalogue has been reloaded.
    void Change_Language();
    void Set_Files();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private Q_SLOTS:
    // The click handler of every button of the window.
    void Btn_Click();
    // The periodic version check: stops the timer and starts the check off the user-interface
    // thread; the answer arrives in applyVersionAnswer.
    void Timer_UpdateTimer();
    // Says once, over the window just shown, that the workspace folder cannot be written.
    void warnReadOnlyWorkspace();
    // Ctrl+P: writes the active configuration's report to a file the user chooses, as PDF or HTML
    // by its extension.
    void printReport();

private:
    void FormCreate(const QString &programDir, const QString &languageDir);
    void createControls();
    // Ctrl+N, Ctrl+O and Ctrl+Q press New, Open and Close.
    void createKeys();
    // A button's hint followed by its keys.
    QString hintWithKeys(int hint, QKeyCombination keys) const;
    void showActiveConfiguration();
    void showVendorLink();
    void enableUpdateTimer(bool on);
    // Shows or hides the new-version notice, then runs the timer again with the long interval.
    void applyVersionAnswer(bool newer);
    void runButton(QObject *button);
    bool showDialog(QWidget *dialog);

    // Step 1.
    void Create_New_Project();
    void Open_Project();
    // Step 5: builds the configuration image and shows the update dialog.
    void Update_Device();
    // Checks the configuration as the device would get it (the check of sw61942-image --check:
    // certificates of a TLS server that is on, the variables the image takes); with errors, lists
    // the first few and how many there are and asks whether to update anyway. True to go on.
    bool updateDespiteConfigurationErrors();

    // Writes the settings file; throws sw::Error naming the file when it cannot be written.
    void Save_Setting();
    // Writes the settings at close; a failure is reported once and the window closes anyway.
    void FormClose();

    void LL_UpdateLinkClick(const QString &link);
    void L_QuorvexClick();

    ProgramValues &pv;
    Services &services;
    Dialogs m_dialogs;
    DialogCreator m_createDialog;
    bool m_centred = false;
    // False when no file can be created in Dir_Program: said once at start, and the settings are
    // then not written at close.
    bool m_workspaceWritable = true;
    // The periodic version check: 60,000 ms before the first tick, 7,200,000 ms after.
    QTimer *const Timer_Update;
    VersionCheckRunner *const m_versionCheck;
    QtTranslation m_qtTranslation;
    std::unique_ptr<FixedLayoutFit> m_fit;

    QAction *m_reportAction = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *LL_Update = nullptr;
    QToolButton *Btn_Info = nullptr;
    QToolButton *Btn_Opz = nullptr;
    QToolButton *Btn_Close = nullptr;
    QWidget *Shape2 = nullptr;
    QLabel *L_Name_Conf = nullptr;
    QLabel *L_Name_Conf_L2 = nullptr;
    QLabel *L_Begin = nullptr;
    QLabel *L_Step[5] = {};
    QPushButton *Btn_New = nullptr;
    QPushButton *Btn_Open = nullptr;
    QPushButton *Btn_Prm_Gen = nullptr;
    QPushButton *Btn_IEC61850_Access = nullptr;
    QPushButton *Btn_TLS_List_Certificates = nullptr;
    QPushButton *Btn_CreateBin = nullptr;
    QLabel *L_Quorvex = nullptr;
    QWidget *Shape1 = nullptr;
};

} // namespace sw
