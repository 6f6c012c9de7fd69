#include "util/byte_count.h"

#include <ostream>

namespace {

constexpr ByteCount kZero{0, 0};

bool Bit63(const ByteCount& v) {
    return (v.high & 0x80000000u) != 0;
}

void ShiftLeftOne(ByteCount& v) {
    v.high = (v.high << 1) | (v.low >> 31);
    v.low <<= 1;
}

void ShiftRightOne(ByteCount& v) {
    v.low = (v.low >> 1) | (v.high << 31);
    v.high >>= 1;
}

}  // namespace

void ByteCount::SetBit(unsigned n, bool on) {
    if (n > 63) {
        return;
    }
    std::uint32_t& word = n < 32 ? low : high;
    const std::uint32_t mask = 1u << (n % 32);
    word = on ? (word | mask) : (word & ~mask);
}

bool ByteCount::TestBit(unsigned n) const {
    if (n > 63) {
        return false;
    }
    const std::uint32_t word = n < 32 ? low : high;
    return (word & (1u << (n % 32))) != 0;
}

ByteCount operator+(const ByteCount& a, const ByteCount& b) {
    ByteCount sum;
    sum.low = a.low + b.low;
    const std::uint32_t carry = sum.low < (a.low > b.low ? a.low : b.low) ? 1 : 0;
    // The high words with the carry must stay below 2^32; widen to see the overflow.
    const std::uint64_t high = std::uint64_t{a.high} + b.high + carry;
    if (high > 0xFFFFFFFFu) {
        return ByteCount::Error();
    }
    sum.high = static_cast<std::uint32_t>(high);
    // A sum of exactly 2^64 - 1 is the reserved value: it cannot be a count.
    return sum;
}

ByteCount operator-(const ByteCount& a, const ByteCount& b) {
    if (a.IsError() || b.IsError() || b > a) {
        return ByteCount::Error();
    }
    if (a.low < b.low) {
        return ByteCount{a.high - b.high - 1, a.low - b.low};  // low wraps by 2^32
    }
    return ByteCount{a.high - b.high, a.low - b.low};
}

// Shift and add: the smaller operand drives the loop, the larger is doubled each step. Once the
// doubled operand has lost a bit off its top, any further partial sum would overflow.
ByteCount operator*(const ByteCount& a, const ByteCount& b) {
    if (a.IsError() || b.IsError()) {
        return ByteCount::Error();
    }
    ByteCount m = a < b ? a : b;
    ByteCount g = a < b ? b : a;
    ByteCount accumulator = kZero;
    bool lostBit = false;
    while (!m.IsZero()) {
        if (m.low & 1u) {
            if (lostBit) {
                return ByteCount::Error();
            }
            accumulator = accumulator + g;  // an overflowing partial sum stays in error
        }
        ShiftRightOne(m);
        if (Bit63(g)) {
            lostBit = true;
        }
        ShiftLeftOne(g);
    }
    return accumulator;
}

// Restoring long division: the divisor is shifted up under the dividend, then subtracted and
// shifted back down one quotient bit at a time.
ByteCountDivision DivMod(const ByteCount& a, const ByteCount& b) {
    if (a.IsError() || b.IsError() || b.IsZero()) {
        return ByteCountDivision{ByteCount::Error(), ByteCount::Error()};
    }
    ByteCount quotient = kZero;
    ByteCount d = b;
    ByteCount r = a;
    unsigned n = 0;
    while (d < r && !Bit63(d)) {
        ShiftLeftOne(d);
        ++n;
    }
    if (d > r && n > 0) {
        ShiftRightOne(d);
        --n;
    }
    while (d <= r) {
        r = r - d;
        quotient.SetBit(n, true);
        while (d > r && n > 0) {
            ShiftRightOne(d);
            --n;
        }
    }
    return ByteCountDivision{quotient, r};
}

