// Compiles the largest project the editors allow (50 variables with 32-character names, 10 known
// certificates of 4 KB, a 4 KB key and 4 KB server and root certificates) and prints the time per
// compile and per compile-and-save. Prints figures only; never fails on speed.

#include "TestFiles.h"

#include "core/image/Compiler.h"
#include "core/xml/ConformingReader.h"
#include "core/xml/Xml.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace sw::image;
using sw::test::writeFile;

namespace {

// A PEM-like text of `bytes` characters with a line break every 64.
QString pem(int bytes, QChar fill)
{
    QString text;
    text.reserve(bytes);
    while (text.size() < bytes)
        text += (text.size() % 65 == 64) ? QChar(u'\n') : fill;
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    QString parGen = QStringLiteral("<Par_Gen>");
    auto element = [&parGen](const char *name, const QString &value) {
        parGen += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(name), value.toHtmlEscaped());
    };
    element("IEC61850_Server_Port", QStringLiteral("102"));
    element("IEC61850_Server_Password", QStringLiteral("password1234"));
    element("TLS_Server_Enable", QStringLiteral("1"));
    element("TLS_Server_Key", pem(4096, u'K'));
    element("TLS_Server_Key_Password", QStringLiteral("keypassword"));
    element("TLS_Server_Server_Certificate", pem(4096, u'S'));
    element("TLS_Server_Root_Certificate", pem(4096, u'R'));
    element("TLS_Server_Enable_Known_Cert", QStringLiteral("1"));
    element("Ethernet_EN_GAT", QStringLiteral("1"));
    element("MODBUS_SLAVE_BAUDRATE", QStringLiteral("4"));
    parGen += QStringLiteral("</Par_Gen><!--SW_VERSION = 1.000-->");

    QString variables = QStringLiteral("<IEC61850_Variables>");
    for (int i = 0; i < 50; ++i) {
        variables += QStringLiteral(R"(<row Enable="Y" Name="%1" Type="Float" Length="4" ReadOnly="N" Position="%2" )"
                                    R"(StartBit="" Conversion="Int to Float" MultiplicationFactor="0,01" Swap="Y" )"
                                    R"(SwapWord="N" Mnemonic="measurement %3"/>)")
                         .arg(QStringLiteral("LD0/MMXU1.TotW.mag.f%1").arg(i).leftJustified(32, u'x'))
                         .arg(i * 4)
                         .arg(i);
    }
    variables += QStringLiteral("</IEC61850_Variables><!--SW_VERSION = 1.000-->");

    QString certs = QStringLiteral("<TLS_Server_Known_Cert>");
    for (int i = 0; i < 10; ++i)
        certs += QStringLiteral(R"(<row Enable="Y" Certificate="%1" Mnemonic="client %2"/>)")
                     .arg(pem(4096, QChar(u'A' + i)).toHtmlEscaped().replace(u'\n', QStringLiteral("&#10;")))
                     .arg(i);
    certs += QStringLiteral("</TLS_Server_Known_Cert><!--SW_VERSION = 1.000-->");

    const ProjectDocuments docs = sw::projectDocuments(dir.path());
    if (!writeFile(docs.parGen, parGen.toUtf8()) || !writeFile(docs.variables, variables.toUtf8())
        || !writeFile(docs.knownCerts, certs.toUtf8()))
        return 1;
    const QString bin = dir.filePath(QStringLiteral("bin"));

    ImageCompiler compiler;
    Images images = compiler.Compile_Bin(docs); // warm-up
    out << "bank2.bin: " << images.bank2.size() << " bytes, " << compiler.record().Var_Number << " variables, "
        << compiler.record().TLS_Data.Known_Cert_Num << " known certificates\n";

    constexpr int rounds = 500;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        images = compiler.Compile_Bin(docs);
    const double compileMs = double(timer.nsecsElapsed()) / 1e6 / rounds;

    constexpr int saveRounds = 200;
    timer.restart();
    for (int i = 0; i < saveRounds; ++i)
        Save_Bin(bin, compiler.Compile_Bin(docs));
    const double saveMs = double(timer.nsecsElapsed()) / 1e6 / saveRounds;

    // The three documents read into trees, as the compiler reads them, and by the conforming
    // parser alone, which reads every document the plain reader declines.
    const QByteArray texts[] = { parGen.toUtf8(), variables.toUtf8(), certs.toUtf8() };
    auto readingUs = [&texts](auto load) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            for (const QByteArray &text : texts) {
                pugi::xml_document doc;
                if (load(doc, text))
                    return -1.0;
            }
        }
        return double(clock.nsecsElapsed()) / 1e3 / rounds;
    };
    const double readUs = readingUs(&sw::xml::loadBytes);
    const double conformingUs = readingUs(&sw::xml::loadBytesConforming);

    out << QStringLiteral("compile:          %1 ms (goal: under 2 ms)\n").arg(compileMs, 0, 'f', 3);
    out << QStringLiteral("compile and save: %1 ms\n").arg(saveMs, 0, 'f', 3);
    out << QStringLiteral("reading the XML:  %1 us (conforming parser alone: %2 us)\n")
               .arg(readUs, 0, 'f', 1)
               .arg(conformingUs, 0, 'f', 1);
    return 0;
}
