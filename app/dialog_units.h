#pragma once
// Dialog units to pixels, as the platform converts them: one horizontal unit is a quarter of
// the dialog font's average character width, one vertical unit an eighth of its height. The
// dialogs are laid out from the design's dialog-unit tables with these.

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QWidget>

class DialogUnits {
  public:
    // The dialog font: "MS Sans Serif" 8 point, falling back to the system's sans serif.
    static QFont DialogFont() {
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPointSize(8);
        font.setStyleHint(QFont::SansSerif);
        return font;
    }

    explicit DialogUnits(const QFont& font = DialogFont()) {
        QFontMetrics fm(font);
        // Average width of the alphabet, as GetDialogBaseUnits measures it.
        const QString sample =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX_ = (fm.horizontalAdvance(sample) / 26 + 1) / 2;
        baseY_ = fm.height();
        if (baseX_ <= 0)
            baseX_ = 6;
        if (baseY_ <= 0)
            baseY_ = 13;
    }

    int X(int dlu) const { return dlu * baseX_ / 4; }
    int Y(int dlu) const { return dlu * baseY_ / 8; }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    // Places a child at a dialog-unit rectangle.
    void Place(QWidget* w, int x, int y, int width, int height) const {
        w->setGeometry(Rect(x, y, width, height));
    }
    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

  private:
    int baseX_ = 6;
    int baseY_ = 13;
};
