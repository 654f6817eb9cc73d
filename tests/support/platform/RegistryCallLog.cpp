#include "support/platform/RegistryCallLog.h"

#include "platform/WideText.h"

#include <atomic>

namespace win
{
namespace
{
std::atomic<RegistryCallLog*>& activeLog()
{
    static std::atomic<RegistryCallLog*> log { nullptr };
    return log;
}

std::string failure (LONG status)
{
    return status == static_cast<LONG> (ERROR_SUCCESS) ? std::string() : " failed " + std::to_string (status);
}
} // namespace

RegistryCallLog::RegistryCallLog()
{
    activeLog() = this;
}

RegistryCallLog::~RegistryCallLog()
{
    activeLog() = nullptr;
}

std::vector<std::string> RegistryCallLog::entries() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return log;
}

std::string RegistryCallLog::pathOf (HKEY key) const
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";

    const auto found = openKeys.find (key);
    return found != openKeys.end() ? found->second : "?";
}

void RegistryCallLog::keyOpened (HKEY parent, LPCWSTR subKey, LONG status, HKEY opened)
{
    auto* self = activeLog().load();

    if (self == nullptr)
        return;

    const std::lock_guard<std::mutex> guard (self->lock);
    auto path = self->pathOf (parent);

    if (subKey != nullptr && *subKey != 0)
        path += "\\" + WideText::toUtf8 (subKey);

    if (status == static_cast<LONG> (ERROR_SUCCESS) && opened != nullptr)
        self->openKeys[opened] = path;

    self->log.push_back ("open " + path + failure (status));
}

void RegistryCallLog::keyClosed (HKEY key, LONG status)
{
    auto* self = activeLog().load();

    if (self == nullptr)
        return;

    const std::lock_guard<std::mutex> guard (self->lock);
    self->log.push_back ("close " + self->pathOf (key) + failure (status));

    if (status == static_cast<LONG> (ERROR_SUCCESS))
        self->openKeys.erase (key);
}
} // namespace win
