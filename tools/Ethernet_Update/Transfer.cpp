#include "Transfer.h"

#include "common/Hex.h"

#include <QElapsedTimer>

using sw::tools::hex;

namespace updater {

Transfer::Transfer(QList<Operation> operations, QObject *parent)
    : QObject(parent)
    , m_operations(std::move(operations))
{
}

void Transfer::run()
{
    for (int i = 0; i < int(m_operations.size()); ++i) {
        const Operation &op = m_operations.at(i);
        Q_EMIT operationStarted(i);
        try {
            QElapsedTimer timer;
            timer.start();
            DeviceLink link(op.host, op.port);
            writeBlocks(link, i);
            if (op.readBack)
                readBack(link, i);
            Q_EMIT operationDone(i, timer.elapsed(), link.repeatedRequests());
            if (op.goToAppAfter) {
                stopBefore(link, "start", 0);
                link.startApplication();
                Q_EMIT applicationStarted(i);
            }
        } catch (const TransferError &e) {
            Q_EMIT failed(i, e.message());
            return;
        }
    }
    Q_EMIT completed();
}

void Transfer::stopBefore(const DeviceLink &link, const char *request, quint32 address) const
{
    if (m_stop)
        throw TransferError(QStringLiteral("the update was stopped before the %1 request at %2 to %3")
                                .arg(QLatin1String(request), hex(address), link.device()));
}

void Transfer::writeBlocks(DeviceLink &link, int index)
{
    const Operation &op = m_operations.at(index);
    const qsizetype size = op.data.size();
    Q_EMIT written(index, 0);
    for (qsizetype at = 0; at < size; at += sw::block::BlockSize) {
        const quint32 address = op.startAddress + quint32(at);
        stopBefore(link, "write", address);
        link.write(address, op.data.mid(at, sw::block::BlockSize));
        Q_EMIT written(index, std::min<qsizetype>(at + sw::block::BlockSize, size));
    }
}

void Transfer::readBack(DeviceLink &link, int index)
{
    const Operation &op = m_operations.at(index);
    for (qsizetype at = 0; at < op.data.size(); at += sw::block::BlockSize) {
        const quint32 address = op.startAddress + quint32(at);
        stopBefore(link, "read", address);
        const QByteArray expected = op.data.mid(at, sw::block::BlockSize);
        const QByteArray actual = link.read(address, quint16(expected.size()));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            if (actual[i] != expected[i])
                throw TransferError(
                    QStringLiteral("read-back from %1 differs at %2 (read request at %3): wrote 0x%4, read 0x%5")
                        .arg(link.device(), hex(op.startAddress + quint32(at + i)), hex(address))
                        .arg(quint8(expected[i]), 2, 16, QChar(u'0'))
                        .arg(quint8(actual[i]), 2, 16, QChar(u'0')));
        }
        Q_EMIT verified(index, at + expected.size());
    }
}

} // namespace updater
