#pragma once
// Placement and focus of the program's dialogs.
//
// A dialog is placed on the screen that holds its owner (its parent window, or the window it
// is kept above), and a dialog without an owner on the screen that holds the mouse cursor:
// with several screens the positions count from that screen's own corner.

#include <QList>
#include <QRect>
#include <QWidget>

class QScreen;

// Moves window so that its centre lies at the centre of its screen offset by (dx, dy) pixels;
// the size is unchanged. Halves are signed divisions rounding toward zero.
void CentreOnScreen(QWidget* window, int dx, int dy);

// Moves window so that its centre lies at the mouse cursor, kept inside the screen that holds
// the cursor (when the window is wider or taller than that screen its left or top edge wins).
void CentreOnCursor(QWidget* window);

// The screen CentreOnScreen places window on: its owner's, else the cursor's, else the
// primary screen. Null only when there is no screen at all.
QScreen* PlacementScreen(const QWidget* window);
// That screen's rectangle in desktop coordinates (1024 x 768 at the origin without a screen).
QRect PlacementScreenGeometry(const QWidget* window);

// The same placement as a pure computation, for the window and the screen of the moment.
QPoint CentredOnScreenAt(const QRect& screen, QSize window, int dx, int dy);
QPoint CentredOnPointAt(const QRect& screen, QSize window, QPoint cursor);

// A window's outer rectangle as it may open among these screens (their available areas): as
// it is when it lies wholly on one of them; otherwise moved, and where it is larger than that
// screen also shrunk, onto the screen that holds most of it (the nearest one when it lies
// outside every screen). Unchanged when there are no screens.
QRect FitOntoScreens(const QRect& frame, const QList<QRect>& screens);
// The same among the screens of the moment.
QRect FitOntoScreens(const QRect& frame);

// Gives the keyboard focus to the dialog's control with this identifier (objectName
// "id_<number>"); an edit field has its text selected, as the dialog manager does. False when
// the dialog has no such control.
bool FocusDialogControl(QWidget* dialog, int control);

// The dialog's control with this identifier, or null.
QWidget* DialogControl(QWidget* dialog, int control);

// Names a control by its identifier so that FocusDialogControl and tests find it.
void SetControlId(QWidget* control, int id);
