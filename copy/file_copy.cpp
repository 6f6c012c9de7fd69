// Copying one file into a destination directory: through a temporary file in that directory,
// which takes the destination's place in one step once every byte has arrived, followed by the
// source's NetWare metadata.
#include "copy/file_copy.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "copy/case_twins.h"
#include "copy/copy_run.h"
#include "copy/dir_creation.h"
#include "copy/overwrite.h"
#include "copy/path_utils.h"
#include "copy/progress_dialogs.h"
#include "netware/client_startup.h"
#include "netware/trustee_transfer.h"
#include "netware/volume_checks.h"
#include "platform/locale.h"
#include "report/log_file.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "settings/option_values.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// Progress dialog controls.
constexpr int kFromField = 201;
constexpr int kToField = 202;
constexpr int kFileSizeField = 223;
constexpr int kCopiedField = 233;
constexpr int kFileBar = 204;

constexpr std::uint16_t kSearchFiles = 0x8006;

void UpperCase(char* text) {
    for (; *text; ++text)
        *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

// Upper-cases the text from position from on.
void UpperCase(std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
}

// A message format with a second line naming the system call that failed, its code and the
// system's text for it, so that "disk full" or "access denied" is seen.
std::string WithCause(const char* format, const char* call, std::uint32_t code) {
    return std::string(format) +
           FormatText(LoadResString(IDS_FMT_CALL_ERROR), call, code, SystemErrorText(code).c_str());
}

struct NetWareFile {
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE dirHandle = 0;
    char path[win::kPathBufferSize] = {};
    std::uint8_t nameSpace = 0;
};

// Percentage of done in total rounded to the nearest whole number, as MulDiv(done, 100,
// total) rounds; without overflow for any 64-bit size.
int Percent(std::uint64_t done, std::uint64_t total) {
    if (total == 0)
        return 100;
    return static_cast<int>((static_cast<unsigned __int128>(done) * 100 + total / 2) / total);
}

std::string BytesText(std::uint64_t count) {
    return FormatCount(ByteCount::From(count)) + LoadResString(IDS_BYTES);
}

// One call of CopyOneFile: the handles it holds and what it must undo when it gives up.
class FileCopy {
  public:
    FileCopy(const std::string& sourceFile, const std::string& destinationDir)
        : sourceFile_(sourceFile), destinationDir_(destinationDir) {}
    ~FileCopy() { Abandon(); }

    std::uint64_t Run();

  private:
    bool ReadSourceDetails();
    bool ChooseDestinationName();
    bool ReadDestinationDetails();
    bool OpenSource();
    bool ResetAndOpenDestination();
    bool CreateTemporaryFile();
    std::uint64_t CopyData(std::uint64_t total);
    bool SourceChanged();
    bool SetCompressedSizes(std::uint64_t copied);
    void ResetDisplay();
    bool CloseTemporaryFile();
    void GiveTemporaryFileItsMetadata();
    bool ReplaceDestination();
    void ReportShortCopy();

    // Closes everything, deletes the temporary file and gives the destination back the
    // attribute word it had before the copy reset it. Safe to call more than once.
    void Abandon();
    void RemoveTemporaryFile();
    void NoteWhatTheResetLeft();
    bool DestinationAsLeft();

    const std::string& sourceFile_;
    const std::string& destinationDir_;
    std::string destinationFile_;
    std::string temporaryFile_;
    NetWareFile source_;
    NetWareFile destination_;
    EntryInfo sourceInfo_{};
    EntryInfo destinationInfo_{};
    bool destinationExists_ = false;
    bool compressed_ = false;
    bool restoreAttributes_ = false;
    // The destination as the reset left it: its identity and attribute word.
    win::FileStatInformation left_{};
    std::uint32_t leftWord_ = 0;
    bool leftKnown_ = false;
    bool temporaryExists_ = false;
    NWCONN_HANDLE temporaryConn_ = 0;
    NetWareFile temporary_;
    // The source as it was when opened, to tell whether it changed while it was read.
    win::FileStatInformation sourceBefore_{};
    bool sourceKnown_ = false;
    // The read or write that ended the copy loop early, and its Windows error code.
    const char* failedCall_ = nullptr;
    std::uint32_t failedCode_ = 0;
    win::ScopedHandle sourceHandle_;
    win::ScopedHandle destinationHandle_;
    win::ScopedHandle temporaryHandle_;
};

void FileCopy::Abandon() {
    sourceHandle_.Close();
    destinationHandle_.Close();
    temporaryHandle_.Close();
    if (temporaryExists_) {
        temporaryExists_ = false;
        RemoveTemporaryFile();
    }
    if (restoreAttributes_) {
        restoreAttributes_ = false;
        // The word goes back only onto the file it was read from, as the copy left it: a file
        // another program delivered or changed meanwhile keeps what it has now.
        if (!DestinationAsLeft()) {
            ErrorAskContinue(LoadResString(IDS_ERR_RESTORE_SKIPPED), destinationFile_.c_str());
            return;
        }
        // Looked at again as the word goes back, at once: another program's file delivered
        // since the look above keeps what it has.
        bool putBack = false;
        // A destination whose attributes stay reset would have lost its read-only protection
        // without a word: that is said.
        if (NetWare().RestoreAttributesIfUnchanged(destination_.conn, destination_.dirHandle,
                                                   destination_.path, destination_.nameSpace,
                                                   left_.fileId, left_.volumeSerial, leftWord_,
                                                   destinationInfo_.attributes, &putBack) != 0)
            ErrorAskContinue(LoadResString(IDS_ERR_SET_ATTRIBUTES), destinationFile_.c_str(),
                             LastNetWareError);
        else if (!putBack)
            ErrorAskContinue(LoadResString(IDS_ERR_RESTORE_SKIPPED), destinationFile_.c_str());
    }
}

// The temporary file may have been given the source's attributes, read-only among them, which
// would refuse its deletion: they are cleared first. One that still cannot be removed is said;
// the simulator keeps it recorded until it is gone.
void FileCopy::RemoveTemporaryFile() {
    const char* path = temporaryFile_.c_str();
    win::Files().SetFileAttributes(path, win::FILE_ATTRIBUTE_NORMAL);
    if (win::Files().DeleteFile(path))
        return;
    const std::string reason = SystemErrorText(win::Files().GetLastError());
    ErrorAskContinue(LoadResString(IDS_ERR_TEMP_LEFT), path, reason.c_str());
}

// The destination is still the file whose attributes this copy reset, with the word the reset
// left: nobody replaced it or set its attributes since.
bool FileCopy::DestinationAsLeft() {
    win::FileStatInformation now{};
    EntryInfo info{};
    return leftKnown_ && win::Files().GetFileInformationByName(destinationFile_.c_str(), &now) &&
           now.fileId == left_.fileId && now.volumeSerial == left_.volumeSerial &&
           NetWare().NWGetNSEntryInfo(destination_.conn, destination_.dirHandle, destination_.path,
                                      destination_.nameSpace, destination_.nameSpace, nw::SA_ALL,
                                      nw::RETURN_INFO_FOR_COPY, &info) == 0 &&
           info.attributes == leftWord_;
}

bool FileCopy::ReadSourceDetails() {
    if (NetWare().NWParseNetWarePath(sourceFile_.c_str(), &source_.conn, &source_.dirHandle,
                                     source_.path) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_PARSE_PATH), sourceFile_.c_str(), LastNetWareError);
        return false;
    }
    if (!CopyRun.SourceHasLongNames)
        UpperCase(source_.path);
    if (NetWare().NWGetOwningNameSpace(source_.conn, source_.dirHandle, source_.path,
                                       &source_.nameSpace) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_NAMESPACE), sourceFile_.c_str(), LastNetWareError);
        return false;
    }
    if (NetWare().NWGetNSEntryInfo(source_.conn, source_.dirHandle, source_.path, source_.nameSpace,
                                   source_.nameSpace, nw::SA_ALL, nw::RETURN_INFO_FOR_COPY,
                                   &sourceInfo_) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_GET_ATTRIBUTES), sourceFile_.c_str(),
                         LastNetWareError);
        return false;
    }
    return true;
}

