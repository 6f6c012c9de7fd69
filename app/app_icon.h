#pragma once
// The program icon (resource 899) at 16, 32 and 48 pixels.

#include <QIcon>

QIcon AppIcon();
