#pragma once
// What a value of an option means, wherever it comes from: the registry, or a
// "ValueName=Value" on farcast-run's command line. Every number is checked before it is used,
// and sizes are computed in 64 bits.

#include <cstdint>
#include <string>

// BufferSize is in kilobytes; a stored 0 stands for the default.
constexpr std::uint32_t kDefaultBufferSize = 16;
std::uint32_t BufferSizeOrDefault(std::uint32_t bufferSize);

// The transfer buffer of BufferSize kilobytes (0: the default), in bytes; never wraps.
std::uint64_t TransferBufferBytes(std::uint32_t bufferSize);
// The largest transfer buffer a run takes: one read fills it, and a read's count is 32-bit.
// A larger BufferSize (only a hand edit or --set can give one) ends the run with the
// allocation message, like a buffer the memory cannot hold.
constexpr std::uint64_t kMaxTransferBufferBytes = 0xFFFFFFFF;

// Sets one CopyOptions field from "ValueName=Value" (the registry value name in any case),
// with the meaning the value would have if it were stored: a flag is on for any non-zero
// number or for on, true, yes (off, false, no: off); BufferSize takes a number, 0 meaning 16;
// LogFileName and TargetPath take at most 259 characters, no control characters. Numbers are
// decimal, or hexadecimal after 0x, from 0 to 0xFFFFFFFF. False with the message in *error
// when the setting is malformed, names no option or gives a value the option cannot take;
// the options are then unchanged.
bool ApplyOptionSetting(const std::string& setting, std::string* error);
