// The second reference for bench_start: the empty window of bench_bare_window showing one line of
// text in a layout, so it pays what every program that lays out text before its window appears
// pays (fontconfig, the font database, a font file, text shaping for the size hint) and nothing
// else.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("New configuration")));
    window.setFixedSize(694, 440);
    window.show();
    return app.exec();
}
