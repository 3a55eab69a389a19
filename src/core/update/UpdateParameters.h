#pragma once

#include <QByteArray>
#include <QString>

// The parameter file that the external updater reads: the device's address and ports and the list
// of write operations (firmware, first image, second image). Rewritten whole before each start.
namespace sw {

inline constexpr char UpdaterBaseName[] = "Ethernet_Update";
inline constexpr char UpdateParametersFileName[] = "Ethernet_Update.xml";
inline constexpr char FirmwareFileName[] = "Sim61942.sim";

// What to write into the device; the index of the update dialog's choice list.
enum class UpdateChoice {
    FirmwareAndConfiguration = 0,
    Firmware = 1,
    Configuration = 2,
};

struct UpdateParameters
{
    QString ipAddress; // the four box texts joined with ".", exactly as typed
    int choice = int(UpdateChoice::FirmwareAndConfiguration); // an UpdateChoice index
    bool readBack = true;
    QString firmwareFile; // full paths of the three data files
    QString bank1File;
    QString bank2File;
};

// The parameters of one update with the data files in their usual places: the firmware in
// `masterDir`, the two images in the `bin` folder of `projectDir`.
UpdateParameters updateParameters(
    const QString &ipAddress, int choice, bool readBack, const QString &masterDir, const QString &projectDir);

// The document as written to disk: root Ethernet_Update with its nine elements, one Operation per
// file to write (firmware for choices 0 and 1, then both images for choices 0 and 2; none for any
// other choice); file names with native separators; UTF-8, no declaration, comment or indentation.
QByteArray updateParametersDocument(const UpdateParameters &parameters);

// Where the parameter file and the updater lie: in the program folder. The updater carries the
// platform's executable suffix.
QString updateParametersPath(const QString &programDir);
QString updaterProgramPath(const QString &programDir);

// Replaces the parameter file in `programDir` atomically and returns its path. Throws sw::Error
// naming the file when it cannot be written; the earlier file is then left as it was.
QString writeUpdateParametersFile(const QString &programDir, const UpdateParameters &parameters);

} // namespace sw
