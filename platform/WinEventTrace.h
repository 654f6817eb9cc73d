#pragma once

// Windows event tracing, as far as a provider writes events.
// Elsewhere than on Windows there is no event tracing: nothing is ever registered, and both
// calls do nothing and report success.

#include "platform/WinTypes.h"

#include <cstdint>

namespace win
{
/** A provider's registration handle; 0 when not registered. */
using REGHANDLE = std::uint64_t;

/** What an event is: its id, version, channel, level, opcode, task and keyword mask. */
struct EVENT_DESCRIPTOR
{
    std::uint16_t Id;
    std::uint8_t Version;
    std::uint8_t Channel;
    std::uint8_t Level;
    std::uint8_t Opcode;
    std::uint16_t Task;
    std::uint64_t Keyword;
};

/** One item of an event's payload: the address and size of its bytes. */
struct EVENT_DATA_DESCRIPTOR
{
    std::uint64_t Ptr;
    std::uint32_t Size;
    std::uint32_t Reserved;
};

DWORD EventWrite (REGHANDLE handle, const EVENT_DESCRIPTOR* descriptor, DWORD dataCount, EVENT_DATA_DESCRIPTOR* data);
DWORD EventUnregister (REGHANDLE handle);
} // namespace win