ByteCount& ByteCount::operator+=(const ByteCount& b) {
    return *this = *this + b;
}
ByteCount& ByteCount::operator-=(const ByteCount& b) {
    return *this = *this - b;
}
ByteCount& ByteCount::operator*=(const ByteCount& b) {
    return *this = *this * b;
}
ByteCount& ByteCount::operator/=(const ByteCount& b) {
    return *this = *this / b;
}
ByteCount& ByteCount::operator%=(const ByteCount& b) {
    return *this = *this % b;
}
ByteCount& ByteCount::operator|=(const ByteCount& b) {
    return *this = *this | b;
}
ByteCount& ByteCount::operator&=(const ByteCount& b) {
    return *this = *this & b;
}
ByteCount& ByteCount::operator^=(const ByteCount& b) {
    return *this = *this ^ b;
}
ByteCount& ByteCount::operator<<=(unsigned n) {
    return *this = *this << n;
}
ByteCount& ByteCount::operator>>=(unsigned n) {
    return *this = *this >> n;
}

ByteCount& ByteCount::operator++() {
    if (IsError()) {
        return *this;
    }
    if (++low == 0 && ++high == 0) {
        return *this = Error();  // carry out of the high word
    }
    return *this;  // 2^64 - 2 + 1 lands on the reserved value by itself
}

// Decrementing the error state keeps it in error, like every other arithmetic on it.
ByteCount& ByteCount::operator--() {
    if (IsError() || IsZero()) {
        return *this = Error();
    }
    if (low == 0) {
        --high;
    }
    --low;
    return *this;
}

ByteCount operator<<(const ByteCount& a, unsigned n) {
    if (n >= 64) {
        return kZero;
    }
    ByteCount v = a;
    for (unsigned i = 0; i < n; ++i) {
        ShiftLeftOne(v);
    }
    return v;
}

ByteCount operator>>(const ByteCount& a, unsigned n) {
    if (n >= 64) {
        return kZero;
    }
    ByteCount v = a;
    for (unsigned i = 0; i < n; ++i) {
        ShiftRightOne(v);
    }
    return v;
}

namespace {

// Appends one character when it and a terminator still fit in the caller's length.
class BoundedText {
  public:
    BoundedText(char* buffer, std::size_t length) : buffer_(buffer), length_(length) {}
    bool Put(char c) {
        if (used_ + 2 > length_) {
            return false;
        }
        buffer_[used_++] = c;
        return true;
    }
    bool Finish() {
        buffer_[used_] = '\0';
        return true;
    }
    bool Fail() {
        buffer_[0] = '\0';
        return false;
    }

  private:
    char* buffer_;
    std::size_t length_;
    std::size_t used_ = 0;
};

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

bool FormatByteCount(const ByteCount& value, char* buffer, std::size_t length, unsigned flags) {
    if (buffer == nullptr || length < 8) {
        return false;
    }
    BoundedText text(buffer, length);
    if (value.IsError()) {
        for (const char* p = "#ERROR#"; *p; ++p) {
            text.Put(*p);  // always fits: length is at least 8
        }
        return text.Finish();
    }
    const bool decimal = (flags & kByteCountDecimal) != 0;
    const bool hex = !decimal && (flags & kByteCountHex) != 0;
    const std::uint32_t base = decimal ? 10 : hex ? 16 : 2;
    const bool separators = decimal && (flags & kByteCountSeparators) != 0;

    // Digits come out least significant first; gather them, then place them in reading order.
    char digits[64];
    std::size_t count = 0;
    ByteCount rest = value;
    do {
        const ByteCountDivision step = DivMod(rest, base);
        digits[count++] = kDigits[step.remainder.low];
        rest = step.quotient;
    } while (!rest.IsZero());

    if (hex) {
        if (!text.Put('0') || !text.Put('x')) {
            return text.Fail();
        }
        for (std::size_t pad = count; pad < 16; ++pad) {
            if (!text.Put('0')) {
                return text.Fail();
            }
        }
    }
    for (std::size_t i = count; i-- > 0;) {
        if (!text.Put(digits[i])) {
            return text.Fail();
        }
        if (separators && i > 0 && i % 3 == 0 && !text.Put(',')) {
            return text.Fail();
        }
    }
    if (base == 2 && !text.Put('b')) {
        return text.Fail();
    }
    return text.Finish();
}

std::ostream& operator<<(std::ostream& out, const ByteCount& value) {
    char buffer[kByteCountBufferSize] = {};
    FormatByteCount(value, buffer, sizeof buffer, kByteCountDecimal | kByteCountSeparators);
    return out << buffer;
}

std::string FormatCount(const ByteCount& value) {
    char buffer[kByteCountBufferSize] = {};
    FormatByteCount(value, buffer, sizeof buffer, kByteCountDecimal | kByteCountSeparators);
    return std::string(buffer);
}
