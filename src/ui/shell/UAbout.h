#pragma once

#include <QDialog>
#include <memory>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace sw {
class FixedLayoutFit;
}

namespace sw {

struct ProgramValues;
struct Services;

// What program this is: name, description, software code, version and manual code, with the
// vendor's logo and web address. Its texts are fixed and not translated.
class TFAbout final : public QDialog
{
    Q_OBJECT
public:
    TFAbout(ProgramValues &values, Services &services, QWidget *parent = nullptr);
    ~TFAbout() override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Sets the values and the size; runs at each showing.
    void FormShow();
    // The logo and the web address open the vendor's home page; the dialog stays open.
    void openHomePage();
    void showVendorLink();

    ProgramValues &pv;
    Services &services;

    QAbstractButton *Image2 = nullptr; // the logo
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *LbButton1 = nullptr;
    // Widens the labels and the dialog when a larger font needs it.
    std::unique_ptr<FixedLayoutFit> m_fit;
};

} // namespace sw
