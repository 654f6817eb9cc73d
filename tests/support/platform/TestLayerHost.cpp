// The answers of tests, benchmarks and fuzz targets to the stand-in layer (platform/LayerHost.h):
// the event names of this process (TestEventNames) and the registry call log, if a test keeps one.

#include "platform/LayerHost.h"

#include "support/platform/RegistryCallLog.h"
#include "support/platform/TestEventNames.h"

namespace win
{
std::string LayerHost::eventNamePrefix()
{
    return TestEventNames::prefix();
}

void LayerHost::registryKeyOpened (HKEY parent, LPCWSTR subKey, LONG status, HKEY opened)
{
    RegistryCallLog::keyOpened (parent, subKey, status, opened);
}

void LayerHost::registryKeyClosed (HKEY key, LONG status)
{
    RegistryCallLog::keyClosed (key, status);
}
} // namespace win
