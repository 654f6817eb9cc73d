// The program's answers: its events carry exactly the names that it and the driver give them,
// and nobody watches its registry calls.

#include "platform/LayerHost.h"

namespace win
{
std::string LayerHost::eventNamePrefix()
{
    return {};
}

void LayerHost::registryKeyOpened (HKEY, LPCWSTR, LONG, HKEY) {}

void LayerHost::registryKeyClosed (HKEY, LONG) {}
} // namespace win
