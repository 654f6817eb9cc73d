#include "platform/WinTypes.h"

#include <cstdint>

namespace win
{
const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY> (static_cast<std::uintptr_t> (0x80000000u));
} // namespace win
