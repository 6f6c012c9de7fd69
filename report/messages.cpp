#include "report/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "copy/copy_run.h"
#include "report/log_file.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

// The shared message buffer: formatted texts take at most 1024 characters, which leaves room
// for the appended question and the terminator.
constexpr std::size_t kMessageBufferSize = 1300;
char messageBuffer[kMessageBufferSize];

// Formats with the wsprintf rules into the message buffer, cut at 1024 characters.
void FormatMessageText(const char* format, va_list args) {
    messageBuffer[0] = '\0';
    if (std::vsnprintf(messageBuffer, kMaxFormattedText + 1, format, args) < 0) {
        messageBuffer[0] = '\0';
    }
}

void AppendToMessage(const char* text) {
    const std::size_t used = std::strlen(messageBuffer);
    std::snprintf(messageBuffer + used, kMessageBufferSize - used, "%s", text);
}

}  // namespace

int LogAndShow(win::WindowId owner, const char* text, const char* caption, unsigned style,
               bool show) {
    // Texts loaded from the string table live in rotating buffers that counting and logging
    // reuse: text and caption are kept before either runs.
    const std::string shownText = text;
    const std::string shownCaption = caption;
    CountReportedMessage(shownText.c_str(), style);
    // Records exist only while a run's log file is open; outside a run nothing is written.
    if (CopyOptions.CreateLogfile && LogFileOpen()) {
        WriteLogRecord(shownText);
    }
    if (!show || CopyOptions.UnattendedMode) {
        return win::IDOK;
    }
    return win::Ui().MessageBox(owner, shownText, shownCaption, style | win::MB_SETFOREGROUND);
}

int ErrorBox(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatMessageText(format, args);
    va_end(args);
    return LogAndShow(win::kMainWindow, messageBuffer, LoadResString(IDS_CAPTION_FARCAST),
                      win::MB_ICONSTOP | win::MB_OK, true);
}

int ErrorAskContinue(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatMessageText(format, args);
    va_end(args);
    // Unattended runs log the bare message: nobody is there to answer the question.
    if (!CopyOptions.UnattendedMode) {
        AppendToMessage(LoadResString(IDS_ASK_CONTINUE_COPYING));
    }
    const int answer =
        LogAndShow(win::kMainWindow, messageBuffer, LoadResString(IDS_CAPTION_FARCAST),
                   win::MB_ICONSTOP | win::MB_YESNO, true);
    // No stops the run; any other answer goes on with what is being done, but never undoes a
    // stop already asked for (a report made while a cancel winds the run down).
    if (answer == win::IDNO)
        CancelRequested = true;
    return answer;
}
