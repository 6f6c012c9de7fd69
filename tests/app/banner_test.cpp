// The start-up banner: its layout in dialog units, its texts, and the timer that closes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/banner.h"
#include "app/scrambled_text.h"

namespace {

TEST(StartupBanner, LaidOutInDialogUnits) {
    QWidget main;
    auto* banner = new StartupBanner(&main);
    const DialogUnits& u = banner->Units();
    EXPECT_EQ(banner->size(), QSize(u.X(156), u.Y(142)));
    EXPECT_EQ(banner->OuterFrame()->geometry(), u.Rect(4, 4, 148, 134));
    EXPECT_EQ(banner->UpperPanel()->geometry(), u.Rect(8, 8, 140, 33));
    EXPECT_EQ(banner->LowerPanel()->geometry(), u.Rect(8, 72, 140, 62));
    EXPECT_EQ(banner->OuterFrame()->frameShape(), QFrame::Box);  // etched: box, sunken
    EXPECT_EQ(banner->OuterFrame()->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(banner->UpperPanel()->frameShape(), QFrame::Panel);
    EXPECT_EQ(banner->LowerPanel()->frameShadow(), QFrame::Sunken);

    const int tops[6] = {11, 19, 27, 106, 114, 122};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        QLabel* line = banner->Line(i);
        EXPECT_EQ(line->geometry(), u.Rect(12, tops[i], 132, 8));
        EXPECT_TRUE(line->alignment() & Qt::AlignHCenter);
        EXPECT_FALSE(line->text().isEmpty());
    }
    // Title lines inside the upper panel, footer lines inside the lower one.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(banner->UpperPanel()->geometry().contains(banner->Line(i)->geometry()));
    for (int i = 3; i < 6; ++i)
        EXPECT_TRUE(banner->LowerPanel()->geometry().contains(banner->Line(i)->geometry()));

    // The icon: centred horizontally, between the two panels.
    QLabel* icon = banner->Icon();
    EXPECT_EQ(icon->objectName(), QStringLiteral("id_2704"));
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_LE(std::abs((icon->x() + icon->width() / 2) - banner->width() / 2), 1);
    EXPECT_EQ(icon->y(), u.Y(48));
    EXPECT_GE(icon->y(), banner->UpperPanel()->geometry().bottom());
    EXPECT_LE(icon->geometry().bottom(), banner->LowerPanel()->y());
}

TEST(StartupBanner, TextsAreTheStoredOnes) {
    QWidget main;
    auto* banner = new StartupBanner(&main);
    EXPECT_EQ(banner->Line(0)->text(), QStringLiteral("Farcast"));
    EXPECT_TRUE(banner->Line(2)->text().contains(QStringLiteral("1.0")));
    const ScrambledText ids[6] = {ScrambledText::kBannerLine1, ScrambledText::kBannerLine2,
                                  ScrambledText::kBannerLine3, ScrambledText::kBannerLine4,
                                  ScrambledText::kBannerLine5, ScrambledText::kBannerLine6};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(banner->Line(i)->text().toStdString(), UnscrambledText(ids[i]));
}

TEST(StartupBanner, TopmostWithoutButtonsOrInput) {
    QWidget main;
    auto* banner = new StartupBanner(&main);
    EXPECT_TRUE(banner->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(banner->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(banner->isWindow());
    EXPECT_TRUE(banner->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(banner->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(banner->findChildren<QPushButton*>().isEmpty());
}

TEST(StartupBanner, CentredAndClosedByItsTimerWhichActivatesTheMainWindow) {
    QWidget main;
    main.setWindowTitle(QStringLiteral("main"));
    main.resize(300, 400);
    main.show();
    ShowStartupBanner(&main);
    QPointer<StartupBanner> banner = main.findChild<StartupBanner*>();
    ASSERT_TRUE(banner);
    EXPECT_TRUE(banner->isVisible());
    // Centred on the screen, to the pixel that the halving gives.
    const QPoint screenCentre = banner->screen()->geometry().center();
    const QPoint centre = banner->frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - screenCentre.x()), 1);
    EXPECT_LE(std::abs(centre.y() - screenCentre.y()), 1);

    QTimer* timer = banner->Timer();
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 3723);
    EXPECT_TRUE(timer->isActive());

    banner->TimerFired();
    EXPECT_FALSE(banner->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(banner.isNull());
    EXPECT_EQ(QApplication::activeWindow(), &main);
}

TEST(ScrambledText, StoredScrambledAndRebuiltExactly) {
    const ScrambledText all[] = {
        ScrambledText::kBannerLine1, ScrambledText::kBannerLine2, ScrambledText::kBannerLine3,
        ScrambledText::kBannerLine4, ScrambledText::kBannerLine5, ScrambledText::kBannerLine6,
        ScrambledText::kAboutTitle,  ScrambledText::kAboutBody,   ScrambledText::kAboutCredits};
    for (ScrambledText which : all) {
        const std::string text = UnscrambledText(which);
        const std::vector<unsigned char> stored = StoredBytes(which);
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(stored.size(), text.size());
        // No stretch of the plain text survives in the program's data.
        const std::string bytes(stored.begin(), stored.end());
        EXPECT_EQ(bytes.find("Farcast"), std::string::npos);
        EXPECT_EQ(bytes.find("NetWare"), std::string::npos);
        for (char c : text)
            EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << text;
    }
    const std::string sample = "Any text, with\nlines";
    const auto scrambled = Scramble(sample, 0x3C);
    EXPECT_EQ(Unscramble(scrambled.data(), scrambled.size(), 0x3C), sample);
    EXPECT_NE(Unscramble(scrambled.data(), scrambled.size(), 0x3D), sample);
}

}  // namespace
