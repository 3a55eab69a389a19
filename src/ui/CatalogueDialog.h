#pragma once

#include <QDialog>
#include <QList>
#include <QMargins>

class QLabel;
class QPushButton;

namespace sw {

struct ProgramValues;
struct Services;

// How layOutFrame lays out a dialog's body and button band.
struct FrameOptions
{
    QMargins bodyMargins { 8, 8, 8, 0 };
    int bodySpacing = 4;
    // The object name of the confirming button at the left of Cancel.
    const char *confirmName = "Btn_OK";
    // A status line above the buttons, Frame::L_Status.
    bool statusLine = false;
    // Btn_Cancel closes the dialog with Cancel; a dialog that asks first connects it itself.
    bool cancelCloses = true;
};

// A dialog created once at start-up that takes its texts from the message catalogue.
// Set_Lang copies the dialog's catalogue entries into its captions, hints and headers; it runs
// at creation and at every language change. Each showing runs FormShow before the dialog
// appears, then centres it on the screen when the dialog asked for that.
class CatalogueDialog : public QDialog
{
    Q_OBJECT
public:
    CatalogueDialog(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    // Applies the table given to setCatalogueTexts, row by row. A dialog with texts of other kinds
    // (table headers, composed captions) overrides it.
    virtual void Set_Lang();

protected:
    static constexpr int NoText = -1;

    // Fills the controls for one showing (defaults, then the document or values they show).
    virtual void FormShow() { }
    // The dialog appears centred on its screen at each showing.
    void centreOnScreenAtShow() { m_centre = true; }
    void showEvent(QShowEvent *event) override;
    // Makes a dialog of fixed size at least as large as its layout's minimum; runs after FormShow.
    void fitFixedSize();

    // One row of Set_Lang's table: the entry for a control's caption (the window title when the
    // control is the dialog itself, else the text of a label or button) and the entry for its hint.
    // A label's caption also names its buddy for screen readers.
    struct CatalogueText
    {
        QWidget *control = nullptr;
        int caption = NoText;
        int hint = NoText;
    };
    void setCatalogueTexts(const QList<CatalogueText> &texts);

    // The controls that layOutFrame creates.
    struct Frame
    {
        QLabel *L_SW_Code = nullptr;
        QLabel *L_SW_Desc = nullptr;
        QPushButton *Btn_OK = nullptr; // named by FrameOptions::confirmName
        QPushButton *Btn_Cancel = nullptr;
        QLabel *L_Status = nullptr; // with FrameOptions::statusLine
    };
    // Lays the dialog out as the configuration dialogs are laid out: the title panel P_Title
    // (L_SW_Code showing SW_Code, over the description L_SW_Desc), the `body` controls one under
    // another, and the button band P_Button with Btn_OK and Btn_Cancel. `grow` is the body control
    // that takes the height the dialog has to spare; without one the spare height stays below the
    // body. What Btn_OK does is the dialog's choice.
    Frame layOutFrame(const QList<QWidget *> &body, QWidget *grow = nullptr, const FrameOptions &options = {});

    ProgramValues &pv;
    Services &services;

private:
    QList<CatalogueText> m_texts;
    bool m_centre = false;
};

} // namespace sw
