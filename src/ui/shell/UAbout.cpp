#include "ui/shell/UAbout.h"

#include "core/ProgramValues.h"
#include "platform/Shell.h"
#include "ui/Controls.h"
#include "ui/Services.h"
#include "ui/Vendor.h"
#include "ui/shell/Icons.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QLabel>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QShowEvent>

namespace sw {

namespace {

constexpr int Width = 425;
constexpr int Height = 148;

QLabel *placeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    QLabel *label = makeLabel(parent, QLatin1String(name), text);
    label->setGeometry(geometry);
    return label;
}

// The logo, a picture that works as a link: drawn stretched over the whole control with no frame
// and no hover or press effect, and a focus frame only while the keyboard has brought the focus
// there. Space and Enter press it like any button.
class LogoButton final : public QAbstractButton
{
public:
    explicit LogoButton(QWidget *parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        enterPressesButton(this);
    }

    QSize sizeHint() const override { return { 81, 81 }; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal ratio = devicePixelRatioF();
        const int side = qRound(qMax(width(), height()) * ratio);
        if (m_logo.width() != side) {
            m_logo = icons::logo(side);
            m_logo.setDevicePixelRatio(ratio);
        }
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), m_logo);
        if (hasFocus() && m_keyboardFocus) {
            // A frame in the highlight colour, plain enough to stand out against the picture.
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }

    void focusInEvent(QFocusEvent *event) override
    {
        m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason
            || event->reason() == Qt::ShortcutFocusReason;
        QAbstractButton::focusInEvent(event);
    }

private:
    QPixmap m_logo;
    bool m_keyboardFocus = false;
};

} // namespace

TFAbout::TFAbout(ProgramValues &values, Services &svc, QWidget *parent)
    : QDialog(parent)
    , pv(values)
    , services(svc)
{
    setObjectName(QStringLiteral("TFAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("About..."));
    setFixedSize(Width, Height);

    Image2 = new LogoButton(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(8, 8, 81, 81);
    Image2->setAccessibleName(QString::fromLatin1(Vendor::WebAddressText));
    setPlainToolTip(Image2, QString::fromLatin1(Vendor::WebAddressText));

    const int left = 104;
    const int valueLeft = 228;
    Label1 = placeLabel(this, "Label1", QStringLiteral("Software Talvento "), QRect(left, 8, 310, 18));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = placeLabel(this, "Label2", QString(), QRect(left, 28, 314, 18));
    Label6 = placeLabel(this, "Label6", QStringLiteral("Software Code : "), QRect(left, 54, 120, 18));
    Label9 = placeLabel(this, "Label9", QString(), QRect(valueLeft, 54, 190, 18));
    Label3 = placeLabel(this, "Label3", QStringLiteral("Version :"), QRect(left, 72, 120, 18));
    Label10 = placeLabel(this, "Label10", QString(), QRect(valueLeft, 72, 190, 18));
    Label8 = placeLabel(this, "Label8", QStringLiteral("Document Code :"), QRect(left, 90, 120, 18));
    Label12 = placeLabel(this, "Label12", QString(), QRect(valueLeft, 90, 190, 18));

    // Shown as a link so that it takes the keyboard focus and opens with Enter as well.
    Label4 = placeLabel(this, "Label4", QString(), QRect(220, 120, 197, 20));
    showVendorLink();
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4->setTextFormat(Qt::RichText);
    Label4->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setAccessibleName(QString::fromLatin1(Vendor::WebAddressText));

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton1->setObjectName(QStringLiteral("LbButton1"));
    LbButton1->setGeometry(8, 112, 81, 28);
    enterPressesButton(LbButton1);
    LbButton1->setDefault(true);

    connect(Image2, &QAbstractButton::clicked, this, &TFAbout::openHomePage);
    connect(Label4, &QLabel::linkActivated, this, &TFAbout::openHomePage);
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(LbButton1, Label4);
    setTabOrder(Label4, Image2);
    m_fit = std::make_unique<FixedLayoutFit>(
        this, QList<QWidget *> { Label1, Label2, Label6, Label9, Label3, Label10, Label8, Label12, Label4 });
}

TFAbout::~TFAbout() = default;

void TFAbout::showVendorLink()
{
    // A link takes its colour when its text is set: the text is set again at each change of palette.
    Label4->setText(QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:underline\">%3</a>")
                        .arg(Vendor::homePageUrl().toHtmlEscaped(), palette().color(QPalette::Link).name(),
                            QString::fromLatin1(Vendor::WebAddressText)));
}

void TFAbout::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (Label4 && event->type() == QEvent::PaletteChange)
        showVendorLink();
    if (m_fit && event->type() == QEvent::FontChange)
        m_fit->fit();
}

void TFAbout::FormShow()
{
    Label2->setText(pv.SW_Desc);
    Label9->setText(QString::fromLatin1(SWCodeText));
    Label10->setText(QString::fromLatin1(Program_Version));
    Label12->setText(QString::fromLatin1(DocumentCode));
    m_fit->fit();
}

void TFAbout::openHomePage()
{
    (void)services.shell->openUrl(Vendor::homePageUrl());
}

void TFAbout::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
    if (!event->spontaneous())
        LbButton1->setFocus();
}

} // namespace sw
