#include "app/window_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

namespace {

constexpr QRect kNoScreen(0, 0, 1024, 768);

QRect GeometryOf(const QScreen* screen) {
    return screen ? screen->geometry() : kNoScreen;
}

// The window that owns window through its parent widget, or null.
const QWidget* OwnerOf(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget())
        return parent->window();
    return nullptr;
}

QScreen* CursorScreen() {
    return QGuiApplication::screenAt(QCursor::pos());
}

// The window's outer size: the frame when it has one, otherwise the widget's own size.
QSize OuterSize(const QWidget* window) {
    const QSize frame = window->frameGeometry().size();
    return frame.isValid() && !frame.isEmpty() ? frame : window->size();
}

}  // namespace

QScreen* PlacementScreen(const QWidget* window) {
    if (const QWidget* owner = OwnerOf(window); owner && owner->isVisible())
        return owner->screen();
    if (const QWindow* handle = window->windowHandle()) {
        if (const QWindow* owner = handle->transientParent(); owner && owner->isVisible())
            return owner->screen();
    }
    if (QScreen* screen = CursorScreen())
        return screen;
    return QGuiApplication::primaryScreen();
}

QRect PlacementScreenGeometry(const QWidget* window) {
    return GeometryOf(PlacementScreen(window));
}

QPoint CentredOnScreenAt(const QRect& screen, QSize window, int dx, int dy) {
    // C++ integer division truncates toward zero, as the placement rule asks.
    return QPoint(screen.x() + screen.width() / 2 - window.width() / 2 + dx,
                  screen.y() + screen.height() / 2 - window.height() / 2 + dy);
}

QPoint CentredOnPointAt(const QRect& screen, QSize window, QPoint cursor) {
    // Clamped to the screen's right and bottom edges last, so that those win.
    int x = cursor.x() - window.width() / 2;
    if (x < screen.x())
        x = screen.x();
    if (x > screen.x() + screen.width() - window.width())
        x = screen.x() + screen.width() - window.width();
    int y = cursor.y() - window.height() / 2;
    if (y < screen.y())
        y = screen.y();
    if (y > screen.y() + screen.height() - window.height())
        y = screen.y() + screen.height() - window.height();
    return QPoint(x, y);
}

void CentreOnScreen(QWidget* window, int dx, int dy) {
    window->move(CentredOnScreenAt(PlacementScreenGeometry(window), OuterSize(window), dx, dy));
    window->update();
}

void CentreOnCursor(QWidget* window) {
    const QPoint cursor = QCursor::pos();
    QScreen* screen = CursorScreen();
    if (!screen)
        screen = PlacementScreen(window);
    window->move(CentredOnPointAt(GeometryOf(screen), OuterSize(window), cursor));
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
