// The about box: its layout rules, its placement, closing it, and the credits scroll.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "app/about_box.h"
#include "app/app_icon.h"
#include "app/dialog_units.h"

namespace {

constexpr int kScreenWidth = 800;

AboutContent ShortContent() {
    AboutContent c;
    c.icon = DrawAppIcon(32);
    c.title = QStringLiteral("Farcast 1.0");
    c.body = QStringLiteral("Copies files to many servers.");
    c.credits = QStringLiteral("Credits\n\nSomeone");
    c.memoryLabel = QStringLiteral("Physical Memory:");
    c.memoryValue = QStringLiteral("1024 KB");
    c.processorLabel = QStringLiteral("Processor Type:");
    c.processorValue = QStringLiteral("PENTIUM");
    return c;
}

QString LongText() {
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    return text.trimmed();
}

AboutLayout Lay(const AboutContent& c) {
    return LayOutAboutBox(c, DialogUnits::DialogFont(), AboutTitleFont(), kScreenWidth);
}

TEST(AboutLayout, CellsStackWithoutOverlapping) {
    const AboutLayout l = Lay(ShortContent());
    EXPECT_EQ(l.icon, QRect(4, 4, 32, 32));
    EXPECT_EQ(l.title.topLeft(), QPoint(2 * 4 + 32, 4));
    EXPECT_EQ(l.body.x(), l.title.x());
    EXPECT_EQ(l.body.y(), l.title.bottom() + 1);
    // The information rows lie below the icon and the texts, the buttons below them, and the
    // box ends with the buttons.
    const int textsBottom = std::max(l.icon.bottom(), l.body.bottom());
    EXPECT_GT(l.memoryLabel.y(), textsBottom);
    EXPECT_EQ(l.memoryValue.y(), l.memoryLabel.y());
    EXPECT_EQ(l.processorLabel.y(), l.memoryLabel.bottom() + 1);
    EXPECT_EQ(l.ok.y(), l.processorLabel.bottom() + 1);
    EXPECT_EQ(l.credits.y(), l.ok.y());
    EXPECT_EQ(l.credits.x(), l.ok.right() + 1);
    EXPECT_EQ(l.client.height(), l.ok.bottom() + 1);
    EXPECT_LE(l.credits.right() + 1, l.client.width());
    EXPECT_LE(l.body.right() + 1, l.client.width());
    // Controls are their cells less one unit each way.
    EXPECT_EQ(AboutControlRect(l.ok),
              QRect(l.ok.x(), l.ok.y(), l.ok.width() - 4, l.ok.height() - 4));
}

TEST(AboutLayout, WithoutCreditsOkIsCentred) {
    AboutContent c = ShortContent();
    c.credits.clear();
    const AboutLayout l = Lay(c);
    EXPECT_TRUE(l.credits.isNull());
    EXPECT_LE(std::abs((l.ok.x() + l.ok.width() / 2) - l.client.width() / 2), 1);
}

TEST(AboutLayout, LongTitleAndBodyWrapAtHalfTheScreen) {
    AboutContent c = ShortContent();
    c.title = LongText();
    c.body = LongText();
    const AboutLayout l = Lay(c);
    const int titleLine = QFontMetrics(AboutTitleFont()).height();
    const int bodyLine = QFontMetrics(DialogUnits::DialogFont()).height();
    // Half the screen plus the rounding and the one unit of margin, no wider.
    EXPECT_LE(l.title.width(), kScreenWidth / 2 + 8);
    EXPECT_LE(l.body.width(), kScreenWidth / 2 + 8);
    EXPECT_GE(l.title.height(), 2 * titleLine);
    EXPECT_GE(l.body.height(), 2 * bodyLine);
    EXPECT_LE(l.client.width(), l.title.x() + kScreenWidth / 2 + 8);
}

TEST(AboutLayout, WideCreditsLineWidensTheWholeBox) {
    AboutContent c = ShortContent();
    const int narrow = Lay(c).client.width();
    const QString wide = QString(300, QLatin1Char('W'));
    c.credits = QStringLiteral("Credits\n") + wide;
    const AboutLayout l = Lay(c);
    const int wideWidth = QFontMetrics(DialogUnits::DialogFont()).horizontalAdvance(wide);
    EXPECT_GT(wideWidth, narrow);
    EXPECT_GE(l.client.width(), wideWidth);
    // The buttons share the wider box.
    EXPECT_GT(l.credits.right(), narrow);
}

TEST(AboutPlacement, CentredOverTheOwnerAndKeptOnTheScreen) {
    const QRect screen(0, 0, 1280, 800);
    const QSize box(300, 200);
    EXPECT_EQ(PlaceAboutBox(box, QRect(100, 100, 400, 400), screen), QPoint(150, 200));
    // Owner near each edge: the box stays wholly on the screen.
    EXPECT_EQ(PlaceAboutBox(box, QRect(1200, 700, 155, 400), screen), QPoint(980, 600));
    EXPECT_EQ(PlaceAboutBox(box, QRect(-100, -300, 155, 400), screen), QPoint(0, 0));
    // Larger than the screen: the top-left corner stays visible.
    EXPECT_EQ(PlaceAboutBox(QSize(1400, 900), QRect(0, 0, 100, 100), screen), QPoint(0, 0));
    // A screen that does not start at the origin.
    EXPECT_EQ(PlaceAboutBox(box, QRect(2500, 0, 100, 100), QRect(1280, 0, 1280, 800)),
              QPoint(2260, 0));
}

TEST(AboutBoxWindow, OwnerNearTheScreenEdgeKeepsTheBoxOnTheScreen) {
    QWidget owner;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Past the bottom-left corner of the screen, where no other screen lies.
    owner.setGeometry(screen.left() - 40, screen.bottom() - 40, 155, 400);
    AboutBox box(ShortContent(), &owner);
    const QRect placed(box.pos(), box.size());
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y();
    EXPECT_EQ(box.size(), box.Layout().client);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Farcast"));
}

TEST(AboutBoxWindow, EscapeAndOkCloseIt) {
    QWidget owner;
    owner.show();
    {
        AboutBox box(ShortContent(), &owner);
        box.show();
        ASSERT_TRUE(box.isVisible());
        EXPECT_EQ(box.OkButton()->text(), QStringLiteral("&OK"));
        EXPECT_TRUE(box.OkButton()->isDefault());
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_FALSE(box.isVisible());
    }
    {
        AboutBox box(ShortContent(), &owner);
        box.show();
        box.OkButton()->click();
        EXPECT_FALSE(box.isVisible());
        EXPECT_EQ(box.result(), QDialog::Accepted);
    }
}

TEST(AboutBoxWindow, ShowAboutBoxIsModalAndReturnsWhenClosed) {
    QWidget owner;
    owner.show();
    bool sawModalBox = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
        sawModalBox = box != nullptr;
        if (box)
            box->OkButton()->click();
    });
    ShowAboutBox(&owner);
    EXPECT_TRUE(sawModalBox);
}

