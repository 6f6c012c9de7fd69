// Numbers read from the settings key that a hand edit or another program may have stored:
// window placement values no window can take fall back to their defaults, and BufferSize keeps
// any stored size for the run to allocate or refuse.
#include "settings_fixture.h"

using namespace win;

namespace {

class StoredNumbersTest : public SettingsFixture {
  protected:
    void StoreDword(const char* name, std::uint32_t v) {
        ScopedKey key;
        ASSERT_EQ(
            RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Ostrand\\Farcast", key.Receive(), nullptr),
            ERROR_SUCCESS);
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
        ASSERT_EQ(RegSetValueEx(key.Get(), name, REG_DWORD, bytes, sizeof bytes), ERROR_SUCCESS);
    }
    WindowPlacement Placement() {
        WindowPlacement placement;
        std::uint32_t code = 0;
        EXPECT_TRUE(OpenSettingsKeyAtStartup(&placement, &code));
        return placement;
    }
};

TEST_F(StoredNumbersTest, PlacementOutsideWhatAWindowCanTakeGivesTheDefaults) {
    StoreDword("Left", 0x80000000);  // the most negative 32-bit number
    StoreDword("Top", 32768);
    StoreDword("Width", 0xFFFFFFFF);  // -1
    StoreDword("Height", 4000000000u);
    WindowPlacement p = Placement();
    EXPECT_EQ(p.left, 50);
    EXPECT_EQ(p.top, 50);
    EXPECT_EQ(p.width, 155);
    EXPECT_EQ(p.height, 400);

    StoreDword("Width", 0x80000000);
    StoreDword("Height", 32768);
    p = Placement();
    EXPECT_EQ(p.width, 155);
    EXPECT_EQ(p.height, 400);
}

TEST_F(StoredNumbersTest, PlacementWithinTheWindowSystemsRangeIsKept) {
    // A window left of and above the primary screen is stored as two's complement.
    StoreDword("Left", static_cast<std::uint32_t>(-8));
    StoreDword("Top", static_cast<std::uint32_t>(-32768));
    StoreDword("Width", 32767);
    StoreDword("Height", 1);
    WindowPlacement p = Placement();
    EXPECT_EQ(p.left, -8);
    EXPECT_EQ(p.top, -32768);
    EXPECT_EQ(p.width, 32767);
    EXPECT_EQ(p.height, 1);

    // What exit writes comes back as it was.
    SaveWindowPlacement(WindowPlacement{-1200, -5, 640, 480}, false);
    ResetRegistry();
    p = Placement();
    EXPECT_EQ(p.left, -1200);
    EXPECT_EQ(p.top, -5);
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
}

TEST_F(StoredNumbersTest, BufferSizeKeepsAnyStoredSizeAndZeroReadsAsSixteen) {
    for (std::uint32_t stored : {4194304u, 0xFFFFFFFFu, 1u}) {
        StoreDword("BufferSize", stored);
        LoadOptions();
        EXPECT_EQ(CopyOptions.BufferSize, stored);
    }
    StoreDword("BufferSize", 0);
    LoadOptions();
    EXPECT_EQ(CopyOptions.BufferSize, 16u);
}

}  // namespace
