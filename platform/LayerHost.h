#pragma once

// What the stand-in layer asks of the executable or library that links it: the text that goes
// before every event name, and who is told of registry calls. Each such target links exactly one
// definition of these functions:
//
// - the program: kelvaro_platform_host (platform/host/ProgramLayerHost.cpp), with the names that
//   the program and the driver use and nobody told of registry calls;
// - tests, benchmarks and fuzz targets: kelvaro_platform_testing (tests/support/platform/TestLayerHost.cpp),
//   with event names of their own per process (TestEventNames) and a registry call log that a test
//   may keep (RegistryCallLog);
// - the simulated interface library: its own (simulator/SimulatorLayerHost.cpp), with the text that
//   the process loading it has handed over through its control functions.
//
// Without one of them, a target that uses the layer's events or registry fails to link or, as a
// shared library, to load.

#include "platform/WinTypes.h"

#include <string>

namespace win
{
class LayerHost
{
public:
    /** The text before every event name that this copy of the layer creates or opens. */
    static std::string eventNamePrefix();

    /** Told after every RegOpenKeyExW, with its arguments and result; `opened` is null on failure. */
    static void registryKeyOpened (HKEY parent, LPCWSTR subKey, LONG status, HKEY opened);

    /** Told after every RegCloseKey, with its argument and result. */
    static void registryKeyClosed (HKEY key, LONG status);
};
} // namespace win
