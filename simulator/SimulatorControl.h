#pragma once

// The simulated interface library's control interface, for tests and for watching the mixer from
// outside. The library stands in for the USB audio driver's API library: it exports the driver's
// TUSBAUDIO_ entry points and, beside them, the KSIM_ functions declared here (look them up by name
// with GetProcAddress on the loaded module; tests/support/SimulatorHarness does that).
//
// The simulated driver:
// - serves API 5.12 (KSIM_SetApiVersion changes it; CheckApiVersion(major, minor) is non-zero when
//   the served version is at least the one asked for);
// - has interfaces of three models, all by "Kelvaro": "Vantiq Pexa" and "VANTIQ SULKA" (6 application
//   playback, 6 device inputs, 4 virtual playback, 6 device outputs, 6 application recording,
//   4 virtual recording channels) and "VANTIQ TROVIK" (16, 14, 4, 16, 14, 4). Serial numbers are the
//   model name and an attach number, "TROVIK-0001", "PEXA-0002" and so on, counted from 1 again by
//   KSIM_Reset;
// - attaches one TROVIK and then one Pexa when it loads and on KSIM_Reset, unless the environment
//   variable KELVARO_SIM_DEVICES lists the models to attach instead, comma-separated, ignoring case
//   (for example "Sulka,Pexa"; an empty value attaches none);
// - counts the interfaces that were attached at the last TUSBAUDIO_EnumerateDevices (or at load /
//   reset): GetDeviceCount and OpenDeviceByIndex use that list, as a real driver's enumeration does;
// - hands out a new non-zero handle on every open; requests on an unknown or closed handle get
//   simulatorInvalidHandle, requests on a handle whose interface was detached get
//   simulatorDeviceGone (CloseDevice still releases such a handle);
// - serves the DSP mixer properties of the interface (driver/DspProtocol.h): protocol version
//   (42), the six channel counts (100-105), crosspoint gains (200: set any number, get one),
//   output gains (201), the meter switch (300) and the meter block (301, only while the meters are
//   on). A malformed request (wrong size, property set other than 77, unknown property or direction,
//   wrong kinds, index beyond the count, a meter switch other than 0 or 1) gets 0xEE000041 and
//   changes nothing. Factory mixer: application playback i to device output i and device input i
//   to application recording i at unity, every other crosspoint 0, every output gain unity;
// - meters: every meter block request advances a deterministic model one step. Each mixer input
//   carries a slowly moving level between -36 and -12 dB unless KSIM_SetInputLevel fixed it; each
//   output's level is the sum of its inputs' amplitudes through the current crosspoint gains, times
//   its output gain, limited to 0 dB. Levels are in hundredths of a dB, -12000 for silence. Only
//   bytes 6-7 of each entry are written;
// - sample rates 44100, 48000, 88200, 96000, 176400, 192000 (48000 at first); one ASIO instance per
//   interface (number = attach number) with buffer sizes 32 to 2048 by powers of two (256 at first);
//   word 0 of the instance record is an id of its own (not the instance number);
// - signals the named event "deviceSettingsChange" when a sample rate or buffer size is set on an
//   interface whose settings notification is registered (any filter other than 0), and
//   "PNPdeviceChange" on KSIM_AttachDevice / KSIM_DetachDevice while plug-and-play notification is
//   registered, by name through the stand-in layer's events, after the prefix that
//   KSIM_SetEventPrefix gave (none at first: the names that the program uses);
// - keeps a journal of every DSP request received: entry point ("GetDspProperty" or
//   "SetDspProperty"), the request's bytes as received and the status answered. When the environment
//   variable KELVARO_SIM_JOURNAL names a file, each entry is also appended there as one line:
//   "SetDspProperty 4D000000C8000000... status=00000000" (bytes and status in upper-case hex).
//
// Interface numbers of the KSIM_ functions are positions in the list of attached interfaces, in
// attach order. Channel kinds are the mixer's kind numbers: 0 application playback, 1 device input,
// 2 virtual playback (mixer inputs), 4 application recording, 5 device output, 6 virtual recording
// (mixer outputs). Functions returning a status give 0 or 0xEE000041 for a bad argument.

#include <cstdint>

/** Status for a request on a handle the driver never gave out or that was closed (ERROR_INVALID_HANDLE). */
constexpr std::uint32_t simulatorInvalidHandle = 6;

/** Status for a request on a handle whose interface has been detached (ERROR_DEVICE_NOT_CONNECTED). */
constexpr std::uint32_t simulatorDeviceGone = 1167;

