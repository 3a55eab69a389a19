#pragma once

#include <QIcon>
#include <QPixmap>

// The configurator's own pictures, rendered from its drawings at build time and compiled into the program, so that
// its folder needs no image files.
namespace sw::icons {

// Header picture buttons of the main window.
QIcon information();
QIcon options();
QIcon closeProgram();

// Step buttons of the main window.
QIcon newConfiguration();
QIcon openConfiguration();
QIcon communication();
QIcon variableList();
QIcon certificates();
QIcon updateDevice();

// The program's icon on the desktop: the logo.
QIcon program();

// The vendor's logo, square, `size` pixels wide.
QPixmap logo(int size);

} // namespace sw::icons
