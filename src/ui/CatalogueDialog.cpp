#include "ui/CatalogueDialog.h"

#include "core/ProgramValues.h"
#include "ui/Controls.h"
#include "ui/DialogPanels.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <utility>

namespace sw {

CatalogueDialog::CatalogueDialog(ProgramValues &values, Services &svc, QWidget *parent)
    : QDialog(parent)
    , pv(values)
    , services(svc)
{
    // Only the close box in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void CatalogueDialog::showEvent(QShowEvent *event)
{
    // A spontaneous show is the window system mapping the dialog again, not a new showing.
    if (!event->spontaneous()) {
        FormShow();
        fitFixedSize();
        if (m_centre)
            centreOnScreen(this);
    }
    QDialog::showEvent(event);
}

void CatalogueDialog::fitFixedSize()
{
    // A dialog of fixed size keeps it while its controls fit; a larger font or a longer
    // translation makes it grow to what its layout needs rather than cut texts.
    if (!layout() || minimumSize() != maximumSize())
        return;
    layout()->invalidate();
    layout()->activate();
    const QSize needed = size().expandedTo(layout()->totalMinimumSize());
    if (needed != size())
        setFixedSize(needed);
}

void CatalogueDialog::setCatalogueTexts(const QList<CatalogueText> &texts)
{
    m_texts = texts;
}

void CatalogueDialog::Set_Lang()
{
    for (const CatalogueText &row : std::as_const(m_texts)) {
        if (row.caption != NoText) {
            const QString caption = pv.msg(row.caption);
            if (row.control == this) {
                setWindowTitle(caption);
            } else if (auto *label = qobject_cast<QLabel *>(row.control)) {
                label->setText(caption);
                if (label->buddy())
                    label->buddy()->setAccessibleName(caption);
            } else if (auto *button = qobject_cast<QAbstractButton *>(row.control)) {
                button->setText(caption);
            } else {
                Q_ASSERT_X(false, "CatalogueDialog::Set_Lang", "no caption for this kind of control");
            }
        }
        if (row.hint != NoText)
            setPlainToolTip(row.control, pv.msg(row.hint));
    }
}

CatalogueDialog::Frame CatalogueDialog::layOutFrame(
    const QList<QWidget *> &body, QWidget *grow, const FrameOptions &options)
{
    Frame frame;
    QWidget *title = makeTitlePanel(this, frame.L_SW_Code, frame.L_SW_Desc);
    frame.L_SW_Code->setText(pv.SW_Code);
    QWidget *buttons = makeButtonPanel(this, frame.Btn_OK, frame.Btn_Cancel,
        options.statusLine ? &frame.L_Status : nullptr, QString::fromLatin1(options.confirmName));
    if (options.cancelCloses)
        connect(frame.Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(options.bodyMargins);
    column->setSpacing(options.bodySpacing);
    for (QWidget *control : body)
        column->addWidget(control, control == grow ? 1 : 0);
    layout->addLayout(column, grow ? 1 : 0);
    if (!grow)
        layout->addStretch();
    layout->addWidget(buttons);
    return frame;
}

} // namespace sw
