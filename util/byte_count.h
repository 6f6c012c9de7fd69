#pragma once
// ByteCount: the program's counter for totals that can outgrow 32 bits (bytes, files and
// directories of a run). An unsigned 64-bit value held as two 32-bit words, with one reserved
// value, both words 0xFFFFFFFF, that stands for an error. Arithmetic that would leave the range
// lands in the error state instead of wrapping, and the error state survives further arithmetic,
// so a broken total shows up as "#ERROR#" wherever it is printed. No operation allocates.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

struct ByteCount {
    std::uint32_t high;  // bits 63..32
    std::uint32_t low;   // bits 31..0

    static constexpr std::uint32_t kErrorWord = 0xFFFFFFFFu;

    // The error state; also what ToU64() gives for it (0xFFFFFFFFFFFFFFFF).
    static constexpr ByteCount Error() { return ByteCount{kErrorWord, kErrorWord}; }
    // Builds a counter from a 64-bit value; 0xFFFFFFFFFFFFFFFF is the error state.
    static constexpr ByteCount From(std::uint64_t value) {
        return ByteCount{static_cast<std::uint32_t>(value >> 32),
                         static_cast<std::uint32_t>(value)};
    }
    constexpr std::uint64_t ToU64() const { return (static_cast<std::uint64_t>(high) << 32) | low; }
    constexpr bool IsError() const { return high == kErrorWord && low == kErrorWord; }
    constexpr bool IsZero() const { return high == 0 && low == 0; }

    // Bit n (0..63): below 32 addresses the low word, otherwise bit n - 32 of the high word.
    // Bits outside 0..63 are ignored (SetBit does nothing, TestBit gives false).
    void SetBit(unsigned n, bool on);
    bool TestBit(unsigned n) const;

    ByteCount& operator+=(const ByteCount& b);
    ByteCount& operator-=(const ByteCount& b);
    ByteCount& operator*=(const ByteCount& b);
    ByteCount& operator/=(const ByteCount& b);
    ByteCount& operator%=(const ByteCount& b);
    ByteCount& operator+=(std::uint32_t v) { return *this += ByteCount{0, v}; }
    ByteCount& operator-=(std::uint32_t v) { return *this -= ByteCount{0, v}; }
    ByteCount& operator*=(std::uint32_t v) { return *this *= ByteCount{0, v}; }
    ByteCount& operator/=(std::uint32_t v) { return *this /= ByteCount{0, v}; }
    ByteCount& operator%=(std::uint32_t v) { return *this %= ByteCount{0, v}; }

    ByteCount& operator|=(const ByteCount& b);
    ByteCount& operator&=(const ByteCount& b);
    ByteCount& operator^=(const ByteCount& b);
    ByteCount& operator<<=(unsigned n);
    ByteCount& operator>>=(unsigned n);

    // Increment: carries into the high word; 2^64 - 2 + 1 and the error state give the error
    // state. Decrement: 0 - 1 and the error state give the error state.
    ByteCount& operator++();
    ByteCount& operator--();
    ByteCount operator++(int) {
        ByteCount before = *this;
        ++*this;
        return before;
    }
    ByteCount operator--(int) {
        ByteCount before = *this;
        --*this;
        return before;
    }

    // Word-for-word equality: the error state equals only itself.
    friend constexpr bool operator==(const ByteCount&, const ByteCount&) = default;
};

// Quotient and remainder of one division; both are the error state on a failed division.
struct ByteCountDivision {
    ByteCount quotient;
    ByteCount remainder;
};

// Restoring long division. Divisor 0 or an operand in error puts both results in error.
ByteCountDivision DivMod(const ByteCount& a, const ByteCount& b);
inline ByteCountDivision DivMod(const ByteCount& a, std::uint32_t v) {
    return DivMod(a, ByteCount{0, v});
}

