#pragma once
// The locale services: the user's date and time formats and the system's error texts.

#include <cstdint>
#include <ctime>
#include <string>

// The local date of t in the user's long date format (at most 48 characters, digits 0-9).
std::string LocaleLongDate(std::time_t t);
// The local time of t in the user's time format forced to 24 hours: the format's order,
// separators and leading zeros, hours 0-23, no AM/PM marker and no time zone (at most 48
// characters, digits 0-9).
std::string LocaleTime24(std::time_t t);
// The same for a user of the named locale ("de_DE", "ar_EG").
std::string LocaleLongDate(std::time_t t, const std::string& localeName);
std::string LocaleTime24(std::time_t t, const std::string& localeName);
// The system's text for a Windows error code (FormatMessage from the system).
std::string SystemErrorText(std::uint32_t code);
// True when a and b are the same text ignoring letter case (the locale's case rules, as the
// system's case-insensitive string comparison).
bool LocaleEqualIgnoreCase(const std::string& a, const std::string& b);
