#include "app/window_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

namespace {

QSize ScreenSize(const QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

// The window's outer size: the frame when it has one, otherwise the widget's own size.
QSize OuterSize(const QWidget* window) {
    const QSize frame = window->frameGeometry().size();
    return frame.isValid() && !frame.isEmpty() ? frame : window->size();
}

}  // namespace

QPoint CentredOnScreenAt(QSize screen, QSize window, int dx, int dy) {
    // C++ integer division truncates toward zero, as the placement rule asks.
    return QPoint(screen.width() / 2 - window.width() / 2 + dx,
                  screen.height() / 2 - window.height() / 2 + dy);
}

QPoint CentredOnPointAt(QSize screen, QSize window, QPoint cursor) {
    int x = cursor.x() - window.width() / 2;
    if (x < 0)
        x = 0;
    if (x > screen.width() - window.width())
        x = screen.width() - window.width();
    int y = cursor.y() - window.height() / 2;
    if (y < 0)
        y = 0;
    if (y > screen.height() - window.height())
        y = screen.height() - window.height();
    return QPoint(x, y);
}

void CentreOnScreen(QWidget* window, int dx, int dy) {
    window->move(CentredOnScreenAt(ScreenSize(window), OuterSize(window), dx, dy));
    window->update();
}

void CentreOnCursor(QWidget* window) {
    window->move(CentredOnPointAt(ScreenSize(window), OuterSize(window), QCursor::pos()));
    window->update();
}

QWidget* DialogControl(QWidget* dialog, int control) {
    if (!dialog)
        return nullptr;
    return dialog->findChild<QWidget*>(QStringLiteral("id_%1").arg(control));
}

bool FocusDialogControl(QWidget* dialog, int control) {
    QWidget* widget = DialogControl(dialog, control);
    if (!widget)
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
    return true;
}

void SetControlId(QWidget* control, int id) {
    control->setObjectName(QStringLiteral("id_%1").arg(id));
}
