#pragma once

// Debugger output. Elsewhere than on Windows the text goes to standard error.

#include "platform/WinTypes.h"

namespace win
{
void OutputDebugStringA (LPCSTR text);
} // namespace win
