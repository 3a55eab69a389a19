#include "UpdateWindow.h"

#include "Transfer.h"
#include "common/Hex.h"

#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using sw::tools::hex;
namespace MsgId = sw::MsgId;

namespace updater {

namespace {

// Longest texts from outside shown in one line: file names and failure reasons come from the
// parameter file and the network.
constexpr qsizetype NameLimit = 60;
constexpr qsizetype ReasonLimit = 400;

// `text` as one plain line: control characters become blanks, and a long text is cut with "…".
QString plainLine(const QString &text, qsizetype limit)
{
    QString line = text.left(limit + 1);
    for (QChar &c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    if (line.size() > limit) {
        line.truncate(limit - 1);
        line += QChar(0x2026);
    }
    return line;
}

QLabel *plainLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// WCAG relative luminance of a colour, and the contrast ratio of two.
double luminance(const QColor &colour)
{
    const auto channel = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor resultColour(bool success, const QColor &background)
{
    // A dark and a light shade of each; the one that stands out more from the background is taken,
    // and the palette's own text colour where neither reaches the 4.5:1 of readable text.
    const QColor dark = success ? QColor(0x1B, 0x6E, 0x20) : QColor(0xB0, 0x1C, 0x1C);
    const QColor light = success ? QColor(0x7C, 0xD3, 0x82) : QColor(0xFF, 0x8A, 0x80);
    const QColor best = contrast(dark, background) >= contrast(light, background) ? dark : light;
    return contrast(best, background) >= 4.5 ? best : QColor();
}

} // namespace

UpdateWindow::UpdateWindow(const QStringList &texts, QWidget *parent)
    : QDialog(parent)
    , m_texts(texts.size() == sw::Msg_Catalogue_Size ? texts : sw::defaultMessages())
    , m_heading(plainLabel(QStringLiteral("heading"), this))
    , m_device(plainLabel(QStringLiteral("device"), this))
    , m_operationsGrid(new QGridLayout)
    , m_elapsed(plainLabel(QStringLiteral("elapsed"), this))
    , m_result(plainLabel(QStringLiteral("result"), this))
    , m_closeButton(new QPushButton(text(MsgId::UpdaterClose), this))
{
    setWindowTitle(text(MsgId::UpdaterTitle));

    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.15);
    m_heading->setFont(headingFont);
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setEnabled(false);
    m_closeButton->setAutoDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_operationsGrid->setColumnStretch(1, 1);
    m_operationsGrid->setHorizontalSpacing(10);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);

    // At least 480 px wide, and never narrower than its texts need: the layout, not a fixed
    // minimum, sets the window's minimum size, so a larger font or a longer translation widens the
    // window even where the screen is small.
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addStrut(480 - layout->contentsMargins().left() - layout->contentsMargins().right());
    layout->addWidget(m_heading);
    layout->addWidget(m_device);
    layout->addWidget(line);
    layout->addLayout(m_operationsGrid);
    layout->addSpacing(6);
    layout->addWidget(m_elapsed);
    layout->addWidget(m_result);
    layout->addStretch();
    layout->addLayout(buttons);

    m_heading->setText(text(MsgId::UpdaterHeadingRunning));
    m_device->setText(text(MsgId::UpdaterDevice).arg(text(MsgId::UpdaterDeviceNotKnownYet)));
    m_elapsed->setText(text(MsgId::UpdaterElapsed).arg(seconds(0)));
    m_result->setText(text(MsgId::UpdaterReadingFile));

