#include "util/string_table.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// Sorted by number by the build step that generates the list.
constexpr StringTableEntry kEntries[] = {
#include "string_table_entries.inc"
};

// An entry is loaded into a 260-character scratch buffer, terminator included.
constexpr std::size_t kScratchSize = 260;
// Each result holds a whole continued chain, terminator included.
constexpr std::size_t kResultSize = 520;
constexpr int kResultBuffers = 3;

constexpr bool EntriesSortedAndUnique() {
    for (std::size_t i = 1; i < std::size(kEntries); ++i) {
        if (kEntries[i - 1].number >= kEntries[i].number) {
            return false;
        }
    }
    return true;
}

constexpr bool EntriesFitScratch() {
    for (const StringTableEntry& entry : kEntries) {
        if (std::char_traits<char>::length(entry.text) >= kScratchSize) {
            return false;
        }
    }
    return true;
}

static_assert(EntriesSortedAndUnique(), "string table numbers must be sorted and unique");
static_assert(EntriesFitScratch(), "a string-table entry holds at most 259 characters");

char resultBuffers[kResultBuffers][kResultSize];
int nextResult = 0;

const StringTableEntry* tableBegin = std::begin(kEntries);
const StringTableEntry* tableEnd = std::end(kEntries);

const char* FindEntry(unsigned number) {
    const StringTableEntry* end = tableEnd;
    const StringTableEntry* found = std::lower_bound(
        tableBegin, end, number,
        [](const StringTableEntry& entry, unsigned wanted) { return entry.number < wanted; });
    return (found != end && found->number == number) ? found->text : nullptr;
}

// Copies an entry into the scratch buffer as a LoadString call with room for 260 characters
// would, and returns the number of characters loaded (0 for a missing or empty entry).
std::size_t LoadEntry(unsigned number, char (&scratch)[kScratchSize]) {
    scratch[0] = '\0';
    const char* text = FindEntry(number);
    if (text == nullptr) {
        return 0;
    }
    const std::size_t length = std::min(std::strlen(text), kScratchSize - 1);
    std::memcpy(scratch, text, length);
    scratch[length] = '\0';
    return length;
}

// Appends as much of text as still fits; a chain longer than the result buffer is cut there.
void Append(char* result, std::size_t& used, const char* text, std::size_t length) {
    const std::size_t room = kResultSize - 1 - used;
    const std::size_t taken = std::min(length, room);
    std::memcpy(result + used, text, taken);
    used += taken;
    result[used] = '\0';
}

}  // namespace

void UseStringTableForTesting(const StringTableEntry* entries, std::size_t count) {
    if (entries == nullptr) {
        tableBegin = std::begin(kEntries);
        tableEnd = std::end(kEntries);
    } else {
        tableBegin = entries;
        tableEnd = entries + count;
    }
}

const char* LoadResString(unsigned number) {
    char* result = resultBuffers[nextResult];
    nextResult = (nextResult + 1) % kResultBuffers;
    result[0] = '\0';

    char scratch[kScratchSize];
    std::size_t used = 0;
    for (;;) {
        const std::size_t length = LoadEntry(number, scratch);
        if (length == 0) {
            break;
        }
        if (scratch[0] != '!') {
            Append(result, used, scratch, length);
            break;
        }
        Append(result, used, scratch + 1, length - 1);
        // Stop at the end of the number range, and once the buffer is full nothing more fits.
        if (number >= 0xFFFFu || used == kResultSize - 1) {
            break;
        }
        ++number;
    }
    return result;
}
