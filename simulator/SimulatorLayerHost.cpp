// The simulated library's answers to its copy of the stand-in layer (platform/LayerHost.h): the
// events it signals carry the prefix that the loading process handed over (KSIM_SetEventPrefix),
// none unless it did; the library reads no registry.

#include "platform/LayerHost.h"
#include "simulator/SimulatedDriver.h"

namespace win
{
std::string LayerHost::eventNamePrefix()
{
    auto& driver = SimulatedDriver::getInstance();
    const std::lock_guard<std::recursive_mutex> lock (driver.mutex);
    return driver.eventPrefix;
}

void LayerHost::registryKeyOpened (HKEY, LPCWSTR, LONG, HKEY) {}

void LayerHost::registryKeyClosed (HKEY, LONG) {}
} // namespace win
