#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace updater {

class Transfer;

// The updater's own window: the device's address, a bar of bytes written and, when the operation
// reads back, a bar of bytes verified for each operation, the elapsed time, and at the end the
// result in one line with a Close button, green or red as the background allows. Its texts are
// catalogue entries. It follows a Transfer that runs on another thread.
// While the transfer runs, Escape does nothing and closing the window stops the transfer after its
// current request; the window then closes as soon as the transfer has ended.
class UpdateWindow : public QDialog
{
    Q_OBJECT

public:
    // `texts` is the configurator's catalogue in the language to show (see updaterTexts); the
    // built-in English one when it is not a whole catalogue.
    explicit UpdateWindow(const QStringList &texts = {}, QWidget *parent = nullptr);

    // Shows the operations of `transfer`, which must outlive the window, and follows its signals.
    void follow(Transfer *transfer);
    // The parameter file could not be carried out; nothing was sent.
    void showFileError(const QString &message);

    bool isRunning() const { return m_running; }
    // What the window shows: one line per label, bar and button, in the window's order.
    QString stateText() const;

    // For tests and scripts: save a picture and the state text of the window into `folder`, as
    // during.png/.txt once half the work is done and as after.png/.txt at the end.
    void setSnapshotFolder(const QString &folder) { m_snapshotFolder = folder; }
    // For tests and scripts: press Close this many milliseconds after the end; negative: never.
    void setCloseAfterEnd(int ms) { m_closeAfterEndMs = ms; }

public Q_SLOTS:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct OperationRow
    {
        QLabel *title = nullptr;
        QLabel *state = nullptr;
        QProgressBar *written = nullptr;
        QProgressBar *verified = nullptr; // null when the operation does not read back
        qint64 elapsedMs = -1;
    };

    // The catalogue's text `id`.
    QString text(int id) const;
    QString seconds(qint64 ms) const;
    QString bytes(qint64 count) const;
    // The result line's colour for the palette in use.
    void colourResult();
    QProgressBar *addBar(const QString &name, const QString &caption, const QString &accessibleName, qint64 size);
    void operationStarted(int index);
    void written(int index, qint64 done);
    void verified(int index, qint64 done);
    void operationDone(int index, qint64 elapsedMs);
    void applicationStarted(int index);
    void completed();
    void failed(int index, const QString &reason);
    void finish(bool success, const QString &line);
    void updateElapsed();
    void snapshotWhenHalfDone();
    void saveSnapshot(const QString &name);

    const QStringList m_texts;
    QLabel *m_heading;
    QLabel *m_device;
    QGridLayout *m_operationsGrid;
    QLabel *m_elapsed;
    QLabel *m_result;
    QPushButton *m_closeButton;

    Transfer *m_transfer = nullptr;
    QList<OperationRow> m_rows;
    QElapsedTimer m_clock;
    QTimer m_tick;
    bool m_running = false;
    std::optional<bool> m_success; // set at the end
    bool m_closeAsked = false;
    bool m_halfSaved = false;
    QString m_snapshotFolder;
    int m_closeAfterEndMs = -1;
};

} // namespace updater