bool FileCopy::ChooseDestinationName() {
    std::string nameForm = sourceFile_;
    if (CopyRun.DestHasLongNames) {
        destination_.nameSpace = nw::NS_LONG;
    } else if (CopyRun.SourceHasLongNames) {
        char shortPath[win::kPathBufferSize] = {};
        const std::uint32_t length =
            win::Files().GetShortPathName(sourceFile_.c_str(), shortPath, sizeof shortPath);
        if (length == 0 || length >= sizeof shortPath) {
            const std::string reason = SystemErrorText(win::Files().GetLastError());
            ErrorAskContinue(LoadResString(IDS_ERR_SHORT_NAME), sourceFile_.c_str(),
                             reason.c_str());
            return false;
        }
        nameForm = shortPath;
    }
    destinationFile_ = MakeDestinationFileName(nameForm, destinationDir_);
    if (!WithinPathLimit(destinationFile_)) {
        ErrorAskContinue(LoadResString(IDS_ERR_PATH_TOO_LONG), destinationFile_.c_str());
        return false;
    }
    return true;
}

bool FileCopy::ReadDestinationDetails() {
    if (NetWare().NWParseNetWarePath(destinationFile_.c_str(), &destination_.conn,
                                     &destination_.dirHandle, destination_.path) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_PARSE_PATH), destinationFile_.c_str(),
                         LastNetWareError);
        return false;
    }
    if (!CopyRun.DestHasLongNames)
        UpperCase(destination_.path);
    if (win::Files().GetFileAttributes(destinationFile_.c_str()) == win::INVALID_FILE_ATTRIBUTES) {
        const std::uint32_t error = win::Files().GetLastError();
        if (error != win::ERROR_FILE_NOT_FOUND && error != win::ERROR_PATH_NOT_FOUND) {
            ErrorAskContinue(LoadResString(IDS_ERR_OPEN_CREATE_DEST), destinationFile_.c_str());
            return false;
        }
        return true;
    }
    destinationExists_ = true;
    if (NetWare().NWGetOwningNameSpace(destination_.conn, destination_.dirHandle, destination_.path,
                                       &destination_.nameSpace) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_NAMESPACE), destinationFile_.c_str(),
                         LastNetWareError);
        return false;
    }
    if (NetWare().NWGetNSEntryInfo(destination_.conn, destination_.dirHandle, destination_.path,
                                   destination_.nameSpace, destination_.nameSpace, nw::SA_ALL,
                                   nw::RETURN_INFO_FOR_COPY, &destinationInfo_) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_GET_ATTRIBUTES), destinationFile_.c_str(),
                         LastNetWareError);
        return false;
    }
    // On a long-name volume a name in 8.3 form may reach another entry by its alias: that
    // entry is not the destination, and the name itself is still free.
    if (CopyRun.DestHasLongNames &&
        !SameNameIgnoringCase(destinationInfo_.entryName, LastComponent(destinationFile_))) {
        destinationExists_ = false;
        destinationInfo_ = EntryInfo();
    }
    return true;
}

