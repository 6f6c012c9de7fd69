#pragma once
// String-table texts as Qt strings, for the Qt front-end.

#include <QString>

#include "util/string_table.h"

inline QString ResText(unsigned number) {
    return QString::fromUtf8(LoadResString(number));
}

// Engine strings (paths, names, message texts) are UTF-8 on Linux.
inline QString FromEngine(const std::string& text) {
    return QString::fromStdString(text);
}
