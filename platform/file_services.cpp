// What the file services do for services that offer nothing better.
#include "platform/file_services.h"

namespace win {

// Through the buffer: the read, then the write of what was read.
bool FileServices::CopyFileChunk(HANDLE source, HANDLE target, void* buffer, std::uint32_t toCopy,
                                 std::uint32_t* read, std::uint32_t* written, ChunkStep* failed) {
    *written = 0;
    *failed = ChunkStep::None;
    if (!ReadFile(source, buffer, toCopy, read)) {
        *read = 0;
        *failed = ChunkStep::Read;
        return false;
    }
    if (*read == 0)
        return true;
    if (!WriteFile(target, buffer, *read, written)) {
        *failed = ChunkStep::Write;
        return false;
    }
    return true;
}

}  // namespace win