    m_tick.setInterval(100);
    connect(&m_tick, &QTimer::timeout, this, &UpdateWindow::updateElapsed);
    m_clock.start();
}

QString UpdateWindow::text(int id) const
{
    return m_texts.value(id);
}

QString UpdateWindow::seconds(qint64 ms) const
{
    return text(MsgId::UpdaterSeconds).arg(double(ms) / 1000.0, 0, 'f', 1);
}

QString UpdateWindow::bytes(qint64 count) const
{
    return count == 1 ? text(MsgId::UpdaterOneByte) : text(MsgId::UpdaterBytes).arg(count);
}

QProgressBar *UpdateWindow::addBar(
    const QString &name, const QString &caption, const QString &accessibleName, qint64 size)
{
    const int row = m_operationsGrid->rowCount();
    QLabel *label = plainLabel(name + QStringLiteral("Caption"), this);
    label->setText(caption);
    label->setIndent(16);
    auto *bar = new QProgressBar(this);
    bar->setObjectName(name);
    bar->setRange(0, int(size));
    bar->setValue(0);
    bar->setFormat(text(MsgId::UpdaterBarFormat));
    bar->setAccessibleName(accessibleName);
    label->setBuddy(bar);
    m_operationsGrid->addWidget(label, row, 0);
    m_operationsGrid->addWidget(bar, row, 1, 1, 2);
    return bar;
}

void UpdateWindow::follow(Transfer *transfer)
{
    m_transfer = transfer;
    QStringList devices;
    const QList<Operation> &operations = transfer->operations();
    for (int i = 0; i < int(operations.size()); ++i) {
        const Operation &op = operations.at(i);
        const QString device = op.host + u':' + QString::number(op.port);
        if (!devices.contains(device))
            devices.append(device);

        const QString number = QString::number(i + 1);
        OperationRow row;
        row.title = plainLabel(QStringLiteral("operation") + number, this);
        row.title->setText(text(MsgId::UpdaterOperation)
                               .arg(number, plainLine(QFileInfo(op.fileName).fileName(), NameLimit),
                                   bytes(op.data.size()), hex(op.startAddress)));
        row.state = plainLabel(QStringLiteral("state") + number, this);
        row.state->setText(text(MsgId::UpdaterStateWaiting));
        row.state->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const int titleRow = m_operationsGrid->rowCount();
        m_operationsGrid->addWidget(row.title, titleRow, 0, 1, 2);
        m_operationsGrid->addWidget(row.state, titleRow, 2);
        row.written = addBar(QStringLiteral("written") + number, text(MsgId::UpdaterWritten),
            text(MsgId::UpdaterWrittenName).arg(number), op.data.size());
        if (op.readBack)
            row.verified = addBar(QStringLiteral("verified") + number, text(MsgId::UpdaterVerified),
                text(MsgId::UpdaterVerifiedName).arg(number), op.data.size());
        m_rows.append(row);
    }
    m_device->setText(text(MsgId::UpdaterDevice).arg(plainLine(devices.join(QStringLiteral(", ")), ReasonLimit)));
    m_result->setText(text(MsgId::UpdaterWriting).arg(m_rows.size()));

    adjustSize();

    connect(transfer, &Transfer::operationStarted, this, &UpdateWindow::operationStarted);
    connect(transfer, &Transfer::written, this, &UpdateWindow::written);
    connect(transfer, &Transfer::verified, this, &UpdateWindow::verified);
    connect(transfer, &Transfer::operationDone, this,
        [this](int index, qint64 elapsedMs, int) { operationDone(index, elapsedMs); });
    connect(transfer, &Transfer::applicationStarted, this, &UpdateWindow::applicationStarted);
    connect(transfer, &Transfer::completed, this, &UpdateWindow::completed);
    connect(transfer, &Transfer::failed, this, &UpdateWindow::failed);

    m_running = true;
    m_clock.start();
    m_tick.start();
}

void UpdateWindow::showFileError(const QString &message)
{
    m_device->setText(text(MsgId::UpdaterDevice).arg(text(MsgId::UpdaterDeviceFileUnusable)));
    m_elapsed->hide();
    finish(false, text(MsgId::UpdaterNothingSent).arg(plainLine(message, ReasonLimit)));
}

void UpdateWindow::operationStarted(int index)
{
    if (index >= 0 && index < m_rows.size())
        m_rows[index].state->setText(text(MsgId::UpdaterStateWriting));
}

void UpdateWindow::written(int index, qint64 done)
{
    if (index < 0 || index >= m_rows.size())
        return;
    const OperationRow &row = m_rows.at(index);
    row.written->setValue(int(done));
    if (row.verified && done == row.written->maximum())
        row.state->setText(text(MsgId::UpdaterStateReadingBack));
    snapshotWhenHalfDone();
}

void UpdateWindow::verified(int index, qint64 done)
{
    if (index < 0 || index >= m_rows.size() || !m_rows.at(index).verified)
        return;
    m_rows.at(index).verified->setValue(int(done));
    snapshotWhenHalfDone();
}

void UpdateWindow::operationDone(int index, qint64 elapsedMs)
{
    if (index < 0 || index >= m_rows.size())
        return;
    m_rows[index].elapsedMs = elapsedMs;
    m_rows[index].state->setText(text(MsgId::UpdaterStateDone).arg(seconds(elapsedMs)));
}

void UpdateWindow::applicationStarted(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    m_rows[index].state->setText(text(MsgId::UpdaterStateStarted).arg(seconds(m_rows.at(index).elapsedMs)));
}

void UpdateWindow::completed()
{
    bool readBack = false;
    for (const OperationRow &row : std::as_const(m_rows))
        readBack = readBack || row.verified;
    finish(true, text(readBack ? MsgId::UpdaterCompleteReadBack : MsgId::UpdaterComplete).arg(m_rows.size()));
}

void UpdateWindow::failed(int index, const QString &reason)
{
    QString name;
    if (index >= 0 && index < m_rows.size()) {
        m_rows[index].state->setText(text(m_closeAsked ? MsgId::UpdaterStateStopped : MsgId::UpdaterStateFailed));
        name = QFileInfo(m_transfer->operations().at(index).fileName).fileName();
        for (int later = index + 1; later < m_rows.size(); ++later)
            m_rows[later].state->setText(text(MsgId::UpdaterStateNotStarted));
    }
    finish(false,
        text(MsgId::UpdaterFailed)
            .arg(QString::number(index + 1), plainLine(name, NameLimit), plainLine(reason, ReasonLimit)));
}

void UpdateWindow::finish(bool success, const QString &line)
{
    m_running = false;
    m_tick.stop();
    updateElapsed();
    m_heading->setText(text(success ? MsgId::UpdaterHeadingDone : MsgId::UpdaterHeadingFailed));
    m_result->setText(line);
    m_success = success;
    colourResult();
    m_closeButton->setEnabled(true);
    m_closeButton->setDefault(true);
    m_closeButton->setFocus(Qt::OtherFocusReason);
    layout()->activate();
    adjustSize();

    if (!m_snapshotFolder.isEmpty())
        saveSnapshot(QStringLiteral("after"));
    if (m_closeAsked)
        close();
    else if (m_closeAfterEndMs >= 0)
        QTimer::singleShot(m_closeAfterEndMs, m_closeButton, &QPushButton::click);
}

void UpdateWindow::colourResult()
{
    // Only the text colour of its own, green or red where that reads well on the window's
    // background; everything else follows the window's palette.
    QPalette palette;
    if (m_success) {
        if (const QColor colour = resultColour(*m_success, this->palette().color(QPalette::Window)); colour.isValid())
            palette.setColor(QPalette::WindowText, colour);
    }
    m_result->setPalette(palette);
}

void UpdateWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        colourResult();
}

