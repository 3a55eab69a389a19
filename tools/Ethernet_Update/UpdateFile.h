#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "core/Error.h"

// What the stand-in updater takes from Ethernet_Update.xml. It reads Version, IP_Address_Dev and
// Boot_Port, and of each Operation Ope_IP_Address, Ope_Port, Ope_FileName, Ope_Start_Address,
// Ope_Read_Back and Ope_GoToApp_After; it passes over every other element.
namespace updater {

// A parameter file that cannot be carried out: missing, not well-formed, a missing element, a
// value it does not know, a data file it cannot read or data that does not fit its region of the
// device's memory (sw::memory::Regions).
class FileError : public sw::Error
{
public:
    using sw::Error::Error;
};

struct Operation
{
    QString fileName;
    QByteArray data; // the whole data file, never more than its region holds
    quint32 startAddress = 0;
    QString host; // Ope_IP_Address, or IP_Address_Dev when that is empty
    quint16 port = 0; // Ope_Port, or Boot_Port when that is empty
    bool readBack = false;
    bool goToAppAfter = false;
};

// The operations of the file at `path`, in order, with their data files read. Throws FileError.
QList<Operation> readUpdateFile(const QString &path);

} // namespace updater