// Arithmetic. Results that would be 2^64 - 1 or more, results below zero, division by zero and
// operands in error give the error state.
ByteCount operator+(const ByteCount& a, const ByteCount& b);
ByteCount operator-(const ByteCount& a, const ByteCount& b);
ByteCount operator*(const ByteCount& a, const ByteCount& b);
inline ByteCount operator/(const ByteCount& a, const ByteCount& b) {
    return DivMod(a, b).quotient;
}
inline ByteCount operator%(const ByteCount& a, const ByteCount& b) {
    return DivMod(a, b).remainder;
}
inline ByteCount operator+(const ByteCount& a, std::uint32_t v) {
    return a + ByteCount{0, v};
}
inline ByteCount operator-(const ByteCount& a, std::uint32_t v) {
    return a - ByteCount{0, v};
}
inline ByteCount operator*(const ByteCount& a, std::uint32_t v) {
    return a * ByteCount{0, v};
}
inline ByteCount operator/(const ByteCount& a, std::uint32_t v) {
    return a / ByteCount{0, v};
}
inline ByteCount operator%(const ByteCount& a, std::uint32_t v) {
    return a % ByteCount{0, v};
}

// Unsigned 64-bit ordering; the error state counts as 2^64 - 1, above every count.
constexpr bool operator<(const ByteCount& a, const ByteCount& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
}
constexpr bool operator>(const ByteCount& a, const ByteCount& b) {
    return b < a;
}
constexpr bool operator<=(const ByteCount& a, const ByteCount& b) {
    return !(b < a);
}
constexpr bool operator>=(const ByteCount& a, const ByteCount& b) {
    return !(a < b);
}
constexpr bool operator<(const ByteCount& a, std::uint32_t v) {
    return a < ByteCount{0, v};
}
constexpr bool operator>(const ByteCount& a, std::uint32_t v) {
    return a > ByteCount{0, v};
}
constexpr bool operator<=(const ByteCount& a, std::uint32_t v) {
    return a <= ByteCount{0, v};
}
constexpr bool operator>=(const ByteCount& a, std::uint32_t v) {
    return a >= ByteCount{0, v};
}
constexpr bool operator==(const ByteCount& a, std::uint32_t v) {
    return a == ByteCount{0, v};
}

// Bit operations: plain word-by-word, the error state is not treated specially.
constexpr ByteCount operator|(const ByteCount& a, const ByteCount& b) {
    return ByteCount{a.high | b.high, a.low | b.low};
}
constexpr ByteCount operator&(const ByteCount& a, const ByteCount& b) {
    return ByteCount{a.high & b.high, a.low & b.low};
}
constexpr ByteCount operator^(const ByteCount& a, const ByteCount& b) {
    return ByteCount{a.high ^ b.high, a.low ^ b.low};
}
constexpr ByteCount operator~(const ByteCount& a) {
    return ByteCount{~a.high, ~a.low};
}
constexpr ByteCount operator|(const ByteCount& a, std::uint32_t v) {
    return a | ByteCount{0, v};
}
constexpr ByteCount operator&(const ByteCount& a, std::uint32_t v) {
    return a & ByteCount{0, v};
}
constexpr ByteCount operator^(const ByteCount& a, std::uint32_t v) {
    return a ^ ByteCount { 0, v };
}
// Shifts by 64 or more give 0.
ByteCount operator<<(const ByteCount& a, unsigned n);
ByteCount operator>>(const ByteCount& a, unsigned n);

// Formatting flags.
constexpr unsigned kByteCountDecimal = 1;
constexpr unsigned kByteCountHex = 2;
constexpr unsigned kByteCountSeparators = 8;  // thousands separators, decimal only
// Large enough for the longest text of any base (65 characters in base 2) and the terminator.
constexpr std::size_t kByteCountBufferSize = 66;

// Writes the value as text into buffer (length bytes, terminator included): flag 1 decimal,
// else flag 2 "0x" and 16 hexadecimal digits, else base 2 followed by "b"; flag 8 adds ","
// between groups of three decimal digits. The error state is "#ERROR#" in every base.
// Returns false, without usable text, when buffer is null, length is below 8 or the text and
// its terminator do not fit.
bool FormatByteCount(const ByteCount& value, char* buffer, std::size_t length, unsigned flags);

// Decimal with separators ("1,234,567"), as every message, log line and dialog field shows it.
std::ostream& operator<<(std::ostream& out, const ByteCount& value);
std::string FormatCount(const ByteCount& value);
