#include "util/byte_count.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

namespace {

constexpr std::uint64_t kLargest = 0xFFFFFFFFFFFFFFFEull;  // 2^64 - 2
constexpr std::uint64_t k2to32 = 0x100000000ull;
const ByteCount kError = ByteCount::Error();

ByteCount B(std::uint64_t v) {
    return ByteCount::From(v);
}

std::string Format(const ByteCount& value, unsigned flags, std::size_t length = 66) {
    char buffer[80];
    std::memset(buffer, 'x', sizeof buffer);
    if (!FormatByteCount(value, buffer, length, flags)) {
        return "<false>";
    }
    return buffer;
}

TEST(ByteCountFormat, TableOfTexts) {
    EXPECT_EQ(Format(B(1234567), 1), "1234567");
    EXPECT_EQ(Format(B(1234567), 9), "1,234,567");
    EXPECT_EQ(Format(B(1234567), 2), "0x000000000012D687");
    EXPECT_EQ(Format(B(1234567), 0), "100101101011010000111b");
    EXPECT_EQ(Format(B(0), 1), "0");
    EXPECT_EQ(Format(B(0), 9), "0");
    EXPECT_EQ(Format(B(0), 2), "0x0000000000000000");
    EXPECT_EQ(Format(B(0), 0), "0b");
    EXPECT_EQ(Format(B(999), 9), "999");
    EXPECT_EQ(Format(B(1000), 9), "1,000");
    EXPECT_EQ(Format(B(kLargest), 9), "18,446,744,073,709,551,614");
    for (unsigned flags : {0u, 1u, 2u, 8u, 9u, 10u}) {
        EXPECT_EQ(Format(kError, flags), "#ERROR#") << flags;
    }
}

TEST(ByteCountFormat, BaseChoiceAndSeparators) {
    EXPECT_EQ(Format(B(1234567), 3), "1234567");              // decimal wins over hex
    EXPECT_EQ(Format(B(1234567), 10), "0x000000000012D687");  // no separators in hex
    EXPECT_EQ(Format(B(5), 8), "101b");                       // nor in base 2
    EXPECT_EQ(Format(B(0xABCDEF0123456789ull), 2), "0xABCDEF0123456789");
    EXPECT_EQ(Format(B(kLargest), 2), "0xFFFFFFFFFFFFFFFE");
    EXPECT_EQ(Format(B(100000), 9), "100,000");
    EXPECT_EQ(Format(B(12345678901ull), 9), "12,345,678,901");
    // The longest base-2 text: 64 digits and "b" take the whole 66-byte buffer.
    const std::string binary = Format(B(kLargest), 0);
    EXPECT_EQ(binary, std::string(63, '1') + "0b");
}

TEST(ByteCountFormat, BufferSizes) {
    char buffer[16];
    EXPECT_FALSE(FormatByteCount(B(0), buffer, 7, 9));
    EXPECT_FALSE(FormatByteCount(B(0), nullptr, 66, 9));
    EXPECT_EQ(Format(kError, 9, 8), "#ERROR#");
    EXPECT_EQ(Format(B(1000000), 9, 10), "1,000,000");
    EXPECT_EQ(Format(B(1000000), 9, 9), "<false>");
    EXPECT_EQ(Format(B(0), 2, 19), "0x0000000000000000");
    EXPECT_EQ(Format(B(0), 2, 18), "<false>");
    EXPECT_EQ(Format(B(kLargest), 9, 27), "18,446,744,073,709,551,614");
    EXPECT_EQ(Format(B(kLargest), 9, 26), "<false>");
}

TEST(ByteCountFormat, NeverWritesPastTheBuffer) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(FormatByteCount(B(1000000), buffer, 9, 9));
    for (std::size_t i = 9; i < sizeof buffer; ++i) {
        ASSERT_EQ(buffer[i], 'x') << i;
    }
    // A buffer below the minimum is not touched at all.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(FormatByteCount(B(1), buffer, 7, 9));
    EXPECT_EQ(buffer[0], 'x');
}

TEST(ByteCountFormat, StreamAndConvenienceUseDecimalWithSeparators) {
    std::ostringstream out;
    out << B(1234567) << "|" << kError;
    EXPECT_EQ(out.str(), "1,234,567|#ERROR#");
    EXPECT_EQ(FormatCount(B(kLargest)), "18,446,744,073,709,551,614");
}

