#include "support/platform/TestEventNames.h"

#include "platform/WinProcess.h"

#include <mutex>

namespace win
{
namespace
{
struct Prefix
{
    std::mutex lock;
    std::string text;
};

Prefix& processPrefix()
{
    static Prefix prefix;
    return prefix;
}
} // namespace

std::string TestEventNames::useOwn (const std::string& kind)
{
    auto text = "kelvaro-" + kind + "-" + std::to_string (GetCurrentProcessId()) + "-";
    use (text);
    return text;
}

void TestEventNames::use (const std::string& prefix)
{
    auto& own = processPrefix();
    const std::lock_guard<std::mutex> lock (own.lock);
    own.text = prefix;
}

std::string TestEventNames::prefix()
{
    auto& own = processPrefix();
    const std::lock_guard<std::mutex> lock (own.lock);
    return own.text;
}
} // namespace win
