#pragma once

#include "DeviceLink.h"
#include "UpdateFile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <atomic>

namespace updater {

// Carries out the operations of a parameter file one after the other and tells how far it got:
// bytes written and bytes read back per operation, then completed() or failed(). run() blocks
// until the end, so a window runs it on a worker thread and takes the signals queued.
class Transfer : public QObject
{
    Q_OBJECT

public:
    explicit Transfer(QList<Operation> operations, QObject *parent = nullptr);

    // Never changed after construction, so any thread may read it.
    const QList<Operation> &operations() const { return m_operations; }

    // Makes a running transfer fail before its next request, so that it ends within one request's
    // attempts. Safe from any thread.
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }

public Q_SLOTS:
    void run();

Q_SIGNALS:
    void operationStarted(int index);
    // `done` bytes of the operation's data have been written (0 as the writing begins), or read
    // back and found equal.
    void written(int index, qint64 done);
    void verified(int index, qint64 done);
    void operationDone(int index, qint64 elapsedMs, int repeatedRequests);
    void applicationStarted(int index);
    void completed();
    // `reason` names the device, the request and its address.
    void failed(int index, const QString &reason);

private:
    void writeBlocks(DeviceLink &link, int index);
    void readBack(DeviceLink &link, int index);
    // Throws TransferError when a stop was asked for, naming the request that is not sent.
    void stopBefore(const DeviceLink &link, const char *request, quint32 address) const;

    const QList<Operation> m_operations;
    std::atomic<bool> m_stop = false;
};

} // namespace updater
