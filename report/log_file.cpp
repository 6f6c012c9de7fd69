#include "report/log_file.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "copy/copy_run.h"
#include "platform/locale.h"
#include "platform/window_system.h"
#include "report/messages.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/byte_count.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// A general record is assembled in a buffer of this size before it is written.
constexpr std::size_t kRecordBufferSize = 784;

bool g_writeFailed = false;

const char* Caption();

// The first record of a run that cannot be written is said at once, also in unattended mode,
// where the log is the only trace of the run's messages; the run goes on, and later records
// are still tried.
void WriteFailed(std::uint32_t code) {
    if (g_writeFailed)
        return;
    g_writeFailed = true;
    const std::string text =
        FormatText(LoadResString(IDS_ERR_LOG_WRITE), CopyOptions.LogFileName.c_str(),
                   SystemErrorText(code).c_str(), code);
    win::Ui().MessageBox(win::kMainWindow, text, Caption(),
                         win::MB_ICONSTOP | win::MB_OK | win::MB_SETFOREGROUND);
}

// Gathers a record in the fixed record buffer and writes it to the log file. A record that
// fits goes out in one write; a longer one (a long message with long paths) is written whole,
// one full buffer at a time, so that nothing of it is lost and nothing is written past the
// buffer. Write results are not checked: a record that cannot be written is lost silently.
class RecordWriter {
  public:
    void Append(const char* text) { Append(text, std::strlen(text)); }
    void Append(const char* text, std::size_t length) {
        while (length > 0) {
            if (used_ == sizeof buffer_) {
                Flush();
            }
            const std::size_t taken = std::min(length, sizeof buffer_ - used_);
            std::memcpy(buffer_ + used_, text, taken);
            used_ += taken;
            text += taken;
            length -= taken;
        }
    }
    void Flush() {
        if (used_ > 0) {
            std::uint32_t written = 0;
            if (!win::Files().WriteFile(CopyRun.LogFile, buffer_, static_cast<std::uint32_t>(used_),
                                        &written) ||
                written < used_) {
                const std::uint32_t code = win::Files().GetLastError();
                WriteFailed(code != 0 ? code : win::ERROR_DISK_FULL);
            }
        }
        used_ = 0;
    }

  private:
    char buffer_[kRecordBufferSize];
    std::size_t used_ = 0;
};

const char* Caption() {
    return LoadResString(IDS_CAPTION_FARCAST);
}

}  // namespace

// The log is opened without sharing, so nobody else can open it while the run lasts, and
// created when missing; the run's records follow those of earlier runs. The handle also
// becomes the run's log file (CopyRun.LogFile), replacing any handle left open before.
win::HANDLE OpenLogFile(const std::string& path) {
    const win::HANDLE file =
        win::Files().CreateFile(path.c_str(), win::GENERIC_READ | win::GENERIC_WRITE, 0,
                                win::OPEN_ALWAYS, win::FILE_ATTRIBUTE_NORMAL);
    if (file == win::INVALID_HANDLE_VALUE) {
        // A plain box: the log facility itself is what failed, so nothing is logged, and it is
        // shown in unattended mode too because the run cannot start.
        const std::string text = FormatText(LoadResString(IDS_ERR_OPEN_LOG), path.c_str());
        win::Ui().MessageBox(win::kMainWindow, text, Caption(),
                             win::MB_ICONSTOP | win::MB_OK | win::MB_SETFOREGROUND);
        return win::INVALID_HANDLE_VALUE;
    }
    win::Files().SetFilePointer(file, 0, win::FILE_END, nullptr);
    CloseLogFile();
    CopyRun.LogFile = file;
    g_writeFailed = false;
    return file;
}

void CloseLogFile() {
    if (CopyRun.LogFile != win::INVALID_HANDLE_VALUE) {
        win::Files().CloseHandle(CopyRun.LogFile);
        CopyRun.LogFile = win::INVALID_HANDLE_VALUE;
    }
}

bool LogWriteFailed() {
    return g_writeFailed;
}

bool LogFileOpen() {
    return CopyRun.LogFile != win::INVALID_HANDLE_VALUE;
}

std::string FormatTimestamp() {
    const std::time_t now = std::time(nullptr);
    const std::string date = LocaleLongDate(now);
    const std::string time = LocaleTime24(now);
    return FormatText(LoadResString(IDS_FMT_TIMESTAMP), date.c_str(), time.c_str());
}

// "\r\n<timestamp>\r\n<text>\r\n": an empty line, the timestamp line and the text.
void WriteLogRecord(const std::string& text) {
    if (!LogFileOpen()) {
        return;
    }
    const std::string timestamp = FormatTimestamp();
    RecordWriter record;
    record.Append("\r\n");
    record.Append(timestamp.c_str(), timestamp.size());
    record.Append("\r\n");
    record.Append(text.c_str(), text.size());
    record.Append("\r\n");
    record.Flush();
}

// The format (428, 442 or 443) holds the whole record around the timestamp and the path.
void WriteVerboseRecord(unsigned formatString, const std::string& path) {
    if (!LogFileOpen()) {
        return;
    }
    const std::string timestamp = FormatTimestamp();
    const std::string text =
        FormatText(LoadResString(formatString), timestamp.c_str(), path.c_str());
    RecordWriter record;
    record.Append(text.c_str(), text.size());
    record.Flush();
}

void AppendLogRecords(const std::string& records) {
    if (!LogFileOpen() || records.empty())
        return;
    RecordWriter writer;
    writer.Append(records.c_str(), records.size());
    writer.Flush();
}

namespace {

// "Updated or created N files totalling N bytes", and with synchronisation a second line
// "Deleted N files and N directories totalling N bytes".
std::string RunSummaryText() {
    std::string text;
    text += LoadResString(IDS_SUMMARY_UPDATED);
    text += FormatCount(CopyRun.RunFilesUpdated);
    text += LoadResString(IDS_SUMMARY_FILES_TOTALLING);
    text += FormatCount(CopyRun.RunBytesUpdated);
    text += LoadResString(IDS_BYTES);
    if (CopyOptions.SyncDirs) {
        text += LoadResString(IDS_SUMMARY_DELETED);
        text += FormatCount(CopyRun.RunFilesDeleted);
        text += LoadResString(IDS_SUMMARY_FILES_AND);
        text += FormatCount(CopyRun.RunDirectoriesDeleted);
        text += LoadResString(IDS_SUMMARY_DIRS_TOTALLING);
        text += FormatCount(CopyRun.RunBytesDeleted);
        text += LoadResString(IDS_SUMMARY_BYTES);
    }
    return text;
}

}  // namespace

// The summary becomes a record of the log, then is shown in a plain box that also appears in
// unattended mode, so that an unattended run still ends on its totals.
void ShowRunSummary() {
    const std::string text = RunSummaryText();
    LogAndShow(win::kMainWindow, text.c_str(), Caption(), win::MB_ICONINFORMATION | win::MB_OK,
               false);
    win::Ui().MessageBox(win::kMainWindow, text, Caption(),
                         win::MB_ICONINFORMATION | win::MB_OK | win::MB_SETFOREGROUND);
}
