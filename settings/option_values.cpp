#include "settings/option_values.h"

#include <strings.h>

#include <charconv>
#include <string_view>

#include "resources/string_ids.h"
#include "settings/copy_options.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kMaxTextValue = 259;  // the 260-byte text fields

// A number as a person types one: decimal digits, or 0x and hexadecimal digits; no sign, no
// blanks, and no octal surprise from a leading zero. False when it is not one or is above
// 0xFFFFFFFF.
bool ParseNumber(std::string_view text, std::uint32_t* value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    std::uint64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || number > 0xFFFFFFFFu)
        return false;
    *value = static_cast<std::uint32_t>(number);
    return true;
}

// A flag as stored: any non-zero number is on; the words say it too.
bool ParseFlag(const std::string& text, std::uint32_t* value) {
    static const char* const kOn[] = {"on", "true", "yes"};
    static const char* const kOff[] = {"off", "false", "no"};
    for (const char* word : kOn) {
        if (strcasecmp(text.c_str(), word) == 0)
            return *value = 1, true;
    }
    for (const char* word : kOff) {
        if (strcasecmp(text.c_str(), word) == 0)
            return *value = 0, true;
    }
    std::uint32_t number = 0;
    if (!ParseNumber(text, &number))
        return false;
    *value = number != 0 ? 1 : 0;
    return true;
}

bool ParseText(const std::string& text) {
    if (text.size() > kMaxTextValue)
        return false;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

struct FlagValue {
    unsigned nameId;
    std::uint32_t CopyOptionsRecord::*field;
};

const FlagValue kFlags[] = {
    {IDS_REG_CREATE_LOGFILE, &CopyOptionsRecord::CreateLogfile},
    {IDS_REG_VERBOSE_LOGGING, &CopyOptionsRecord::VerboseLogging},
    {IDS_REG_UNATTENDED_MODE, &CopyOptionsRecord::UnattendedMode},
    {IDS_REG_NETWARE4X_SERVERS, &CopyOptionsRecord::Netware4xServers},
    {IDS_REG_LOGOUT_TARGET_FILE_USER, &CopyOptionsRecord::LogoutTargetFileUser},
    {IDS_REG_NEVER_OVERWRITE, &CopyOptionsRecord::NeverOverwrite},
    {IDS_REG_OVERWRITE_OLDER, &CopyOptionsRecord::OverwriteOlder},
    {IDS_REG_PROMPT_ON_OVERWRITE, &CopyOptionsRecord::PromptOnOverwrite},
    {IDS_REG_TRACK_DIRECTORY, &CopyOptionsRecord::TrackDirectory},
    {IDS_REG_SYNC_DIRS, &CopyOptionsRecord::SyncDirs},
    {IDS_REG_COPY_SUB_DIRS, &CopyOptionsRecord::CopySubDirs},
    {IDS_REG_ONLY_COPY_EXISTING_FILES, &CopyOptionsRecord::OnlyCopyExistingFiles},
    {IDS_REG_PROMPT_ON_DELETION, &CopyOptionsRecord::PromptOnDeletion},
    {IDS_REG_COPY_ATTRIBUTES, &CopyOptionsRecord::CopyAttributes},
    {IDS_REG_COPY_INHERITED_RIGHTS_MASK, &CopyOptionsRecord::CopyInheritedRightsMask},
    {IDS_REG_COPY_TRUSTEES, &CopyOptionsRecord::CopyTrustees},
    {IDS_REG_COPY_COMPRESSED, &CopyOptionsRecord::CopyCompressed},
};

struct TextValue {
    unsigned nameId;
    std::string CopyOptionsRecord::*field;
};

const TextValue kTexts[] = {
    {IDS_REG_LOG_FILE_NAME, &CopyOptionsRecord::LogFileName},
    {IDS_REG_TARGET_PATH, &CopyOptionsRecord::TargetPath},
};

bool Named(const std::string& name, unsigned nameId) {
    return strcasecmp(name.c_str(), LoadResString(nameId)) == 0;
}

}  // namespace

std::uint32_t BufferSizeOrDefault(std::uint32_t bufferSize) {
    return bufferSize != 0 ? bufferSize : kDefaultBufferSize;
}

std::uint64_t TransferBufferBytes(std::uint32_t bufferSize) {
    return std::uint64_t{BufferSizeOrDefault(bufferSize)} * 1024;
}

bool ApplyOptionSetting(const std::string& setting, std::string* error) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) {
        *error = FormatText(LoadResString(IDS_RUN_BAD_SET), setting.c_str());
        return false;
    }
    const std::string name = setting.substr(0, equals);
    const std::string value = setting.substr(equals + 1);
    auto badValue = [&] {
        *error = FormatText(LoadResString(IDS_RUN_BAD_VALUE), name.c_str(), value.c_str());
        return false;
    };
    CopyOptionsRecord& options = CopyOptions;
    for (const FlagValue& flag : kFlags) {
        if (!Named(name, flag.nameId))
            continue;
        std::uint32_t on = 0;
        if (!ParseFlag(value, &on))
            return badValue();
        options.*flag.field = on;
        return true;
    }
    if (Named(name, IDS_REG_BUFFER_SIZE)) {
        std::uint32_t kilobytes = 0;
        if (!ParseNumber(value, &kilobytes))
            return badValue();
        options.BufferSize = BufferSizeOrDefault(kilobytes);
        return true;
    }
    for (const TextValue& text : kTexts) {
        if (!Named(name, text.nameId))
            continue;
        if (!ParseText(value))
            return badValue();
        options.*text.field = value;
        return true;
    }
    *error = FormatText(LoadResString(IDS_RUN_UNKNOWN_VALUE_NAME), name.c_str());
    return false;
}
