// The simulator's cache of directories: the directories in use stay whatever their size, the
// others are bounded.
#include "netware/sim/directory_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Listing {
    std::size_t names = 0;
    std::size_t Items() const { return names; }
};

using Cache = sim::DirectoryCache<Listing>;

// Two directories larger than the bound used in turn, as a copy uses its source and its
// destination: neither pushes the other out, so neither is read again.
TEST(DirectoryCacheTest, TwoLargeDirectoriesInUseKeepEachOther) {
    Cache cache(8, 100);
    cache.Put("src", {170});
    cache.Put("dst", {1});
    for (int call = 0; call < 3; ++call) {
        ASSERT_NE(cache.Find("src"), nullptr) << call;
        ASSERT_NE(cache.Find("dst"), nullptr) << call;
        cache.Find("dst")->names += 60;  // the destination grows past the bound too
    }
    EXPECT_EQ(cache.Find("src")->names, 170u);
}

// Directories walked once and left are bounded in directories and in items; those used last
// stay.
TEST(DirectoryCacheTest, OthersAreBoundedInDirectoriesAndItems) {
    struct Case {
        const char* name;
        std::size_t namesEach;
    };
    for (const Case& c : {Case{"many small", 1}, Case{"few large", 40}}) {
        SCOPED_TRACE(c.name);
        Cache cache(8, 100);
        for (int i = 0; i < 50; ++i) {
            cache.Put("walked" + std::to_string(i), {c.namesEach});
            EXPECT_LE(cache.Size(), 8u);
        }
        EXPECT_NE(cache.Find("walked49"), nullptr);
        EXPECT_NE(cache.Find("walked48"), nullptr);
        EXPECT_EQ(cache.Find("walked0"), nullptr);
    }
}

// A directory out of use is no longer protected: with a large one left behind, the bound
// lets it go once others are used.
TEST(DirectoryCacheTest, ALargeDirectoryLeftGoesOnceOthersAreInUse) {
    Cache cache(8, 100);
    cache.Put("left", {500});
    for (int i = 0; i < 5; ++i)
        cache.Put("next" + std::to_string(i), {1});
    EXPECT_EQ(cache.Find("left"), nullptr);
    EXPECT_NE(cache.Find("next4"), nullptr);
}

}  // namespace
