#pragma once
// File services over local POSIX files, just enough for the log file: CreateFile with its
// creation modes and an exclusive share mode (kept within this process), SetFilePointer,
// WriteFile and CloseHandle. Every other call fails.

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "platform/file_services.h"

namespace report_test {

class LocalFiles : public win::FileServices {
  public:
    ~LocalFiles() override {
        for (const auto& [handle, file] : open_) {
            ::close(file.fd);
        }
    }

    int OpenCount() const { return static_cast<int>(open_.size()); }

    win::HANDLE CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t) override {
        for (const auto& [handle, file] : open_) {
            if (file.path == path && (file.share == 0 || shareMode == 0)) {
                lastError_ = win::ERROR_SHARING_VIOLATION;
                return win::INVALID_HANDLE_VALUE;
            }
        }
        int flags = 0;
        if ((access & win::GENERIC_READ) && (access & win::GENERIC_WRITE)) {
            flags = O_RDWR;
        } else if (access & win::GENERIC_WRITE) {
            flags = O_WRONLY;
        } else {
            flags = O_RDONLY;
        }
        switch (creation) {
            case win::CREATE_NEW:
                flags |= O_CREAT | O_EXCL;
                break;
            case win::CREATE_ALWAYS:
                flags |= O_CREAT | O_TRUNC;
                break;
            case win::OPEN_ALWAYS:
                flags |= O_CREAT;
                break;
            case win::TRUNCATE_EXISTING:
                flags |= O_TRUNC;
                break;
            default:
                break;
        }
        const int fd = ::open(path, flags, 0644);
        if (fd < 0) {
            lastError_ = errno == ENOENT ? win::ERROR_PATH_NOT_FOUND : win::ERROR_ACCESS_DENIED;
            return win::INVALID_HANDLE_VALUE;
        }
        const win::HANDLE handle = nextHandle_++;
        open_[handle] = OpenFile{fd, path, shareMode};
        return handle;
    }
    bool WriteFile(win::HANDLE h, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override {
        auto it = open_.find(h);
        if (it == open_.end()) {
            return Fail(win::ERROR_INVALID_HANDLE);
        }
        ++writes;
        const ssize_t n = ::write(it->second.fd, buffer, toWrite);
        if (written) {
            *written = n > 0 ? static_cast<std::uint32_t>(n) : 0;
        }
        return n == static_cast<ssize_t>(toWrite);
    }
    bool SetFilePointer(win::HANDLE h, std::int64_t distance, std::uint32_t method,
                        std::uint64_t* newPosition) override {
        auto it = open_.find(h);
        if (it == open_.end()) {
            return Fail(win::ERROR_INVALID_HANDLE);
        }
        const int whence = method == win::FILE_END       ? SEEK_END
                           : method == win::FILE_CURRENT ? SEEK_CUR
                                                         : SEEK_SET;
        const off_t position = ::lseek(it->second.fd, static_cast<off_t>(distance), whence);
        if (position < 0) {
            return Fail(win::ERROR_INVALID_PARAMETER);
        }
        if (newPosition) {
            *newPosition = static_cast<std::uint64_t>(position);
        }
        return true;
    }
    bool CloseHandle(win::HANDLE h) override {
        auto it = open_.find(h);
        if (it == open_.end()) {
            return Fail(win::ERROR_INVALID_HANDLE);
        }
        ::close(it->second.fd);
        open_.erase(it);
        return true;
    }
    std::uint32_t GetLastError() override { return lastError_; }
    void SetLastError(std::uint32_t code) override { lastError_ = code; }

    // Not needed by the log file.
    bool ReadFile(win::HANDLE, void*, std::uint32_t, std::uint32_t*) override { return Fail(); }
    win::HANDLE FindFirstFile(const char*, win::FindData*) override {
        lastError_ = win::ERROR_FILE_NOT_FOUND;
        return win::INVALID_HANDLE_VALUE;
    }
    bool FindNextFile(win::HANDLE, win::FindData*) override { return Fail(); }
    bool FindClose(win::HANDLE) override { return Fail(); }
    std::uint32_t GetFileAttributes(const char*) override { return win::INVALID_FILE_ATTRIBUTES; }
    bool SetFileAttributes(const char*, std::uint32_t) override { return Fail(); }
    std::uint32_t GetShortPathName(const char*, char*, std::uint32_t) override { return 0; }
    std::uint32_t GetTempFileName(const char*, const char*, std::uint32_t, char*) override {
        return 0;
    }
    bool MoveFile(const char*, const char*) override { return Fail(); }
    bool MoveFileEx(const char*, const char*, std::uint32_t) override { return Fail(); }
    bool DeleteFile(const char*) override { return Fail(); }
    bool CreateDirectory(const char*) override { return Fail(); }
    bool RemoveDirectory(const char*) override { return Fail(); }
    bool SetEndOfFile(win::HANDLE) override { return Fail(); }
    bool GetFileInformationByHandle(win::HANDLE, win::FileStatInformation*) override {
        return Fail();
    }
    bool GetFileInformationByName(const char*, win::FileStatInformation*) override {
        return Fail();
    }
    bool GetVolumeInformation(const char*, char*, std::uint32_t, std::uint32_t*, std::uint32_t*,
                              std::uint32_t*, char*, std::uint32_t) override {
        return Fail();
    }

    int writes = 0;  // WriteFile calls

  private:
    struct OpenFile {
        int fd;
        std::string path;
        std::uint32_t share;
    };
    bool Fail(std::uint32_t code = win::ERROR_INVALID_PARAMETER) {
        lastError_ = code;
        return false;
    }

    std::map<win::HANDLE, OpenFile> open_;
    win::HANDLE nextHandle_ = 1;
    std::uint32_t lastError_ = 0;
};

}  // namespace report_test