/** KSIM_SetInputLevel's level that gives the input back its moving test signal. */
constexpr std::int32_t simulatorMovingLevel = INT32_MIN;

extern "C"
{
/** Back to the state after loading: default interfaces, API 5.12, protocol 2, no failures, no open
    handles, no registrations, empty journal. Handles given out before stay invalid. */
using KSIM_Reset_t = void (*)();

/** Attaches an interface of the model "Pexa", "Sulka" or "Trovik" (ignoring case) at the end of the
    list; returns its interface number, or -1 for an unknown model. */
using KSIM_AttachDevice_t = std::int32_t (*) (const char* model);

/** Detaches interface number `device`. */
using KSIM_DetachDevice_t = std::uint32_t (*) (std::uint32_t device);

/** The number of attached interfaces. */
using KSIM_GetAttachedCount_t = std::uint32_t (*)();

/** Gives an interface another serial number (at most 127 characters). */
using KSIM_SetSerialNumber_t = std::uint32_t (*) (std::uint32_t device, const char* serialNumber);

/** The API version served from now on. */
using KSIM_SetApiVersion_t = void (*) (std::uint32_t major, std::uint32_t minor);

/** The two words of the protocol version reply, for every interface, also those attached later. */
using KSIM_SetProtocolVersion_t = void (*) (std::uint32_t version, std::uint32_t word2);

/** Sets an interface's six channel counts, in property order 100 to 105 (device outputs, device
    inputs, application playback, application recording, virtual playback, virtual recording). Any
    value goes, 100000 too. The mixer goes back to its factory routing for the new counts. */
using KSIM_SetChannelCounts_t = std::uint32_t (*) (std::uint32_t device, const std::uint32_t* counts);

/** Makes an entry point (named with or without "TUSBAUDIO_") answer `status` and do nothing, from now
    on; status 0 lets it work again. Entry points without a status result give 0 instead (version,
    count) or do nothing. */
using KSIM_FailEntryPoint_t = std::uint32_t (*) (const char* entryPoint, std::uint32_t status);

/** Fixes a mixer input's level (hundredths of a dB, -12000 to 0), or gives it back its moving signal
    with simulatorMovingLevel. */
using KSIM_SetInputLevel_t = std::uint32_t (*) (std::uint32_t device, std::int32_t kind, std::uint32_t index,
                                                 std::int32_t level);

/** The stored 8.24 gain of a crosspoint. */
using KSIM_GetCrosspointGain_t = std::uint32_t (*) (std::uint32_t device, std::int32_t inputKind, std::uint32_t inputIndex,
                                                     std::int32_t outputKind, std::uint32_t outputIndex, std::int32_t* gain);

/** The stored 8.24 gain of an output. */
using KSIM_GetOutputGain_t = std::uint32_t (*) (std::uint32_t device, std::int32_t outputKind, std::uint32_t outputIndex,
                                                 std::int32_t* gain);

/** 1 while an interface's meters are on, 0 while off, -1 for no such interface. */
using KSIM_GetMetersEnabled_t = std::int32_t (*) (std::uint32_t device);

/** 1 while plug-and-play notification is registered, else 0. */
using KSIM_GetPnpRegistered_t = std::int32_t (*)();

/** 1 while an interface's settings notification is registered, 0 while not, -1 for no such interface. */
using KSIM_GetSettingsRegistered_t = std::int32_t (*) (std::uint32_t device);

/** The number of handles given out and not yet closed. */
using KSIM_GetOpenHandleCount_t = std::uint32_t (*)();

/** The number of journal entries (the oldest are dropped beyond 65536). */
using KSIM_GetJournalSize_t = std::uint32_t (*)();

/** Copies journal entry `index`: the entry point's name (NUL-terminated, cut to nameCapacity), up to
    `capacity` of its request bytes, the request's full size and the status answered. Gives
    ERROR_MORE_DATA (234) when the bytes did not fit, 0xEE000041 for no such entry. */
using KSIM_GetJournalEntry_t = std::uint32_t (*) (std::uint32_t index, char* name, std::uint32_t nameCapacity,
                                                   std::uint8_t* bytes, std::uint32_t capacity,
                                                   std::uint32_t* size, std::uint32_t* status);

/** Empties the journal (not the file). */
using KSIM_ClearJournal_t = void (*)();

/** Puts `prefix` (null: none) before the names of the events that the simulator signals from now
    on, so that it reaches the events of a process that gives its events names of its own (tests,
    benchmarks). KSIM_Reset keeps it. */
using KSIM_SetEventPrefix_t = void (*) (const char* prefix);
}
