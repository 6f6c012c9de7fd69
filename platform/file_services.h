#pragma once
// The Windows file services the engine uses, as one interface. The simulated network serves
// paths on NetWare volumes (\\SERVER\VOLUME\path, mapped drive letters, local paths under the
// network root); every other path goes to the local file system through the same calls.
//
// Calls follow the Win32 conventions: a false / INVALID result means failure, and the reason
// is then available from GetLastError() with the Windows error codes below.

#include <cstdint>
#include <memory>
#include <string>

namespace win {

// Error codes (GetLastError).
constexpr std::uint32_t ERROR_SUCCESS = 0;
constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
constexpr std::uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
constexpr std::uint32_t ERROR_WRITE_FAULT = 29;
constexpr std::uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr std::uint32_t ERROR_LOCK_VIOLATION = 33;
constexpr std::uint32_t ERROR_HANDLE_DISK_FULL = 39;
constexpr std::uint32_t ERROR_FILE_EXISTS = 80;
constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr std::uint32_t ERROR_DISK_FULL = 112;
constexpr std::uint32_t ERROR_INVALID_NAME = 123;
constexpr std::uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr std::uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr std::uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr std::uint32_t ERROR_MORE_DATA = 234;

// File attributes (the low byte of the NetWare attribute word on network files).
constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// CreateFile.
constexpr std::uint32_t GENERIC_READ = 0x80000000;
constexpr std::uint32_t GENERIC_WRITE = 0x40000000;
constexpr std::uint32_t FILE_SHARE_READ = 0x01;
constexpr std::uint32_t FILE_SHARE_WRITE = 0x02;
constexpr std::uint32_t FILE_SHARE_DELETE = 0x04;
constexpr std::uint32_t CREATE_NEW = 1;
constexpr std::uint32_t CREATE_ALWAYS = 2;
constexpr std::uint32_t OPEN_EXISTING = 3;
constexpr std::uint32_t OPEN_ALWAYS = 4;
constexpr std::uint32_t TRUNCATE_EXISTING = 5;

// SetFilePointer.
constexpr std::uint32_t FILE_BEGIN = 0;
constexpr std::uint32_t FILE_CURRENT = 1;
constexpr std::uint32_t FILE_END = 2;

// MoveFileEx.
constexpr std::uint32_t MOVEFILE_REPLACE_EXISTING = 0x01;

// Handles are small integers handed out by the file services; one table serves file handles
// from CreateFile and from NWOpenNSEntry alike.
using HANDLE = std::intptr_t;
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

constexpr std::size_t MAX_PATH = 260;  // 259 characters and a terminator
// Bytes of a buffer that holds a path of MAX_PATH - 1 characters: names are UTF-8, up to four
// bytes a character.
constexpr std::size_t kPathBufferSize = 4 * (MAX_PATH - 1) + 1;

struct FindData {
    std::uint32_t attributes = 0;    // FILE_ATTRIBUTE_* (directory bit 0x10)
    std::uint64_t size = 0;          // full 64-bit size; never cut to 32 bits
    std::int64_t lastWriteTime = 0;  // seconds since the Unix epoch (UTC)
    std::string fileName;            // long name as the directory holds it
    std::string alternateFileName;   // 8.3 alias; empty when the long name is already 8.3
};

// What GetFileInformationByHandle and GetFileInformationByName give: enough to tell whether a
// file is still the one it was, unchanged.
struct FileStatInformation {
    std::uint64_t fileId = 0;        // the file's identity on its volume
    std::uint64_t volumeSerial = 0;  // the volume's
    std::uint64_t size = 0;          // bytes as stored
    std::int64_t lastWriteTime = 0;  // nanoseconds since the Unix epoch
    std::int64_t changeTime = 0;     // the last change of the file or its attributes, likewise

    bool SameFileUnchanged(const FileStatInformation& o) const {
        return fileId == o.fileId && volumeSerial == o.volumeSerial && size == o.size &&
               lastWriteTime == o.lastWriteTime && changeTime == o.changeTime;
    }
};

class FileServices {
  public:
    virtual ~FileServices() = default;

    // Enumeration: pattern is "DIR\*.*" (every entry) or "DIR\NAME" (that one entry, used as
    // an existence lookup; NAME matches the long name or the 8.3 alias, in any case). As on
    // Windows, a directory that is not a volume root lists "." and ".." first.
    virtual HANDLE FindFirstFile(const char* pattern, FindData* data) = 0;
    virtual bool FindNextFile(HANDLE find, FindData* data) = 0;
    virtual bool FindClose(HANDLE find) = 0;

