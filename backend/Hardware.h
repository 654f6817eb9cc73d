#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

/** The mixer's channel records, shared by the backend, the settings and the widgets. */
namespace Hardware
{
/** A channel kind: 0 to 2 are mixer inputs, 4 to 6 mixer outputs; 3 is never used. */
enum ChannelKind : std::int32_t
{
    ApplicationPlayback  = 0,
    DeviceInput          = 1,
    VirtualPlayback      = 2,
    ApplicationRecording = 4,
    DeviceOutput         = 5,
    VirtualRecording     = 6
};

/** A mixer channel: its kind and its zero-based index, passed by value. */
struct Channel
{
    ChannelKind kind;
    std::int32_t index;
};

/** One crosspoint of a macro. */
struct MacroNode
{
    std::int32_t inputKind;
    std::int32_t inputIndex;
    std::int32_t outputKind;
    std::int32_t outputIndex;
};

/** A named list of crosspoints that one slider drives together. */
struct Macro
{
    juce::String name;
    std::vector<MacroNode> nodes;
};

/** True for the interface's default routes, which a mixer reset and Alt-click set to unity:
    playback i to device output i, device input i to recording i, virtual playback i to virtual
    recording i. Every other crosspoint is silent by default. */
inline bool isDefaultRoute (Channel input, Channel output)
{
    if (input.index != output.index)
        return false;

    return (input.kind == ApplicationPlayback && output.kind == DeviceOutput)
        || (input.kind == DeviceInput && output.kind == ApplicationRecording)
        || (input.kind == VirtualPlayback && output.kind == VirtualRecording);
}

/** The kind named by a configuration document's text, compared ignoring case; any other text gives 0. */
ChannelKind channelKindFromString (const juce::String& name);
} // namespace Hardware