bool FileCopy::OpenSource() {
    NW_NS_OPENCREATE request;
    request.openCreateMode = nw::OC_MODE_OPEN;
    request.searchAttributes = kSearchFiles;
    request.accessRights = nw::AR_READ | nw::AR_DENY_WRITE;
    if (compressed_)
        request.accessRights |= nw::AR_OPEN_COMPRESSED;
    request.openCreateAction = 1;
    win::HANDLE handle = win::INVALID_HANDLE_VALUE;
    if (NetWare().NWOpenNSEntry(source_.conn, source_.dirHandle, source_.nameSpace, 0, source_.path,
                                &request, &handle) != 0) {
        ErrorAskContinue(LoadResString(IDS_ERR_OPEN_FILE), sourceFile_.c_str(), LastNetWareError);
        return false;
    }
    sourceHandle_.Reset(handle);
    sourceKnown_ = win::Files().GetFileInformationByHandle(handle, &sourceBefore_);
    return true;
}

// Clears the destination's attributes (which also proves they can be changed) and holds the
// destination open for the whole copy.
bool FileCopy::ResetAndOpenDestination() {
    if (!destinationExists_)
        return true;
    const char* path = destinationFile_.c_str();
    // The word to put back is read again right before the reset: another program may have
    // delivered a file of its own under the name since the destination was first looked at.
    win::FileStatInformation before{};
    EntryInfo now{};
    if (win::Files().GetFileInformationByName(path, &before) &&
        NetWare().NWGetNSEntryInfo(destination_.conn, destination_.dirHandle, destination_.path,
                                   destination_.nameSpace, destination_.nameSpace, nw::SA_ALL,
                                   nw::RETURN_INFO_FOR_COPY, &now) == 0)
        destinationInfo_.attributes = now.attributes;
    restoreAttributes_ = true;
    const bool reset = win::Files().SetFileAttributes(path, win::FILE_ATTRIBUTE_READONLY) &&
                       win::Files().SetFileAttributes(path, win::FILE_ATTRIBUTE_NORMAL);
    NoteWhatTheResetLeft();
    // A reset that reached a file other than the one whose word was read cannot be undone
    // with that word: no restore then (DestinationAsLeft refuses it, and says so).
    if (left_.fileId != before.fileId || left_.volumeSerial != before.volumeSerial)
        leftKnown_ = false;
    if (!reset) {
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_OPEN_CREATE_DEST), path);
        return false;
    }
    NW_NS_OPENCREATE request;
    request.openCreateMode = nw::OC_MODE_OPEN;
    request.searchAttributes = kSearchFiles;
    request.accessRights = nw::AR_WRITE | nw::AR_DENY_READ | nw::AR_DENY_WRITE;
    if (destinationInfo_.attributes & nw::A_FILE_COMPRESSED)
        request.accessRights |= nw::AR_OPEN_COMPRESSED;
    request.openCreateAction = 1;
    win::HANDLE handle = win::INVALID_HANDLE_VALUE;
    if (NetWare().NWOpenNSEntry(destination_.conn, destination_.dirHandle, destination_.nameSpace,
                                0, destination_.path, &request, &handle) != 0) {
        const NWCCODE code = LastNetWareError;
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_OPEN_FILE), path, code);
        return false;
    }
    destinationHandle_.Reset(handle);
    return true;
}

