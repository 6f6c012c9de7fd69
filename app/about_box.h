#pragma once
// The about box: program icon, title, description, system information, "&OK" and "&Credits".

class QWidget;

// Shows the about box modal toward owner and returns when it is closed.
void ShowAboutBox(QWidget* owner);
