#pragma once
// Placement and focus of the program's dialogs.

#include <QWidget>

// Moves window so that its centre lies at the screen centre offset by (dx, dy) pixels; the
// size is unchanged. Halves are signed divisions rounding toward zero.
void CentreOnScreen(QWidget* window, int dx, int dy);

// Moves window so that its centre lies at the mouse cursor, kept inside the screen (when the
// window is wider or taller than the screen its left or top edge wins: x = W - w).
void CentreOnCursor(QWidget* window);

// The same placement as a pure computation, for the window and the screen of the moment.
QPoint CentredOnScreenAt(QSize screen, QSize window, int dx, int dy);
QPoint CentredOnPointAt(QSize screen, QSize window, QPoint cursor);

// Gives the keyboard focus to the dialog's control with this identifier (objectName
// "id_<number>"); an edit field has its text selected, as the dialog manager does. False when
// the dialog has no such control.
bool FocusDialogControl(QWidget* dialog, int control);

// The dialog's control with this identifier, or null.
QWidget* DialogControl(QWidget* dialog, int control);

// Names a control by its identifier so that FocusDialogControl and tests find it.
void SetControlId(QWidget* control, int id);
