#pragma once
// The about box: a small self-sized window with the program's icon, a title in a large font,
// a description, the machine's physical memory and processor type, "&OK" and "&Credits".
// Its caption has no close button (Escape and "&OK" close it). The credits scroll up through
// the window until a key or a left click stops them: on a palette display in colours that
// turn like an animated palette, on any other display in pure red.
//
// Layout unit: ux = uy = 4 pixels (four times a one-pixel window border).

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QVector>
#include <array>
#include <string>

class QPushButton;
class QScreen;
class QTimer;
class CreditsScroll;

void ShowAboutBox(QWidget* owner);

// ---- the pieces, for the window and its tests ----

struct AboutContent {
    QPixmap icon;  // may be null: no icon cell
    QString title;
    QString body;
    QString credits;  // empty: no "&Credits" button
    QString memoryLabel, memoryValue, processorLabel, processorValue;
};

// The program's own contents: the stored texts, the program icon and this machine's figures.
AboutContent DefaultAboutContent();

struct AboutLayout {
    QRect icon, title, body;
    QRect memoryLabel, memoryValue, processorLabel, processorValue;
    QRect ok, credits;  // credits is null without a credits text
    QSize client;
};

// Lays the box out: texts wrap at half the screen width; every cell is a multiple of the
// units. Controls get the cell's rectangle less one unit each way (AboutControlRect).
AboutLayout LayOutAboutBox(const AboutContent& content, const QFont& font, const QFont& titleFont,
                           int screenWidth, int ux = 4, int uy = 4);
QRect AboutControlRect(const QRect& cell, int ux = 4, int uy = 4);

// The window's top-left corner: centred over the owner's frame, then moved back inside the
// screen where it sticks out (the left and top edges win when the box is larger).
QPoint PlaceAboutBox(QSize frameSize, const QRect& ownerFrame, const QRect& screen);

// The title font: Arial, 18 pixels, bold, italic.
QFont AboutTitleFont();

// Total physical memory in KB from the text of /proc/meminfo; -1 when it is not there.
long PhysicalMemoryKb(const std::string& meminfo);
// The processor type as the about box names it: 386, 486 or 586, 0 for unknown. On x86 the
// "cpu family" of /proc/cpuinfo gives it; family 5 and later (every x86-64 processor
// included) are Pentium-class and report 586. Other architectures are unknown.
int ProcessorType(const std::string& architecture, const std::string& cpuinfo);
// "386", "486", "PENTIUM" or "Unknown".
QString ProcessorTypeText(int type);

// The 48 colours the credits cycle through: red, green and blue ramps a third apart.
std::array<QRgb, 48> CreditsPalette();

// A display whose colours go through a palette: 8 bits a pixel or fewer. The displays of
// today have true colour and no palette to animate.
bool DisplayHasPalette(const QScreen* screen);

class AboutBox : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTitleId = 1001;
    static constexpr int kCreditsId = 1000;
    static constexpr int kFrameMilliseconds = 33;

    AboutBox(const AboutContent& content, QWidget* owner);
    ~AboutBox() override;

    const AboutLayout& Layout() const { return layout_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CreditsButton() const { return credits_; }

    // The credits scroll. Frames come from a 33 ms timer; a key or a left click in the box
    // stops the scroll and the normal contents show again; other mouse buttons do nothing.
    void StartCredits();
    void StopCredits();
    bool CreditsRunning() const;
    // Draws the next frame (the timer's work); false once the text has scrolled through.
    bool AdvanceCreditsFrame();
    QTimer* CreditsTimer() const { return creditsTimer_; }
    CreditsScroll* Scroll() const { return scroll_; }
    // Colour cycling, as on a palette display, or plain red text; the display decides unless
    // this is called.
    void SetPaletteAnimation(bool on) { paletteAnimation_ = on; }
    bool PaletteAnimation() const { return paletteAnimation_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AboutContent content_;
    AboutLayout layout_;
    QPushButton* ok_ = nullptr;
    QPushButton* credits_ = nullptr;
    QTimer* creditsTimer_ = nullptr;
    CreditsScroll* scroll_ = nullptr;
    bool paletteAnimation_ = false;
};

// The widget that shows the credits over the whole client area while they scroll: an
// indexed image whose colour table turns like an animated palette.
class CreditsScroll : public QWidget {
    Q_OBJECT

  public:
    CreditsScroll(QWidget* parent, const QString& text, const QFont& font, bool paletteAnimation);

    // One frame; false when the text has scrolled out of the top.
    bool Advance();
    int Frame() const { return frame_; }
    int TextHeight() const { return text_.height(); }
    const QImage& Canvas() const { return canvas_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage text_;    // the text, one bit per pixel (set: ink), as wide as the client area
    QImage canvas_;  // what shows: palette indices, kBlack for the background
    bool paletteAnimation_ = true;
    int frame_ = 0;
};