// What the reset left, so that a restore can tell the file is still the one it reset.
void FileCopy::NoteWhatTheResetLeft() {
    EntryInfo info{};
    leftKnown_ =
        win::Files().GetFileInformationByName(destinationFile_.c_str(), &left_) &&
        NetWare().NWGetNSEntryInfo(destination_.conn, destination_.dirHandle, destination_.path,
                                   destination_.nameSpace, destination_.nameSpace, nw::SA_ALL,
                                   nw::RETURN_INFO_FOR_COPY, &info) == 0;
    leftWord_ = info.attributes;
}

bool FileCopy::CreateTemporaryFile() {
    char name[win::kPathBufferSize] = {};
    if (win::Files().GetTempFileName(destinationDir_.c_str(), "FCT", 0, name) == 0) {
        const std::uint32_t code = win::Files().GetLastError();
        Abandon();
        ErrorAskContinue(
            WithCause(LoadResString(IDS_ERR_CREATE_TEMP), "GetTempFileName", code).c_str(),
            destinationDir_.c_str());
        return false;
    }
    // The name is upper case ("FCT" and hexadecimal digits); the directory is kept as written,
    // so that of two directories differing only in case the file lands in the right one.
    temporaryFile_ = name;
    UpperCase(temporaryFile_, temporaryFile_.size() - LastComponent(temporaryFile_).size());
    temporaryExists_ = true;

    NetWareFile& temporary = temporary_;
    win::HANDLE handle = win::INVALID_HANDLE_VALUE;
    bool opened = NetWare().NWParseNetWarePath(temporaryFile_.c_str(), &temporary.conn,
                                               &temporary.dirHandle, temporary.path) == 0;
    if (opened) {
        NW_NS_OPENCREATE request;
        request.openCreateMode = nw::OC_MODE_REPLACE;
        request.accessRights = nw::AR_READ | nw::AR_WRITE | nw::AR_DENY_READ | nw::AR_DENY_WRITE;
        if (compressed_)
            request.accessRights |= nw::AR_OPEN_COMPRESSED;
        request.openCreateAction = 4;
        opened =
            NetWare().NWOpenNSEntry(temporary.conn, temporary.dirHandle, destination_.nameSpace, 0,
                                    temporary.path, &request, &handle) == 0;
    }
    if (!opened) {
        const std::string path = temporaryFile_;
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_OPEN_TEMP), path.c_str());
        return false;
    }
    temporaryConn_ = temporary.conn;
    temporaryHandle_.Reset(handle);
    return true;
}

