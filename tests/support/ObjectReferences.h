#pragma once

#include <QString>
#include <QStringList>
#include <iterator>

namespace sw::test {

// `count` distinct IEC 61850 object references as plants name them, from short ones to the
// 129-character maximum (a 64-character logical device name and a logical node with a prefix).
inline QStringList objectReferences(int count)
{
    static const char *const devices[] = { "LD0", "PROT", "CTRL", "MEAS_Feeder12", "Bay03_Protection_Relay_A",
        "SubstationNord_Feeder12_Bay03_MeasurementAndProtectionDevice0001" };
    static const char *const data[] = { "MMXU%1.PPV.phsAB.cVal.mag.f", "MMXU%1.TotW.mag.f", "XCBR%1.Pos.stVal",
        "PTOC%1.Str.general", "MMXU%1.PhV.phsA.cVal.ang.f", "GGIO%1.AnIn1.instMag.i", "CSWI%1.Pos.Oper.ctlVal",
        "MMXU%1.A.phsC.instCVal.mag.f", "LPHD%1.PhyHealth.stVal", "MSQI%1.SeqA.c1.cVal.mag.f" };
    constexpr int devicesCount = int(std::size(devices));
    constexpr int dataCount = int(std::size(data));
    QStringList names;
    for (int i = 0; names.size() < count; ++i) {
        const QString device = QLatin1String(devices[i % devicesCount]);
        const QString attribute = QString::fromLatin1(data[(i / devicesCount) % dataCount]).arg(i + 1);
        // Under the longest device name a logical node prefix takes the reference to 129 characters.
        const QString prefix = device.size() == 64
            ? QStringLiteral("IncomingFeederTwelveSecondaryMeasuringCircuit").left(129 - 65 - attribute.size())
            : QString();
        names << device + u'/' + prefix + attribute;
    }
    return names;
}

} // namespace sw::test
