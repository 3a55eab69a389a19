// The second reference for bench_start: the empty window of bench_bare_window showing one line of
// text, so it pays what every program that shows text pays (fontconfig, the font database, a
// font file and text shaping) and nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("New configuration"));
    window.setFixedSize(694, 440);
    window.show();
    return app.exec();
}