TEST(ByteCountArithmetic, AdditionCarriesAndOverflowsToError) {
    EXPECT_EQ((B(0xFFFFFFFFu) + 1u).ToU64(), k2to32);
    EXPECT_EQ((B(k2to32 - 1) + B(k2to32 - 1)).ToU64(), 2 * k2to32 - 2);
    EXPECT_TRUE((B(kLargest) + 1u).IsError());
    EXPECT_EQ(Format(B(kLargest) + 1u, 9), "#ERROR#");
    // High words both 0xFFFFFFFF: error with or without a carry from the low words.
    EXPECT_TRUE((ByteCount{0xFFFFFFFFu, 0} + ByteCount{0xFFFFFFFFu, 0}).IsError());
    EXPECT_TRUE((ByteCount{0xFFFFFFFFu, 5} + ByteCount{0xFFFFFFFFu, 0xFFFFFFF0u}).IsError());
    // A carry out of the low word into a full high word.
    EXPECT_TRUE((ByteCount{0xFFFFFFFFu, 0xFFFFFFF0u} + 0x20u).IsError());
    EXPECT_TRUE((kError + 0u).IsError());
    EXPECT_TRUE((B(0) + kError).IsError());
    ByteCount total{};
    total += 0xFFFFFFFFu;
    total += 0xFFFFFFFFu;
    EXPECT_EQ(total.ToU64(), 2 * 0xFFFFFFFFull);
}

TEST(ByteCountArithmetic, SubtractionBelowZeroIsError) {
    EXPECT_TRUE((B(5) - B(6)).IsError());
    EXPECT_EQ((B(6) - B(6)).ToU64(), 0u);
    EXPECT_EQ((B(k2to32) - 1u).ToU64(), k2to32 - 1);  // borrow
    EXPECT_EQ((B(3 * k2to32 + 2) - B(k2to32 + 5)).ToU64(), 2 * k2to32 - 3);
    EXPECT_TRUE((kError - B(0)).IsError());
    EXPECT_TRUE((kError - kError).IsError());
    EXPECT_TRUE((B(10) - kError).IsError());
}

TEST(ByteCountArithmetic, MultiplicationExactOrError) {
    EXPECT_EQ((B(123456789) * 1000u).ToU64(), 123456789000ull);
    EXPECT_EQ((B(0xFFFFFFFFu) * B(0xFFFFFFFFu)).ToU64(), 0xFFFFFFFE00000001ull);
    EXPECT_EQ((B(kLargest) * 0u).ToU64(), 0u);
    EXPECT_EQ((B(0) * B(kLargest)).ToU64(), 0u);
    EXPECT_EQ((B(kLargest) * 1u).ToU64(), kLargest);
    EXPECT_TRUE((kError * 0u).IsError());
    EXPECT_TRUE((B(k2to32) * B(k2to32)).IsError());
    EXPECT_TRUE((B(k2to32 + 1) * B(k2to32 - 1)).IsError());  // exactly 2^64 - 1
    EXPECT_EQ((B(0x7FFFFFFFFFFFFFFFull) * 2u).ToU64(), kLargest);
    EXPECT_TRUE((B(0x8000000000000000ull) * 2u).IsError());
    EXPECT_TRUE((B(3) * B(0x8000000000000000ull)).IsError());  // lost top bit, larger operand
    ByteCount value = B(1);
    for (int i = 0; i < 63; ++i) {
        value *= 2u;
    }
    EXPECT_EQ(value.ToU64(), 0x8000000000000000ull);
    value *= 2u;
    EXPECT_TRUE(value.IsError());
}

TEST(ByteCountArithmetic, DivisionWithRemainder) {
    auto check = [](std::uint64_t a, std::uint64_t b) {
        const ByteCountDivision d = DivMod(B(a), B(b));
        EXPECT_EQ(d.quotient.ToU64(), a / b) << a << " / " << b;
        EXPECT_EQ(d.remainder.ToU64(), a % b) << a << " % " << b;
    };
    check(10, 3);
    check(3, 10);
    check(10, 10);
    check(0, 7);
    check(kLargest, 1);
    check(kLargest, 10);
    check(kLargest, kLargest);
    check(kLargest, 0x8000000000000000ull);
    check(0x8000000000000000ull, 3);
    check(123456789012345ull, 0xFFFFFFFFull);
    check(k2to32 * 7 + 3, k2to32);
    EXPECT_EQ((B(1234567) / 1000u).ToU64(), 1234u);
    EXPECT_EQ((B(1234567) % 1000u).ToU64(), 567u);
}

