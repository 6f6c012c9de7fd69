// The overwrite decision: the options first, then the two files' modification times, last the
// user's answer to the "File Already Exists" prompt.
#include "copy/overwrite.h"

#include <cstdio>

#include "copy/copy_run.h"
#include "netware/netware_client.h"
#include "platform/window_system.h"
#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/string_table.h"

namespace {

struct UnpackedTimestamp {
    bool valid = false;
    int year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
};

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

UnpackedTimestamp Unpack(std::uint16_t dosDate, std::uint16_t dosTime) {
    NW_DATE date;
    NW_TIME time;
    const std::uint32_t packed = (static_cast<std::uint32_t>(dosDate) << 16) | dosTime;
    UnpackedTimestamp t;
    if (NetWare().NWUnpackDateTime(packed, &date, &time) != 0)
        return t;
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    t.hours = time.hours;
    t.minutes = time.minutes;
    t.seconds = time.seconds;
    // Only the date decides: a time field beyond its range (hour 24-31, minute 60-63, second
    // 60-62, all of which the packed form can hold) still counts, carried into the next unit.
    t.valid = t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month);
    return t;
}

// Days from 1 January 1970 to the given civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The prompt's nine lines, joined by line feeds.
std::string PromptText(const std::string& sourcePath, const std::string& destinationPath,
                       const EntryInfo& source, const EntryInfo& destination) {
    const std::string bytes = LoadResString(IDS_BYTES_SPACED);
    std::string text;
    text += LoadResString(IDS_PROMPT_SOURCE_FILE);
    text += '\n' + sourcePath + '\n';
    text += std::to_string(source.dataStreamSize) + bytes +
            TimestampText(source.modifyDate, source.modifyTime) + "\n\n";
    text += LoadResString(IDS_PROMPT_DEST_FILE);
    text += '\n' + destinationPath + '\n';
    text += std::to_string(destination.dataStreamSize) + bytes +
            TimestampText(destination.modifyDate, destination.modifyTime) + "\n\n";
    text += LoadResString(IDS_PROMPT_OVERWRITE);
    return text;
}

}  // namespace

std::uint64_t TimestampSeconds(std::uint16_t dosDate, std::uint16_t dosTime) {
    const UnpackedTimestamp t = Unpack(dosDate, dosTime);
    if (!t.valid)
        return 0;
    // The local wall-clock fields on one naive scale: monotonic in the fields themselves, so no
    // daylight-saving change can make a later timestamp compare as earlier. DOS dates start in
    // 1980, so the value is always positive.
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    const std::int64_t seconds = days * 86400 + t.hours * 3600 + t.minutes * 60 + t.seconds;
    return seconds > 0 ? static_cast<std::uint64_t>(seconds) : 0;
}

std::string TimestampText(std::uint16_t dosDate, std::uint16_t dosTime) {
    static const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                            "May",       "June",     "July",     "August",
                                            "September", "October",  "November", "December"};
    const UnpackedTimestamp t = Unpack(dosDate, dosTime);
    if (!t.valid)
        return LoadResString(IDS_INVALID_DATE);
    // An hour beyond 23 is shown as it is stored.
    const int hours12 = t.hours > 12 && t.hours < 24 ? t.hours - 12 : t.hours;
    char text[64];
    std::snprintf(text, sizeof text, "%s %d, %d %d:%02d:%02d %s", kMonths[t.month - 1], t.day,
                  t.year, hours12, t.minutes, t.seconds, t.hours < 12 ? "am" : "pm");
    return text;
}

bool DecideOverwrite(const std::string& sourcePath, const std::string& destinationPath,
                     const EntryInfo& source, const EntryInfo& destination,
                     bool destinationExists) {
    // Every file that reaches the decision moves the progress bars, whatever the outcome.
    const ByteCount size = ByteCount::From(source.dataStreamSize);
    CopyRun.ServerBytesProcessed += size;
    CopyRun.RunBytesProcessed += size;

    // Each skip is told to the run's observer (the dry run prints it).
    const auto skip = [&](SkipReason reason) {
        ReportFileSkipped(sourcePath, destinationPath, reason);
        return false;
    };
    if (!destinationExists && CopyOptions.OnlyCopyExistingFiles)
        return skip(SkipReason::NotOnDestination);
    if (destinationExists && CopyOptions.NeverOverwrite)
        return skip(SkipReason::ExistsOnDestination);
    if (!destinationExists)
        return true;

    if (CopyOptions.OverwriteOlder) {
        const std::uint64_t sourceTime = TimestampSeconds(source.modifyDate, source.modifyTime);
        const std::uint64_t destinationTime =
            TimestampSeconds(destination.modifyDate, destination.modifyTime);
        if (destinationTime > sourceTime)
            return skip(SkipReason::NewerOnDestination);
        if (destinationTime == sourceTime)
            return skip(SkipReason::SameTimeOnDestination);
    }
    if (!CopyOptions.PromptOnOverwrite || CopyOptions.UnattendedMode)
        return true;

    const int answer = win::Ui().MessageBox(
        ProgressDialog, PromptText(sourcePath, destinationPath, source, destination),
        LoadResString(IDS_FILE_EXISTS_CAPTION),
        win::MB_SETFOREGROUND | win::MB_ICONQUESTION | win::MB_YESNOCANCEL);
    if (answer == win::IDYES)
        return true;
    if (answer == win::IDCANCEL)
        CancelRequested = true;
    return skip(answer == win::IDCANCEL ? SkipReason::Cancelled : SkipReason::AnsweredNo);
}
