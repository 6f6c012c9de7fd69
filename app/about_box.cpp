#include "app/about_box.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSysInfo>
#include <QTimer>

#include "app/app_icon.h"
#include "app/dialog_units.h"
#include "app/resource_text.h"
#include "app/scrambled_text.h"
#include "resources/string_ids.h"

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
// Palette index of the black background in the credits canvas; 0-47 are the colour ramp.
constexpr int kBlack = 48;

int RoundUp(int value, int unit) {
    return unit <= 0 ? value : (value + unit - 1) / unit * unit;
}

// A text block's cell size: its extent wrapped at wrapWidth, rounded up to the units, plus
// one unit each way.
QSize TextCellSize(const QString& text, const QFont& font, int wrapWidth, int ux, int uy) {
    const QRect bounds =
        QFontMetrics(font).boundingRect(QRect(0, 0, wrapWidth, 1 << 20), kTextFlags, text);
    return QSize(RoundUp(bounds.width(), ux) + ux, RoundUp(bounds.height(), uy) + uy);
}

std::string ReadWholeFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A static text control that draws exactly as the layout measured it.
class TextCell : public QWidget {
  public:
    TextCell(QWidget* parent, const QString& text, const QFont& font)
        : QWidget(parent), text_(text) {
        setFont(font);
        setAccessibleName(text);
    }
    const QString& Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), kTextFlags, text_);
    }

  private:
    QString text_;
};

}  // namespace

// ---- contents ----

QFont AboutTitleFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif, QFont::PreferQuality);
    font.setPixelSize(18);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

long PhysicalMemoryKb(const std::string& meminfo) {
    std::istringstream lines(meminfo);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("MemTotal:", 0) != 0)
            continue;
        std::istringstream fields(line.substr(9));
        long kb = -1;
        std::string unit;
        fields >> kb >> unit;
        if (kb < 0)
            return -1;
        // The kernel counts in kB of 1,024 bytes, which is what the box shows.
        if (unit == "MB")
            kb *= 1024;
        return kb;
    }
    return -1;
}

int ProcessorType(const std::string& architecture, const std::string& cpuinfo) {
    const bool x86 = architecture == "x86_64" || architecture == "i386" || architecture == "i486" ||
                     architecture == "i586" || architecture == "i686" || architecture == "x86";
    if (!x86)
        return 0;
    std::istringstream lines(cpuinfo);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("cpu family", 0) != 0)
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            return 0;
        const int family = std::atoi(line.c_str() + colon + 1);
        if (family == 3)
            return 386;
        if (family == 4)
            return 486;
        if (family >= 5)
            return 586;
        return 0;
    }
    // An x86-64 processor without the field is still Pentium-class.
    return architecture == "x86_64" ? 586 : 0;
}

QString ProcessorTypeText(int type) {
    switch (type) {
        case 386:
            return ResText(IDS_ABOUT_CPU_386);
        case 486:
            return ResText(IDS_ABOUT_CPU_486);
        case 586:
            return ResText(IDS_ABOUT_CPU_PENTIUM);
        default:
            return ResText(IDS_ABOUT_CPU_UNKNOWN);
    }
}

AboutContent DefaultAboutContent() {
    AboutContent content;
    content.icon = AppIcon().pixmap(QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize));
    content.title = QString::fromStdString(UnscrambledText(ScrambledText::kAboutTitle));
    content.body = QString::fromStdString(UnscrambledText(ScrambledText::kAboutBody));
    content.credits = QString::fromStdString(UnscrambledText(ScrambledText::kAboutCredits));
    content.memoryLabel = ResText(IDS_ABOUT_MEMORY_LABEL);
    const long kb = PhysicalMemoryKb(ReadWholeFile("/proc/meminfo"));
    content.memoryValue =
        QString::asprintf(LoadResString(IDS_ABOUT_MEMORY_FORMAT), std::max(kb, 0L));
    content.processorLabel = ResText(IDS_ABOUT_PROCESSOR_LABEL);
    content.processorValue = ProcessorTypeText(ProcessorType(
        QSysInfo::currentCpuArchitecture().toStdString(), ReadWholeFile("/proc/cpuinfo")));
    return content;
}

