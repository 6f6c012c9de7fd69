// The locale services over QtCore: the system locale's long date format, a 24-hour time, the
// Windows texts of the error codes the file services report, and case-insensitive comparison.

#include "platform/locale.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "platform/file_services.h"
#include "resources/string_ids.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

constexpr std::size_t kMaxLocaleText = 48;

// At most max bytes of a UTF-8 text, never cutting a character in two.
std::string CutUtf8(const QString& text, std::size_t max) {
    QByteArray bytes = text.toUtf8();
    std::size_t length = static_cast<std::size_t>(bytes.size());
    if (length <= max)
        return std::string(bytes.constData(), length);
    length = max;
    while (length > 0 && (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80)
        --length;
    return std::string(bytes.constData(), length);
}

QDateTime LocalTime(std::time_t t) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t), Qt::LocalTime);
}

struct ErrorText {
    std::uint32_t code;
    unsigned text;
};

constexpr ErrorText kErrorTexts[] = {
    {win::ERROR_SUCCESS, IDS_SYSERR_SUCCESS},
    {win::ERROR_FILE_NOT_FOUND, IDS_SYSERR_FILE_NOT_FOUND},
    {win::ERROR_PATH_NOT_FOUND, IDS_SYSERR_PATH_NOT_FOUND},
    {win::ERROR_ACCESS_DENIED, IDS_SYSERR_ACCESS_DENIED},
    {win::ERROR_INVALID_HANDLE, IDS_SYSERR_INVALID_HANDLE},
    {win::ERROR_NOT_ENOUGH_MEMORY, IDS_SYSERR_NOT_ENOUGH_MEMORY},
    {win::ERROR_NO_MORE_FILES, IDS_SYSERR_NO_MORE_FILES},
    {win::ERROR_WRITE_FAULT, IDS_SYSERR_WRITE_FAULT},
    {win::ERROR_SHARING_VIOLATION, IDS_SYSERR_SHARING_VIOLATION},
    {win::ERROR_LOCK_VIOLATION, IDS_SYSERR_LOCK_VIOLATION},
    {win::ERROR_HANDLE_DISK_FULL, IDS_SYSERR_HANDLE_DISK_FULL},
    {win::ERROR_FILE_EXISTS, IDS_SYSERR_FILE_EXISTS},
    {win::ERROR_INVALID_PARAMETER, IDS_SYSERR_INVALID_PARAMETER},
    {win::ERROR_DISK_FULL, IDS_SYSERR_DISK_FULL},
    {win::ERROR_INVALID_NAME, IDS_SYSERR_INVALID_NAME},
    {win::ERROR_DIR_NOT_EMPTY, IDS_SYSERR_DIR_NOT_EMPTY},
    {win::ERROR_ALREADY_EXISTS, IDS_SYSERR_ALREADY_EXISTS},
    {win::ERROR_FILENAME_EXCED_RANGE, IDS_SYSERR_FILENAME_EXCED_RANGE},
    {win::ERROR_MORE_DATA, IDS_SYSERR_MORE_DATA},
};

}  // namespace

std::string LocaleLongDate(std::time_t t) {
    return CutUtf8(QLocale::system().toString(LocalTime(t).date(), QLocale::LongFormat),
                   kMaxLocaleText);
}

std::string LocaleTime24(std::time_t t) {
    return CutUtf8(LocalTime(t).time().toString(QStringLiteral("HH:mm:ss")), kMaxLocaleText);
}

// The text as the system gives it, without the line break that ends the system's own texts:
// callers put it inside sentences of their own.
std::string SystemErrorText(std::uint32_t code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code)
            return LoadResString(entry.text);
    }
    return FormatText(LoadResString(IDS_SYSERR_UNKNOWN), code);
}

bool LocaleEqualIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() == b.size() && a == b)
        return true;
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}
