#include "app/window_placement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>
#include <algorithm>

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

namespace {

qint64 SharedArea(const QRect& a, const QRect& b) {
    const QRect shared = a.intersected(b);
    return shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
}

// How far point lies outside rect, squared (0 inside).
qint64 DistanceSquared(const QRect& rect, QPoint point) {
    const qint64 dx = point.x() < rect.left()    ? rect.left() - point.x()
                      : point.x() > rect.right() ? point.x() - rect.right()
                                                 : 0;
    const qint64 dy = point.y() < rect.top()      ? rect.top() - point.y()
                      : point.y() > rect.bottom() ? point.y() - rect.bottom()
                                                  : 0;
    return dx * dx + dy * dy;
}

// The screen that holds most of frame, else the one nearest to its centre.
QRect HomeScreen(const QRect& frame, const QList<QRect>& screens) {
    QRect home = screens.front();
    qint64 mostShared = SharedArea(frame, home);
    for (const QRect& screen : screens) {
        if (const qint64 area = SharedArea(frame, screen); area > mostShared) {
            home = screen;
            mostShared = area;
        }
    }
    if (mostShared > 0)
        return home;
    for (const QRect& screen : screens) {
        if (DistanceSquared(screen, frame.center()) < DistanceSquared(home, frame.center()))
            home = screen;
    }
    return home;
}

}  // namespace

QRect FitOntoScreens(const QRect& frame, const QList<QRect>& screens) {
    for (const QRect& screen : screens) {
        if (screen.contains(frame))
            return frame;
    }
    if (screens.isEmpty())
        return frame;
    const QRect home = HomeScreen(frame, screens);
    QRect fitted(frame.topLeft(), QSize(std::clamp(frame.width(), 1, home.width()),
                                        std::clamp(frame.height(), 1, home.height())));
    if (fitted.right() > home.right())
        fitted.moveRight(home.right());
    if (fitted.left() < home.left())
        fitted.moveLeft(home.left());
    if (fitted.bottom() > home.bottom())
        fitted.moveBottom(home.bottom());
    if (fitted.top() < home.top())
        fitted.moveTop(home.top());
    return fitted;
}

QRect FitOntoScreens(const QRect& frame) {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return FitOntoScreens(frame, areas);
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