TEST(AboutBoxWindow, CreditsScrollUntilAKeyOrAClickStopsThem) {
    QWidget owner;
    owner.show();
    AboutBox box(ShortContent(), &owner);
    box.show();
    ASSERT_NE(box.CreditsButton(), nullptr);
    EXPECT_EQ(box.CreditsButton()->text(), QStringLiteral("&Credits"));

    box.CreditsButton()->click();
    ASSERT_TRUE(box.CreditsRunning());
    EXPECT_EQ(box.CreditsTimer()->interval(), 33);
    EXPECT_TRUE(box.CreditsTimer()->isActive());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(box.AdvanceCreditsFrame());
    EXPECT_TRUE(box.Scroll()->isVisible());
    // A key stops the scroll; it does not close the box, even Escape.
    QTest::keyClick(box.Scroll(), Qt::Key_Escape);
    EXPECT_FALSE(box.CreditsRunning());
    EXPECT_FALSE(box.CreditsTimer()->isActive());
    EXPECT_TRUE(box.isVisible());

    // The right and the middle button do not stop it; the left one does.
    box.CreditsButton()->click();
    ASSERT_TRUE(box.CreditsRunning());
    QTest::mouseClick(box.Scroll(), Qt::RightButton);
    QTest::mouseClick(box.Scroll(), Qt::MiddleButton);
    EXPECT_TRUE(box.CreditsRunning());
    EXPECT_TRUE(box.AdvanceCreditsFrame());
    QTest::mouseClick(box.Scroll(), Qt::LeftButton);
    EXPECT_FALSE(box.CreditsRunning());
    EXPECT_TRUE(box.isVisible());
}

TEST(AboutBoxWindow, CaptionWithoutSystemMenuOrCloseButton) {
    QWidget owner;
    AboutBox box(ShortContent(), &owner);
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

TEST(AboutBoxWindow, CreditsRunThroughTheWholeHeightAndEnd) {
    QWidget owner;
    AboutBox box(ShortContent(), &owner);
    box.show();
    box.StartCredits();
    CreditsScroll* scroll = box.Scroll();
    const int frames = box.height() + scroll->TextHeight();
    for (int i = 0; i < frames; ++i)
        ASSERT_TRUE(box.AdvanceCreditsFrame()) << i;
    EXPECT_FALSE(box.AdvanceCreditsFrame());
}

// Ink pixels of the canvas's bottom rows after the first frames.
int InkPixels(const QImage& canvas) {
    int ink = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            ink += canvas.pixelIndex(x, y) != 48;
    return ink;
}

bool OnlyRedOnBlack(const QImage& canvas) {
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            const QRgb c = canvas.pixel(x, y);
            if (c != qRgb(255, 0, 0) && c != qRgb(0, 0, 0))
                return false;
        }
    return true;
}