// ---- layout ----

QRect AboutControlRect(const QRect& cell, int ux, int uy) {
    return QRect(cell.x(), cell.y(), cell.width() - ux, cell.height() - uy);
}

AboutLayout LayOutAboutBox(const AboutContent& content, const QFont& font, const QFont& titleFont,
                           int screenWidth, int ux, int uy) {
    AboutLayout layout;
    const int wrap = std::max(1, screenWidth / 2);
    int w = ux;
    int h = uy;
    int iconWidth = 0;
    if (!content.icon.isNull()) {
        const QSize iconSize = content.icon.deviceIndependentSize().toSize();
        layout.icon = QRect(QPoint(ux, uy), iconSize);
        iconWidth = iconSize.width();
        w += iconWidth + ux;
        h += iconSize.height() + uy;
    }

    const QSize titleSize = TextCellSize(content.title, titleFont, wrap, ux, uy);
    layout.title = QRect(QPoint(2 * ux + iconWidth, uy), titleSize);
    w = layout.title.x() + layout.title.width();
    h = std::max(h, titleSize.height());

    const QSize bodySize = TextCellSize(content.body, font, wrap, ux, uy);
    layout.body = QRect(QPoint(layout.title.x(), layout.title.y() + titleSize.height()), bodySize);
    w = std::max(w, layout.body.x() + layout.body.width());
    h = std::max(h, layout.body.y() + layout.body.height());

    const QFontMetrics fm(font);
    for (const QString* info : {&content.memoryLabel, &content.memoryValue, &content.processorLabel,
                                &content.processorValue})
        w = std::max(w, 2 * RoundUp(fm.horizontalAdvance(*info), ux) + 3 * ux);

    if (!content.credits.isEmpty()) {
        const QRect unwrapped = fm.boundingRect(
            QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::TextExpandTabs, content.credits);
        w = std::max(w, unwrapped.width());
    }

    // Two rows of label and value.
    const int column = (w - ux) / 2;
    const int fontHeight = RoundUp(fm.height(), uy);
    const int row = uy + fontHeight;
    const int y = h + uy;
    layout.memoryLabel = QRect(ux, y, column, row);
    layout.memoryValue = QRect(ux + column, y, column, row);
    layout.processorLabel = QRect(ux, y + row, column, row);
    layout.processorValue = QRect(ux + column, y + row, column, row);
    h = y + 2 * row;

    const int buttonWidth = (w - ux) / 2;
    const int buttonHeight = 3 * fontHeight / 2 + uy;
    if (!content.credits.isEmpty()) {
        layout.ok = QRect(ux, h, buttonWidth, buttonHeight);
        layout.credits = QRect(ux + buttonWidth, h, buttonWidth, buttonHeight);
    } else {
        layout.ok = QRect((w - buttonWidth) / 2, h, buttonWidth, buttonHeight);
    }
    h += buttonHeight;
    layout.client = QSize(w, h);
    return layout;
}

QPoint PlaceAboutBox(QSize frameSize, const QRect& ownerFrame, const QRect& screen) {
    int x = ownerFrame.x() + ownerFrame.width() / 2 - frameSize.width() / 2;
    int y = ownerFrame.y() + ownerFrame.height() / 2 - frameSize.height() / 2;
    x = std::min(x, screen.x() + screen.width() - frameSize.width());
    y = std::min(y, screen.y() + screen.height() - frameSize.height());
    x = std::max(x, screen.x());
    y = std::max(y, screen.y());
    return QPoint(x, y);
}

// ---- credits ----

