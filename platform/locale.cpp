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

// At most max characters of a text, as the 48-character buffers of the system's date and time
// formatting hold them; a character outside the basic plane counts once and is never cut.
std::string CutCharacters(const QString& text, std::size_t max) {
    const std::u32string characters = text.toStdU32String();
    if (characters.size() <= max)
        return text.toStdString();
    return QString::fromStdU32String(characters.substr(0, max)).toStdString();
}

// The system's date and time texts use the digits 0-9 whatever the locale's own digits are
// (Arabic-Indic, Persian, Devanagari...): a log's timestamps stay readable by every tool.
QString WithAsciiDigits(const QString& text) {
    std::u32string characters = text.toStdU32String();
    for (char32_t& c : characters) {
        const int digit = QChar::digitValue(c);
        if (digit >= 0 && digit <= 9 && QChar::category(c) == QChar::Number_DecimalDigit)
            c = static_cast<char32_t>(U'0' + digit);
    }
    return QString::fromStdU32String(characters);
}

QString TwoDigitsOrOne(int value, bool twoDigits) {
    return QStringLiteral("%1").arg(value, twoDigits ? 2 : 1, 10, QLatin1Char('0'));
}

// Blanks and brackets left at either end once the time marker and the zone are gone, and
// runs of blanks inside, go.
QString TidyTimeText(const QString& text) {
    auto trimmable = [](QChar c) {
        return c.isSpace() || c == QLatin1Char('(') || c == QLatin1Char(')') ||
               c == QLatin1Char('[') || c == QLatin1Char(']');
    };
    qsizetype begin = 0, end = text.size();
    while (begin < end && trimmable(text[begin]))
        ++begin;
    while (end > begin && trimmable(text[end - 1]))
        --end;
    QString tidy;
    for (qsizetype i = begin; i < end; ++i) {
        if (text[i].isSpace() && !tidy.isEmpty() && tidy.back() == QLatin1Char(' '))
            continue;
        tidy += text[i].isSpace() ? QChar(QLatin1Char(' ')) : text[i];
    }
    return tidy;
}

// The time in a locale's time format (Qt's format letters) forced to a 24-hour clock: hours
// count 0-23 with the format's own choice of a leading zero, the AM/PM marker is dropped, and
// so is the time zone, which the system's time format does not have.
QString Time24Text(const QString& format, const QTime& time) {
    QString out;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes are one quote.
            ++i;
            while (i < format.size()) {
                if (format[i] == QLatin1Char('\'')) {
                    if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                        out += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += format[i++];
            }
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        switch (c.unicode()) {
            case 'h':
            case 'H':
                out += TwoDigitsOrOne(time.hour(), run >= 2);
                break;
            case 'm':
                out += TwoDigitsOrOne(time.minute(), run >= 2);
                break;
            case 's':
                out += TwoDigitsOrOne(time.second(), run >= 2);
                break;
            case 'z':
                out += QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
                break;
            case 't':
                break;
            case 'a':
            case 'A':
                // "AP", "ap": the marker and its second letter.
                if (run == 1 && i + 1 < format.size() &&
                    (format[i + 1] == QLatin1Char('p') || format[i + 1] == QLatin1Char('P')))
                    ++run;
                break;
            default:
                out += format.mid(i, run);
                break;
        }
        i += run;
    }
    const QString tidy = TidyTimeText(out);
    return tidy.isEmpty() ? time.toString(QStringLiteral("HH:mm:ss")) : tidy;
}

QLocale NamedLocale(const std::string& name) {
    return QLocale(QString::fromStdString(name));
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

namespace {

std::string LongDateIn(const QLocale& locale, std::time_t t) {
    return CutCharacters(WithAsciiDigits(locale.toString(LocalTime(t).date(), QLocale::LongFormat)),
                         kMaxLocaleText);
}

std::string Time24In(const QLocale& locale, std::time_t t) {
    return CutCharacters(Time24Text(locale.timeFormat(QLocale::LongFormat), LocalTime(t).time()),
                         kMaxLocaleText);
}

}  // namespace

std::string LocaleLongDate(std::time_t t) {
    return LongDateIn(QLocale::system(), t);
}

std::string LocaleTime24(std::time_t t) {
    return Time24In(QLocale::system(), t);
}

std::string LocaleLongDate(std::time_t t, const std::string& localeName) {
    return LongDateIn(NamedLocale(localeName), t);
}

std::string LocaleTime24(std::time_t t, const std::string& localeName) {
    return Time24In(NamedLocale(localeName), t);
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