TEST(AboutBoxWindow, CreditsColoursTurnLikeAPaletteOrStayRed) {
    QWidget owner;
    AboutBox box(ShortContent(), &owner);
    box.show();
    box.SetPaletteAnimation(true);
    box.StartCredits();
    const int textHeight = box.Scroll()->TextHeight();
    for (int i = 0; i < textHeight; ++i)
        box.AdvanceCreditsFrame();
    const QImage& canvas = box.Scroll()->Canvas();
    EXPECT_GT(InkPixels(canvas), 0);
    const QVector<QRgb> before = canvas.colorTable();
    box.AdvanceCreditsFrame();
    const QVector<QRgb> after = box.Scroll()->Canvas().colorTable();
    for (int k = 0; k < 48; ++k)
        EXPECT_EQ(after[k], before[(k + 1) % 48]) << k;
    EXPECT_EQ(after[48], qRgb(0, 0, 0));
    box.StopCredits();

    box.SetPaletteAnimation(false);
    box.StartCredits();
    for (int i = 0; i < textHeight; ++i)
        box.AdvanceCreditsFrame();
    EXPECT_TRUE(OnlyRedOnBlack(box.Scroll()->Canvas()));
    EXPECT_GT(InkPixels(box.Scroll()->Canvas()), 0);
}

TEST(AboutBoxWindow, WithoutAPaletteTheDisplayGetsRedCredits) {
    QWidget owner;
    AboutBox box(ShortContent(), &owner);
    ASSERT_GT(owner.screen()->depth(), 8) << "the test displays have true colour";
    EXPECT_FALSE(box.PaletteAnimation());
    box.show();
    box.StartCredits();
    for (int i = 0; i < box.Scroll()->TextHeight(); ++i)
        box.AdvanceCreditsFrame();
    EXPECT_TRUE(OnlyRedOnBlack(box.Scroll()->Canvas()));
    EXPECT_GT(InkPixels(box.Scroll()->Canvas()), 0);
}

TEST(AboutBoxContents, PaletteRampsAThirdApart) {
    const auto p = CreditsPalette();
    // Red rises 31, 63, ... 255 from entry 8, holds, falls from entry 32 and is 0 from 39.
    EXPECT_EQ(qRed(p[7]), 0);
    EXPECT_EQ(qRed(p[8]), 31);
    EXPECT_EQ(qRed(p[9]), 63);
    EXPECT_EQ(qRed(p[15]), 255);
    EXPECT_EQ(qRed(p[31]), 255);
    EXPECT_EQ(qRed(p[32]), 223);
    EXPECT_EQ(qRed(p[38]), 31);
    EXPECT_EQ(qRed(p[39]), 0);
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(qGreen(p[(i + 16) % 48]), qRed(p[i])) << i;
        EXPECT_EQ(qBlue(p[(i + 32) % 48]), qRed(p[i])) << i;
    }
}

TEST(AboutBoxContents, MemoryAndProcessorFromTheMachine) {
    EXPECT_EQ(PhysicalMemoryKb("MemTotal:       16318480 kB\nMemFree:  1 kB\n"), 16318480);
    EXPECT_EQ(PhysicalMemoryKb("MemFree:  1 kB\n"), -1);
    EXPECT_EQ(PhysicalMemoryKb(""), -1);

    EXPECT_EQ(ProcessorType("x86_64", "processor\t: 0\ncpu family\t: 25\nmodel\t: 33\n"), 586);
    EXPECT_EQ(ProcessorType("x86_64", "cpu family\t: 6\n"), 586);
    EXPECT_EQ(ProcessorType("i386", "cpu family\t: 5\n"), 586);
    EXPECT_EQ(ProcessorType("i386", "cpu family\t: 4\n"), 486);
    EXPECT_EQ(ProcessorType("i386", "cpu family\t: 3\n"), 386);
    EXPECT_EQ(ProcessorType("x86_64", ""), 586);
    EXPECT_EQ(ProcessorType("arm64", "CPU architecture: 8\n"), 0);
    EXPECT_EQ(ProcessorTypeText(386), QStringLiteral("386"));
    EXPECT_EQ(ProcessorTypeText(486), QStringLiteral("486"));
    EXPECT_EQ(ProcessorTypeText(586), QStringLiteral("PENTIUM"));
    EXPECT_EQ(ProcessorTypeText(0), QStringLiteral("Unknown"));

    const AboutContent mine = DefaultAboutContent();
    EXPECT_TRUE(mine.memoryValue.endsWith(QStringLiteral(" KB")));
    EXPECT_EQ(mine.memoryLabel, QStringLiteral("Physical Memory:"));
    EXPECT_EQ(mine.processorLabel, QStringLiteral("Processor Type:"));
    EXPECT_FALSE(mine.icon.isNull());
    EXPECT_FALSE(mine.credits.isEmpty());
}

}  // namespace