// The chunk loop: returns the number of bytes written to the temporary file. Neither a read nor
// a write is checked here: a failed or empty read ends the loop, and a short write shows up in
// the size check afterwards.
std::uint64_t FileCopy::CopyData(std::uint64_t total) {
    // BufferSize kilobytes in 64 bits. The run allocates its buffer once; one that is missing
    // or too small is made big enough here, once, never per chunk. A read never asks for more
    // than the buffer holds, so a size no buffer can have copies nothing and fails the size
    // check, instead of overrunning the buffer.
    const std::uint64_t wanted = TransferBufferBytes(CopyOptions.BufferSize);
    if (CopyRun.CopyBuffer.size() < wanted && wanted <= kMaxTransferBufferBytes) {
        try {
            CopyRun.CopyBuffer.resize(static_cast<std::size_t>(wanted));
        } catch (const std::bad_alloc&) {
        }
    }
    const auto chunk =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, CopyRun.CopyBuffer.size()));
    char* buffer = CopyRun.CopyBuffer.data();

    std::uint64_t copied = 0;
    int shownPercent = -1;
    std::uint32_t read = 0;
    do {
        win::PumpMessages();
        if (CancelRequested)
            break;
        read = 0;
        std::uint32_t written = 0;
        auto failed = win::FileServices::ChunkStep::None;
        // The file services move the chunk inside the system where they can; a failure names
        // the read or the write, as the two calls would.
        const bool moved = win::Files().CopyFileChunk(sourceHandle_.Get(), temporaryHandle_.Get(),
                                                      buffer, chunk, &read, &written, &failed);
        if (!moved && failed != win::FileServices::ChunkStep::Write) {
            read = 0;
            failedCall_ = "ReadFile";
            failedCode_ = win::Files().GetLastError();
        }
        if (read > 0) {
            if (!moved || written < read) {
                // A failed or short write ends the loop: the size check reports it, with the
                // reason (a full disk, say).
                failedCall_ = "WriteFile";
                failedCode_ = win::Files().GetLastError();
                if (failedCode_ == 0)
                    failedCode_ = win::ERROR_DISK_FULL;
                read = 0;
            }
            copied += written;
            if (ProgressDialog != win::kNoWindow) {
                SetDialogField(ProgressDialog, kCopiedField, BytesText(copied));
                const int percent = copied < total ? Percent(copied, total) : 100;
                if (percent != shownPercent) {
                    SetDialogBar(ProgressDialog, kFileBar, percent);
                    shownPercent = percent;
                }
            }
        }
    } while (read > 0 && copied < total);
    return copied;
}

