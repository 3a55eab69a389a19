// The reference for bench_start: a Qt Widgets program that shows one empty window of the main
// window's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(694, 440);
    window.show();
    return app.exec();
}
