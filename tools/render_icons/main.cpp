// render_icons: renders the configurator's drawings into PNG files at the pixel sizes the program
// shows them, and writes a Qt resource file that lists them, so that the program itself needs no
// SVG support. Run by the build; each argument is DRAWING.svg=SIZE[,SIZE...] and gives files named
// <drawing>-<size>.png in the output folder.

#include "common/StandardOptions.h"
#include "core/ProgramVersion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextStream>

#include <algorithm>

using sw::tools::UsageError;

namespace {

constexpr char ToolDescription[]
    = "Renders each DRAWING.svg into OUTPUT_FOLDER/<drawing>-<size>.png at every SIZE given after it (square, in\n"
      "pixels, 1 to 1024) and writes the resource file --qrc, which lists every picture under the prefix\n"
      "/icons by its file name. Needs a Qt platform to render on; the build sets QT_QPA_PLATFORM=offscreen.";

constexpr char ToolEpilogue[] = "\n"
                                "Exit status:\n"
                                "  0  every picture was written\n"
                                "  1  a drawing could not be read, drew nothing, or a file could not be written\n"
                                "  2  the command line is wrong\n";

constexpr int MaxSize = 1024;

struct Drawing
{
    QString path;
    QList<int> sizes;
};

// "DRAWING.svg=24,48"; the last "=" splits, so the path itself may hold one.
bool parseDrawing(const QString &argument, Drawing &drawing)
{
    const qsizetype split = argument.lastIndexOf(u'=');
    if (split <= 0)
        return false;
    drawing.path = argument.left(split);
    const QStringList sizes = argument.mid(split + 1).split(u',');
    for (const QString &text : sizes) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 1 || size > MaxSize)
            return false;
        if (!drawing.sizes.contains(size))
            drawing.sizes.append(size);
    }
    return true;
}

// As Qt's own SVG icon engine draws an icon: the whole drawing stretched over a transparent square.
QImage render(QSvgRenderer &renderer, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

bool isBlank(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        if (std::any_of(line, line + image.width(), [](QRgb pixel) { return qAlpha(pixel) != 0; }))
            return false;
    }
    return true;
}

bool writeFile(const QString &path, const QByteArray &data, QTextStream &err)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        err << "render_icons: cannot write " << QDir::toNativeSeparators(path) << ": " << file.errorString() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("render_icons"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SW_PROGRAM_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(ToolDescription));
    sw::tools::StandardOptions standard(parser);
    const QCommandLineOption outputOption({ QStringLiteral("o"), QStringLiteral("output") },
        QStringLiteral("Folder of the PNG files."), QStringLiteral("OUTPUT_FOLDER"));
    const QCommandLineOption qrcOption(
        QStringLiteral("qrc"), QStringLiteral("Resource file to write."), QStringLiteral("FILE"));
    parser.addOption(outputOption);
    parser.addOption(qrcOption);
    parser.addPositionalArgument(QStringLiteral("drawings"), QStringLiteral("DRAWING.svg=SIZE[,SIZE...]"),
        QStringLiteral("DRAWING.svg=SIZE[,SIZE...]..."));
    if (const std::optional<int> status = standard.parse(QCoreApplication::arguments(), "render_icons", ToolEpilogue))
        return *status;

    QTextStream err(stderr);
    const auto usage = [&err](const QString &text) {
        err << "render_icons: " << text << " (see --help)\n";
        return UsageError;
    };
    if (!parser.isSet(outputOption) || !parser.isSet(qrcOption))
        return usage(QStringLiteral("--output and --qrc are required"));
    if (parser.positionalArguments().isEmpty())
        return usage(QStringLiteral("no drawing given"));
    QList<Drawing> drawings;
    for (const QString &argument : parser.positionalArguments()) {
        Drawing drawing;
        if (!parseDrawing(argument, drawing))
            return usage(
                QStringLiteral("not DRAWING.svg=SIZE[,SIZE...] with sizes 1 to %1: %2").arg(MaxSize).arg(argument));
        drawings.append(drawing);
    }

    const QDir output(parser.value(outputOption));
    if (!output.mkpath(QStringLiteral("."))) {
        err << "render_icons: cannot make " << QDir::toNativeSeparators(output.path()) << '\n';
        return 1;
    }
    const QDir qrcFolder = QFileInfo(parser.value(qrcOption)).absoluteDir();

    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/icons\">\n");
    for (const Drawing &drawing : std::as_const(drawings)) {
        QSvgRenderer renderer(drawing.path);
        if (!renderer.isValid()) {
            err << "render_icons: cannot read the drawing " << QDir::toNativeSeparators(drawing.path) << '\n';
            return 1;
        }
        const QString name = QFileInfo(drawing.path).completeBaseName();
        for (int size : drawing.sizes) {
            const QImage image = render(renderer, size);
            // A drawing that leaves the picture empty is a broken drawing, not a picture to ship.
            if (isBlank(image)) {
                err << "render_icons: " << QDir::toNativeSeparators(drawing.path) << " draws nothing at " << size
                    << " pixels\n";
                return 1;
            }
            const QString fileName = QStringLiteral("%1-%2.png").arg(name).arg(size);
            const QString path = output.filePath(fileName);
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
                err << "render_icons: cannot write " << QDir::toNativeSeparators(path) << '\n';
                return 1;
            }
            qrc += QStringLiteral("    <file alias=\"%1\">%2</file>\n")
                       .arg(fileName.toHtmlEscaped(), qrcFolder.relativeFilePath(path).toHtmlEscaped());
        }
    }
    qrc += QStringLiteral("  </qresource>\n</RCC>\n");
    return writeFile(parser.value(qrcOption), qrc.toUtf8(), err) ? 0 : 1;
}