// True when the source is not the file it was when opened, or not as it was: it grew, shrank,
// was written or replaced while its bytes were read. Such a copy matches neither version.
bool FileCopy::SourceChanged() {
    win::FileStatInformation byHandle{}, byName{};
    if (!sourceKnown_ || !win::Files().GetFileInformationByHandle(sourceHandle_.Get(), &byHandle) ||
        !win::Files().GetFileInformationByName(sourceFile_.c_str(), &byName))
        return true;  // what cannot be told to be unchanged is not delivered
    return !byHandle.SameFileUnchanged(sourceBefore_) || !byName.SameFileUnchanged(sourceBefore_);
}

// Compressed copies: the temporary file gets the source's uncompressed size as its length and
// the bytes written as its compressed size.
bool FileCopy::SetCompressedSizes(std::uint64_t copied) {
    const win::HANDLE temporary = temporaryHandle_.Get();
    if (!win::Files().SetFilePointer(temporary,
                                     static_cast<std::int64_t>(sourceInfo_.dataStreamSize),
                                     win::FILE_BEGIN, nullptr)) {
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_SET_UNCOMPRESSED_SIZE), destinationFile_.c_str());
        return false;
    }
    if (!win::Files().SetEndOfFile(temporary)) {
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_SET_EOF), destinationFile_.c_str());
        return false;
    }
    std::uint64_t resultSize = 0;
    if (NetWare().NWSetCompressedFileSize(temporaryConn_, temporary, copied, &resultSize) != 0) {
        const NWCCODE code = LastNetWareError;
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_SET_COMPRESSED_SIZE), destinationFile_.c_str(),
                         code);
        return false;
    }
    return true;
}

void FileCopy::ResetDisplay() {
    SetDialogBar(ProgressDialog, kFileBar, 0);
    SetDialogField(ProgressDialog, kToField, " ");
    SetDialogField(ProgressDialog, kFileSizeField, " ");
    SetDialogField(ProgressDialog, kCopiedField, " ");
}

// The temporary file is closed before it takes the destination's place: a close that fails
// (the last data or its compressed form not kept) is said, and the copy is not delivered.
bool FileCopy::CloseTemporaryFile() {
    if (temporaryHandle_.Close())
        return true;
    const std::uint32_t code = win::Files().GetLastError();
    Abandon();
    ErrorAskContinue(WithCause(LoadResString(IDS_ERR_FINISH_TEMP), "CloseHandle", code).c_str(),
                     temporaryFile_.c_str());
    return false;
}

// The copy gets the source's DOS information and trustees while it is still the temporary
// file: when it takes the destination's place it is whole, bytes and metadata, and a run
// stopped at any moment leaves the destination either as it was or as the source has it.
// A failure here is reported, and the file still counts as copied.
void FileCopy::GiveTemporaryFileItsMetadata() {
    if (SetDestinationDosInfo(temporary_.conn, temporary_.dirHandle, temporary_.path,
                              destination_.nameSpace, sourceInfo_) != 0)
        ErrorAskContinue(LoadResString(IDS_ERR_SET_ATTRIBUTES), destinationFile_.c_str(),
                         LastNetWareError);
    CopyRun.DestIsDirectoryServices = destination_.conn == source_.conn
                                          ? CopyRun.SourceIsDirectoryServices
                                          : IsDirectoryServicesConnection(destination_.conn);
    if (CopyOptions.CopyTrustees && CopyRun.SourceIsDirectoryServices &&
        CopyRun.DestIsDirectoryServices &&
        !TransferTrustees(source_.conn, destination_.conn, sourceFile_, temporaryFile_))
        ErrorAskContinue(LoadResString(IDS_ERR_SET_TRUSTEES), destinationFile_.c_str());
}