std::array<QRgb, 48> CreditsPalette() {
    // Each channel's ramp rises in steps of 32 from below zero, holds at full, falls back and
    // holds at zero; green and blue follow red a third and two thirds of the way round.
    std::array<int, 48> ramp{};
    int value = -257;
    for (int i = 0; i < 48; ++i) {
        value += i < 24 ? 32 : -32;
        ramp[i] = std::clamp(value, 0, 255);
    }
    std::array<int, 48> red{}, green{}, blue{};
    for (int i = 0; i < 48; ++i) {
        red[i] = ramp[i];
        green[(i + 16) % 48] = ramp[i];
        blue[(i + 32) % 48] = ramp[i];
    }
    std::array<QRgb, 48> palette{};
    for (int i = 0; i < 48; ++i)
        palette[i] = qRgb(red[i], green[i], blue[i]);
    return palette;
}

bool DisplayHasPalette(const QScreen* screen) {
    return screen && screen->depth() <= 8;
}

CreditsScroll::CreditsScroll(QWidget* parent, const QString& text, const QFont& font,
                             bool paletteAnimation)
    : QWidget(parent), paletteAnimation_(paletteAnimation) {
    setObjectName(QStringLiteral("CreditsScroll"));
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(parent->rect());
    const int width = std::max(1, parent->width());

    // The text, centred and wrapped at the client width, drawn black on white off-screen and
    // kept as one bit per pixel.
    QFont sharp = font;
    sharp.setStyleStrategy(QFont::NoAntialias);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
    const QRect bounds = QFontMetrics(sharp).boundingRect(QRect(0, 0, width, 1 << 20), flags, text);
    QImage drawn(width, std::max(1, bounds.height()), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        painter.setFont(sharp);
        painter.setPen(Qt::black);
        painter.drawText(drawn.rect(), flags, text);
    }
    text_ = drawn.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);

    canvas_ = QImage(width, std::max(1, parent->height()), QImage::Format_Indexed8);
    QVector<QRgb> table(kBlack + 1);
    const auto palette = CreditsPalette();
    for (int i = 0; i < 48; ++i)
        table[i] = paletteAnimation_ ? palette[i] : qRgb(255, 0, 0);
    table[kBlack] = qRgb(0, 0, 0);
    canvas_.setColorTable(table);
    canvas_.fill(kBlack);
}

bool CreditsScroll::Advance() {
    const int height = canvas_.height();
    if (frame_ >= height + text_.height())
        return false;
    const int ink = paletteAnimation_ ? frame_ % 48 : 0;
    if (paletteAnimation_) {
        // Turn the palette by one entry: everything already drawn changes colour at once.
        QVector<QRgb> table = canvas_.colorTable();
        std::rotate(table.begin(), table.begin() + 1, table.begin() + 48);
        canvas_.setColorTable(table);
    }
    // Scroll up one pixel and bring in line frame_ of the text at the bottom.
    const qsizetype stride = canvas_.bytesPerLine();
    if (height > 1)
        std::memmove(canvas_.scanLine(0), canvas_.scanLine(1), stride * (height - 1));
    uchar* bottom = canvas_.scanLine(height - 1);
    std::memset(bottom, kBlack, stride);
    if (frame_ < text_.height()) {
        const int offset = (canvas_.width() - text_.width()) / 2;
        for (int x = 0; x < text_.width(); ++x) {
            // Format_Mono with MonoOnly: index 1 is black, the ink.
            if (text_.pixelIndex(x, frame_) == 1 && x + offset >= 0 && x + offset < canvas_.width())
                bottom[x + offset] = static_cast<uchar>(ink);
        }
    }
    ++frame_;
    update();
    return true;
}

void CreditsScroll::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_);
}

// ---- the window ----

