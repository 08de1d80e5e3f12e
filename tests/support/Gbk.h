#pragma once
// A text of the module's GBK literals (code page 936) as UTF-16, to compare with what the
// windows show.
#include <string>

#include "platform/Text.h"

inline std::u16string Gbk(const char* text) { return platform::MultiByteToWide(936, text); }
