#include "backend/Hardware.h"

namespace Hardware
{
ChannelKind channelKindFromString (const juce::String& name)
{
    struct KindName
    {
        const char* text;
        ChannelKind kind;
    };

    static constexpr KindName kindNames[] = {
        { "ApplicationPlayback",  ApplicationPlayback },
        { "DeviceInput",          DeviceInput },
        { "VirtualPlayback",      VirtualPlayback },
        { "ApplicationRecording", ApplicationRecording },
        { "DeviceOutput",         DeviceOutput },
        { "VirtualRecording",     VirtualRecording }
    };

    for (const auto& entry : kindNames)
        if (name.equalsIgnoreCase (entry.text))
            return entry.kind;

    // Unknown and empty names fall back to the first kind rather than being rejected.
    return ApplicationPlayback;
}
} // namespace Hardware
