#include "core/ProgramValues.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("SW61942"));
    QWidget window;
    window.setWindowTitle(QString::fromLatin1(sw::SW_Title_Text));
    window.show();
    return app.exec();
}