void UpdateWindow::updateElapsed()
{
    m_elapsed->setText(text(MsgId::UpdaterElapsed).arg(seconds(m_clock.elapsed())));
}

void UpdateWindow::snapshotWhenHalfDone()
{
    if (m_snapshotFolder.isEmpty() || m_halfSaved)
        return;
    qint64 done = 0;
    qint64 all = 0;
    for (const OperationRow &row : std::as_const(m_rows)) {
        for (const QProgressBar *bar : { row.written, row.verified }) {
            if (bar) {
                done += bar->value();
                all += bar->maximum();
            }
        }
    }
    if (2 * done < all)
        return;
    m_halfSaved = true;
    updateElapsed();
    saveSnapshot(QStringLiteral("during"));
}

void UpdateWindow::saveSnapshot(const QString &name)
{
    const QDir folder(m_snapshotFolder);
    // The texts may have changed since the last layout; the picture shows them laid out anew.
    layout()->activate();
    if (!grab().save(folder.filePath(name + QStringLiteral(".png"))))
        qWarning("Ethernet_Update: cannot save %s", qPrintable(folder.filePath(name + QStringLiteral(".png"))));
    QSaveFile state(folder.filePath(name + QStringLiteral(".txt")));
    if (!state.open(QIODevice::WriteOnly) || state.write(stateText().toUtf8()) < 0 || !state.commit())
        qWarning("Ethernet_Update: cannot save %s", qPrintable(state.fileName()));
}

QString UpdateWindow::stateText() const
{
    QList<const QWidget *> shown { m_heading, m_device };
    for (const OperationRow &row : m_rows)
        shown << row.title << row.state << row.written << row.verified;
    shown << m_elapsed << m_result << m_closeButton;

    QString out;
    for (const QWidget *widget : std::as_const(shown)) {
        if (!widget || widget->isHidden())
            continue;
        out += widget->objectName() + QStringLiteral(": ");
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            out += label->text();
        else if (const auto *bar = qobject_cast<const QProgressBar *>(widget))
            out += QStringLiteral("%1/%2").arg(bar->value()).arg(bar->maximum());
        else if (widget == m_closeButton)
            out += m_closeButton->text()
                + (m_closeButton->isEnabled() ? QStringLiteral(", enabled") : QStringLiteral(", disabled"))
                + (m_closeButton->isDefault() ? QStringLiteral(", default") : QString())
                + (focusWidget() == m_closeButton ? QStringLiteral(", focused") : QString());
        out += u'\n';
    }
    return out;
}

void UpdateWindow::reject()
{
    // Escape does not stop a transfer; closing the window does.
    if (!m_running)
        QDialog::reject();
}

void UpdateWindow::closeEvent(QCloseEvent *event)
{
    if (!m_running) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    if (m_closeAsked)
        return;
    m_closeAsked = true;
    m_transfer->requestStop();
    m_result->setText(text(MsgId::UpdaterStopping));
}

} // namespace updater
