#pragma once
// The start-up banner: a borderless topmost window shown over the main window for a few
// seconds, then closed by a one-shot timer that makes the main window active.

class QWidget;

// Shows the banner centred on the screen; it closes itself.
void ShowStartupBanner(QWidget* mainWindow);
