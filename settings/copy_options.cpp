#include "settings/copy_options.h"

CopyOptionsRecord CopyOptions;
std::uint32_t AlreadyRun = 0;
