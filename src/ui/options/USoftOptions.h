#pragma once

#include "ui/CatalogueDialog.h"

#include <QStringList>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace sw {

class VersionCheckRunner;

// The software options: the interface language, chosen from the language files six to a page and
// applied to every dialog at once; whether the program may use the internet and look for a newer
// version; and two behaviours of the editing tables. OK stores the choices in the program-wide
// values; Cancel stores nothing, though a language already applied stays on screen. Created once
// at start-up, as a child of the main window, whose Change_Language it calls.
class TFSoftOptions final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFSoftOptions(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

    // The language files found at the last showing (file names, sorted without regard to case).
    const QStringList &languages() const { return SL_Languages; }
    int page() const { return Show_Page; }

Q_SIGNALS:
    // The user confirmed another language: the catalogue holds its texts now, and every dialog
    // should apply them (the main window's Change_Language).
    void languageChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow() override;
    // The language files of Dir_Language into SL_Languages: regular files named *.lng that the
    // owner may write, so folders, links and read-only files never count.
    void listLanguages();
    void Update_Lang_Page(int page);
    void Btn_PageClick();
    // Slot `slot` (1 to 6) of the current page: asks, then loads the language and applies it.
    void LangClick(int slot);
    void Update_CheckBox();
    void Btn_OKClick();
    void Btn_Check_UpdateClick();
    void LL_Check_UpdateLinkClick(const QString &link);

    int pageCount() const;
    QString pageText() const;
    // The slot (1 to 6) that a picture or label belongs to; 0 for any other object.
    int slotOf(const QObject *object) const;

    QTabWidget *PC_Options = nullptr;
    QWidget *TS_Language = nullptr;
    QWidget *TS_Con_Options = nullptr;
    QWidget *TS_Soft_Settings = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Sel_Lang = nullptr;
    std::array<QLabel *, 6> I_L {}; // I_L1 .. I_L6
    std::array<QLabel *, 6> L_L {}; // L_L1 .. L_L6
    QLabel *L_Page_Lang = nullptr;
    QPushButton *Btn_Prev = nullptr;
    QPushButton *Btn_Next = nullptr;
    QCheckBox *CB_En_Con = nullptr;
    QCheckBox *CB_Update = nullptr;
    QPushButton *Btn_Check_Update = nullptr;
    QLabel *LL_Check_Update = nullptr;
    QCheckBox *CB_Soft_Set_Jump_Table = nullptr;
    QCheckBox *CB_DoubleClick_Auto_Size = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;

    QStringList SL_Languages;
    int Show_Page = 1;
    QString Language_In_Use;
    VersionCheckRunner *m_versionCheck = nullptr;
};

} // namespace sw