AboutBox::AboutBox(const AboutContent& content, QWidget* owner)
    // A caption without the system-menu box: no close button.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      content_(content) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(ResText(IDS_CAPTION_FARCAST));
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    setFont(DialogUnits::DialogFont());
    // The menu colour, as the box's background.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    paletteAnimation_ = DisplayHasPalette(screen);
    const int screenWidth = screen ? screen->geometry().width() : 1024;
    const QFont titleFont = AboutTitleFont();
    layout_ = LayOutAboutBox(content_, font(), titleFont, screenWidth);
    setFixedSize(layout_.client);

    auto* title = new TextCell(this, content_.title, titleFont);
    title->setObjectName(QStringLiteral("id_%1").arg(kTitleId));
    title->setGeometry(AboutControlRect(layout_.title));
    auto* body = new TextCell(this, content_.body, font());
    body->setObjectName(QStringLiteral("AboutBody"));
    body->setGeometry(AboutControlRect(layout_.body));
    const std::pair<const QString*, const QRect*> infos[] = {
        {&content_.memoryLabel, &layout_.memoryLabel},
        {&content_.memoryValue, &layout_.memoryValue},
        {&content_.processorLabel, &layout_.processorLabel},
        {&content_.processorValue, &layout_.processorValue},
    };
    for (const auto& [text, cell] : infos) {
        auto* info = new TextCell(this, *text, font());
        info->setGeometry(AboutControlRect(*cell));
    }

    ok_ = new QPushButton(ResText(IDS_ABOUT_OK), this);
    ok_->setObjectName(QStringLiteral("id_1"));
    ok_->setDefault(true);
    ok_->setGeometry(AboutControlRect(layout_.ok));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    if (!content_.credits.isEmpty()) {
        credits_ = new QPushButton(ResText(IDS_ABOUT_CREDITS), this);
        credits_->setObjectName(QStringLiteral("id_%1").arg(kCreditsId));
        credits_->setAutoDefault(false);
        credits_->setGeometry(AboutControlRect(layout_.credits));
        connect(credits_, &QPushButton::clicked, this, &AboutBox::StartCredits);
    }

    creditsTimer_ = new QTimer(this);
    creditsTimer_->setInterval(kFrameMilliseconds);
    // Never early: at most one frame every 33 ms.
    creditsTimer_->setTimerType(Qt::PreciseTimer);
    connect(creditsTimer_, &QTimer::timeout, this, [this] {
        if (!AdvanceCreditsFrame())
            StopCredits();
    });

    // Frame margins of a decorated window: taken from the owner, which has the same kind of
    // frame, so that the box is placed by its outer size before it is shown.
    QSize frame = layout_.client;
    QRect ownerFrame;
    if (owner) {
        QWidget* top = owner->window();
        frame += top->frameGeometry().size() - top->geometry().size();
        ownerFrame = top->frameGeometry();
    } else if (screen) {
        ownerFrame = screen->geometry();
    }
    if (screen)
        move(PlaceAboutBox(frame, ownerFrame, screen->availableGeometry()));
}

AboutBox::~AboutBox() = default;

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ok_->setFocus(Qt::ActiveWindowFocusReason);
}

void AboutBox::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!content_.icon.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(layout_.icon.topLeft(), content_.icon);
    }
}

void AboutBox::StartCredits() {
    if (CreditsRunning() || content_.credits.isEmpty())
        return;
    scroll_ = new CreditsScroll(this, content_.credits, font(), paletteAnimation_);
    scroll_->installEventFilter(this);
    scroll_->show();
    scroll_->raise();
    scroll_->setFocus(Qt::OtherFocusReason);
    creditsTimer_->start();
}

void AboutBox::StopCredits() {
    creditsTimer_->stop();
    if (scroll_) {
        scroll_->hide();
        scroll_->deleteLater();
        scroll_ = nullptr;
    }
    // The normal contents come back.
    update();
    ok_->setFocus(Qt::OtherFocusReason);
}

bool AboutBox::CreditsRunning() const {
    return scroll_ != nullptr;
}

bool AboutBox::AdvanceCreditsFrame() {
    return scroll_ && scroll_->Advance();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_) {
        switch (event->type()) {
            case QEvent::ShortcutOverride:
                // Keys go to the scroll, not to the buttons' shortcuts.
                event->accept();
                return true;
            case QEvent::KeyPress:
                StopCredits();
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                // Only the left button stops the scroll; the others are let go by.
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    StopCredits();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAboutBox(QWidget* owner) {
    AboutBox box(DefaultAboutContent(), owner);
    box.exec();
}