// The temporary file takes the destination's place in one step; when it cannot, the old
// destination stays as it was.
bool FileCopy::ReplaceDestination() {
    destinationHandle_.Close();
    if (!win::Files().MoveFileEx(temporaryFile_.c_str(), destinationFile_.c_str(),
                                 win::MOVEFILE_REPLACE_EXISTING)) {
        const std::string temporary = temporaryFile_;
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_RENAME_TEMP), sourceFile_.c_str(), temporary.c_str(),
                         temporary.c_str(), destinationFile_.c_str());
        return false;
    }
    temporaryExists_ = false;
    restoreAttributes_ = false;
    if (CopyOptions.VerboseLogging && LogFileOpen())
        WriteVerboseRecord(IDS_LOG_UPDATED_FILE, destinationFile_);
    return true;
}

// Fewer bytes arrived than the source holds: message 448, with the read or write that ended
// the copy when one failed.
void FileCopy::ReportShortCopy() {
    const std::string format =
        failedCall_ ? WithCause(LoadResString(IDS_ERR_SIZE_MISMATCH), failedCall_, failedCode_)
                    : std::string(LoadResString(IDS_ERR_SIZE_MISMATCH));
    ErrorAskContinue(format.c_str(), sourceFile_.c_str(), destinationFile_.c_str());
}

std::uint64_t FileCopy::Run() {
    SetDialogField(ProgressDialog, kFromField,
                   FitPathToControl(ProgressDialog, kFromField, sourceFile_));
    if (!ReadSourceDetails() || !ChooseDestinationName() || !ReadDestinationDetails())
        return 0;
    if (!DecideOverwrite(sourceFile_, destinationFile_, sourceInfo_, destinationInfo_,
                         destinationExists_))
        return 0;
    // A volume too full for the file skips it, and says so: a file left undelivered is a
    // failure of the run. A failed query has been reported.
    bool noRoom = false;
    if (!HasRoomForFile(destination_.conn, destinationDir_, sourceInfo_, &noRoom)) {
        if (noRoom) {
            ReportFileSkipped(sourceFile_, destinationFile_, SkipReason::NoRoom);
            ErrorAskContinue(LoadResString(IDS_ERR_NO_ROOM), sourceFile_.c_str(),
                             destinationFile_.c_str());
        }
        return 0;
    }
    compressed_ = CopyRun.CompressedCopyPossible &&
                  (sourceInfo_.attributes & nw::A_FILE_COMPRESSED) != 0 &&
                  CopyOptions.CopyCompressed;
    if (!OpenSource() || !ResetAndOpenDestination() || !CreateTemporaryFile())
        return 0;

    SetDialogField(ProgressDialog, kToField,
                   FitPathToControl(ProgressDialog, kToField, destinationFile_));
    const std::uint64_t total =
        compressed_ ? sourceInfo_.spaceAllocated : sourceInfo_.dataStreamSize;
    SetDialogField(ProgressDialog, kFileSizeField, BytesText(total));

    const std::uint64_t copied = CopyData(total);
    if (!CancelRequested && SourceChanged()) {
        Abandon();
        ErrorAskContinue(LoadResString(IDS_ERR_SOURCE_CHANGED), sourceFile_.c_str(),
                         destinationFile_.c_str());
        return 0;
    }
    sourceHandle_.Close();
    if (CancelRequested) {
        Abandon();
        return 0;
    }
    if (compressed_ && !SetCompressedSizes(copied))
        return 0;
    ResetDisplay();
    if (copied < total) {
        Abandon();
        ReportShortCopy();
        return 0;
    }
    if (!CloseTemporaryFile())
        return 0;
    GiveTemporaryFileItsMetadata();
    if (!ReplaceDestination())
        return 0;
    return sourceInfo_.dataStreamSize;
}

}  // namespace

std::uint64_t CopyOneFile(const std::string& sourceFile, const std::string& destinationDir) {
    FileCopy copy(sourceFile, destinationDir);
    return copy.Run();
}

std::string MakeDestinationFileName(const std::string& sourceName,
                                    const std::string& destinationDir) {
    // The name and its extension are the text after the source's last backslash.
    const std::string nameAndExtension = LastComponent(sourceName);
    return FormatText(LoadResString(IDS_FMT_DIR_NAME_EXT), destinationDir.c_str(),
                      nameAndExtension.c_str(), "");
}
