#pragma once
// The program icon (resource 899) at 16, 32 and 48 pixels: a server sending to three smaller
// servers. The images are the PNGs of resources/icons, compiled into the program.

#include <QIcon>
#include <QPixmap>

QIcon AppIcon();

// Draws the icon at size x size pixels. The PNGs of resources/icons were made with it, and
// AppIcon falls back on it should the compiled-in images be missing.
QPixmap DrawAppIcon(int size);
