#pragma once
// File services that hand every call on to others unchanged: the base of layers that change
// only a few calls.

#include "platform/file_services.h"

namespace dryrun {

class ForwardingFiles : public win::FileServices {
  public:
    explicit ForwardingFiles(win::FileServices& inner) : inner_(inner) {}

    win::HANDLE FindFirstFile(const char* pattern, win::FindData* data) override {
        return inner_.FindFirstFile(pattern, data);
    }
    bool FindNextFile(win::HANDLE find, win::FindData* data) override {
        return inner_.FindNextFile(find, data);
    }
    bool FindClose(win::HANDLE find) override { return inner_.FindClose(find); }
    std::uint32_t GetFileAttributes(const char* path) override {
        return inner_.GetFileAttributes(path);
    }
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override {
        return inner_.SetFileAttributes(path, attributes);
    }
    std::uint32_t GetShortPathName(const char* longPath, char* shortPath,
                                   std::uint32_t length) override {
        return inner_.GetShortPathName(longPath, shortPath, length);
    }
    std::uint32_t GetTempFileName(const char* directory, const char* prefix, std::uint32_t unique,
                                  char* tempFile) override {
        return inner_.GetTempFileName(directory, prefix, unique, tempFile);
    }
    bool MoveFile(const char* from, const char* to) override { return inner_.MoveFile(from, to); }
    bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) override {
        return inner_.MoveFileEx(from, to, flags);
    }
    bool DeleteFile(const char* path) override { return inner_.DeleteFile(path); }
    bool CreateDirectory(const char* path) override { return inner_.CreateDirectory(path); }
    bool RemoveDirectory(const char* path) override { return inner_.RemoveDirectory(path); }
    win::HANDLE CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t creation, std::uint32_t flags) override {
        return inner_.CreateFile(path, access, shareMode, creation, flags);
    }
    bool ReadFile(win::HANDLE file, void* buffer, std::uint32_t toRead,
                  std::uint32_t* read) override {
        return inner_.ReadFile(file, buffer, toRead, read);
    }
    bool WriteFile(win::HANDLE file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override {
        return inner_.WriteFile(file, buffer, toWrite, written);
    }
    bool SetFilePointer(win::HANDLE file, std::int64_t distance, std::uint32_t method,
                        std::uint64_t* newPosition) override {
        return inner_.SetFilePointer(file, distance, method, newPosition);
    }
    bool SetEndOfFile(win::HANDLE file) override { return inner_.SetEndOfFile(file); }
    bool CloseHandle(win::HANDLE handle) override { return inner_.CloseHandle(handle); }
    bool GetFileInformationByHandle(win::HANDLE file, win::FileStatInformation* info) override {
        return inner_.GetFileInformationByHandle(file, info);
    }
    bool GetFileInformationByName(const char* path, win::FileStatInformation* info) override {
        return inner_.GetFileInformationByName(path, info);
    }
    bool GetVolumeInformation(const char* rootPath, char* volumeName, std::uint32_t volumeNameSize,
                              std::uint32_t* serialNumber, std::uint32_t* maxComponentLength,
                              std::uint32_t* fileSystemFlags, char* fileSystemName,
                              std::uint32_t fileSystemNameSize) override {
        return inner_.GetVolumeInformation(rootPath, volumeName, volumeNameSize, serialNumber,
                                           maxComponentLength, fileSystemFlags, fileSystemName,
                                           fileSystemNameSize);
    }
    std::uint32_t GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(std::uint32_t code) override { return inner_.SetLastError(code); }

  protected:
    win::FileServices& inner_;
};

}  // namespace dryrun
