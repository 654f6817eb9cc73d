#pragma once

#include <cstddef>
#include <cstdint>

/** The one entry point of a fuzz target: libFuzzer, or FuzzReplayMain without it, calls it once
    per input. Returns 0. */
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);