TEST(ByteCountArithmetic, DivisionByZeroOrErrorGivesErrorBoth) {
    const ByteCountDivision byZero = DivMod(B(10), B(0));
    EXPECT_TRUE(byZero.quotient.IsError());
    EXPECT_TRUE(byZero.remainder.IsError());
    EXPECT_TRUE(DivMod(kError, 3u).quotient.IsError());
    EXPECT_TRUE(DivMod(kError, 3u).remainder.IsError());
    EXPECT_TRUE((B(10) / kError).IsError());
    EXPECT_TRUE((B(10) % 0u).IsError());
}

TEST(ByteCountArithmetic, ErrorStateIsSticky) {
    ByteCount total = B(kLargest);
    total += 1u;
    ASSERT_TRUE(total.IsError());
    total += 0u;
    total *= 1u;
    total /= 1u;
    ++total;
    total++;
    --total;
    EXPECT_TRUE(total.IsError());
    total = ByteCount{};  // only a new value leaves the error state
    EXPECT_EQ(total.ToU64(), 0u);
}

TEST(ByteCountCounting, IncrementAndDecrement) {
    ByteCount v{0, 0xFFFFFFFFu};
    EXPECT_EQ((v++).ToU64(), 0xFFFFFFFFull);  // post-increment returns the old value
    EXPECT_EQ(v.ToU64(), k2to32);
    EXPECT_EQ((--v).ToU64(), 0xFFFFFFFFull);  // borrow from the high word
    ByteCount largest = B(kLargest);
    EXPECT_TRUE((++largest).IsError());
    ByteCount zero{};
    EXPECT_EQ((zero--).ToU64(), 0u);
    EXPECT_TRUE(zero.IsError());
}

TEST(ByteCountCompare, UnsignedOrderWithErrorOnTop) {
    EXPECT_LT(B(0xFFFFFFFFu), B(k2to32));
    EXPECT_LT(ByteCount({1, 0}), ByteCount({1, 1}));
    EXPECT_GT(kError, B(kLargest));
    EXPECT_GE(kError, kError);
    EXPECT_LE(B(5), B(5));
    EXPECT_FALSE(B(5) < B(5));
    EXPECT_TRUE(B(5) < 6u);
    EXPECT_TRUE(B(k2to32) > 6u);
    EXPECT_EQ(B(7), B(7));
    EXPECT_NE(B(7), B(8));
    EXPECT_TRUE(B(7) == 7u);
}

TEST(ByteCountBits, ShiftsAndWordOperations) {
    EXPECT_EQ((B(1) << 32).ToU64(), k2to32);
    EXPECT_EQ((B(0x80000001u) << 1).ToU64(), 0x100000002ull);  // top of low into high
    EXPECT_EQ((B(k2to32) >> 1).ToU64(), 0x80000000ull);        // bit 0 of high into low
    EXPECT_EQ((B(0x8000000000000001ull) << 1).ToU64(), 2u);    // bit 63 is lost
    EXPECT_EQ((B(kLargest) << 64).ToU64(), 0u);
    EXPECT_EQ((B(kLargest) >> 64).ToU64(), 0u);
    EXPECT_EQ((B(kLargest) >> 63).ToU64(), 1u);
    EXPECT_EQ((ByteCount{1, 2} | ByteCount{4, 8}).ToU64(), (5ull << 32) | 10);
    EXPECT_EQ((ByteCount{3, 3} & ByteCount{6, 5}).ToU64(), (2ull << 32) | 1);
    EXPECT_EQ((ByteCount{3, 3} ^ ByteCount{6, 5}).ToU64(), (5ull << 32) | 6);
    EXPECT_TRUE((~B(0)).IsError());  // no special meaning in bit operations
    EXPECT_EQ((~kError).ToU64(), 0u);

    ByteCount bits{};
    bits.SetBit(0, true);
    bits.SetBit(31, true);
    bits.SetBit(32, true);
    bits.SetBit(63, true);
    EXPECT_EQ(bits.ToU64(), 0x8000000180000001ull);
    EXPECT_TRUE(bits.TestBit(32));
    EXPECT_FALSE(bits.TestBit(33));
    bits.SetBit(63, false);
    EXPECT_FALSE(bits.TestBit(63));
    bits.SetBit(64, true);  // out of range: ignored
    EXPECT_EQ(bits.ToU64(), 0x0000000180000001ull);
    EXPECT_FALSE(bits.TestBit(64));
}

}  // namespace