    virtual std::uint32_t GetFileAttributes(const char* path) = 0;
    virtual bool SetFileAttributes(const char* path, std::uint32_t attributes) = 0;
    // Returns the length written (without terminator), or 0 on failure; when the buffer is
    // too small, returns the length needed including the terminator and writes nothing.
    virtual std::uint32_t GetShortPathName(const char* longPath, char* shortPath,
                                           std::uint32_t length) = 0;
    // Creates a new empty file "<dir>\<prefix><hex>.TMP" and writes its path into tempFile
    // (kPathBufferSize bytes). Returns the unique number used, 0 on failure.
    virtual std::uint32_t GetTempFileName(const char* directory, const char* prefix,
                                          std::uint32_t unique, char* tempFile) = 0;
    virtual bool MoveFile(const char* from, const char* to) = 0;
    virtual bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) = 0;
    virtual bool DeleteFile(const char* path) = 0;
    virtual bool CreateDirectory(const char* path) = 0;
    virtual bool RemoveDirectory(const char* path) = 0;

    virtual HANDLE CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                              std::uint32_t creation, std::uint32_t flags) = 0;
    virtual bool ReadFile(HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read) = 0;
    virtual bool WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) = 0;
    // One chunk of a copy: what ReadFile of toCopy bytes from source into buffer, then
    // WriteFile of what was read into target, do, with their failures (*failed tells which of
    // the two failed, GetLastError its code; *read and *written what each moved). Services
    // that can move the bytes inside the system without bringing them through buffer do so.
    enum class ChunkStep { None, Read, Write };
    virtual bool CopyFileChunk(HANDLE source, HANDLE target, void* buffer, std::uint32_t toCopy,
                               std::uint32_t* read, std::uint32_t* written, ChunkStep* failed);
    // Moves the position; newPosition (optional) receives the resulting 64-bit position.
    virtual bool SetFilePointer(HANDLE file, std::int64_t distance, std::uint32_t method,
                                std::uint64_t* newPosition) = 0;
    virtual bool SetEndOfFile(HANDLE file) = 0;
    virtual bool CloseHandle(HANDLE handle) = 0;
    // The identity, size and times of an open file, and of the file a path names now.
    virtual bool GetFileInformationByHandle(HANDLE file, FileStatInformation* info) = 0;
    virtual bool GetFileInformationByName(const char* path, FileStatInformation* info) = 0;

    // rootPath is "\\SERVER\VOLUME\" (or a local directory). maxComponentLength is 255 on a
    // long-name volume and 12 on a DOS-only volume. Any out parameter may be null.
    virtual bool GetVolumeInformation(const char* rootPath, char* volumeName,
                                      std::uint32_t volumeNameSize, std::uint32_t* serialNumber,
                                      std::uint32_t* maxComponentLength,
                                      std::uint32_t* fileSystemFlags, char* fileSystemName,
                                      std::uint32_t fileSystemNameSize) = 0;

    virtual std::uint32_t GetLastError() = 0;
    virtual void SetLastError(std::uint32_t code) = 0;
};

// The file services the engine uses. Tests and programs install theirs with SetFiles.
FileServices& Files();
void SetFiles(FileServices* files);

// Closes a handle of the file services when it goes out of scope.
class ScopedHandle {
  public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : handle_(h) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.Release();
        }
        return *this;
    }
    ~ScopedHandle() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        HANDLE h = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset(HANDLE h = INVALID_HANDLE_VALUE) {
        Close();
        handle_ = h;
    }
    // Closes now; returns the result of CloseHandle (true when nothing was open).
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE)
            return true;
        HANDLE h = Release();
        return Files().CloseHandle(h);
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Ends a FindFirstFile enumeration when it goes out of scope.
class ScopedFind {
  public:
    explicit ScopedFind(HANDLE h) : handle_(h) {}
    ScopedFind(const ScopedFind&) = delete;
    ScopedFind& operator=(const ScopedFind&) = delete;
    ~ScopedFind() {
        if (handle_ != INVALID_HANDLE_VALUE)
            Files().FindClose(handle_);
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

}  // namespace win
