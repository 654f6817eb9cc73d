#include "backend/HardwareBackend.h"

#include "backend/HardwareBackendPimpl.h"
#include "backend/Settings.h"

JUCE_IMPLEMENT_SINGLETON (HardwareBackend)

HardwareBackend::HardwareBackend()
    : pimpl (std::make_unique<Pimpl> (*this))
{
}

HardwareBackend::~HardwareBackend()
{
    clearSingletonInstance();
}

void HardwareBackend::addListener (Listener* listener)
{
    listeners.add (listener);
}

void HardwareBackend::removeListener (Listener* listener)
{
    listeners.remove (listener);
}

void HardwareBackend::selectDevice (const juce::String& serialNumber)
{
    int index = 0;

    if (serialNumber.isNotEmpty())
    {
        for (std::size_t i = 0; i < pimpl->devices.size(); ++i)
        {
            if (pimpl->devices[i].serialNumber == serialNumber)
            {
                index = static_cast<int> (i);
                break;
            }
        }
    }

    openDevice (index);
}

void HardwareBackend::openDevice (int index)
{
    pimpl->open (index);

    // Also after a failed open: the names of the last interface opened stay in force.
    if (auto settings = Settings::getInstance())
        settings->loadDeviceConfig (pimpl->currentDevice.productName);
}

bool HardwareBackend::isConnected() const
{
    return pimpl->isConnected();
}

DeviceInfo HardwareBackend::getCurrentDevice() const
{
    return pimpl->currentDevice;
}

TUsbAudioApiDll& HardwareBackend::getApi()
{
    return pimpl->api;
}

std::uint32_t HardwareBackend::getDeviceHandle() const
{
    return pimpl->deviceHandle;
}

std::uint32_t HardwareBackend::getAsioInstanceIndex() const
{
    return pimpl->asioInstanceIndex;
}

//==============================================================================
std::vector<Hardware::Channel> HardwareBackend::getInputs() const
{
    std::vector<Hardware::Channel> channels;

    for (auto kind : { Hardware::ApplicationPlayback, Hardware::DeviceInput, Hardware::VirtualPlayback })
    {
        const auto ofKind = pimpl->getChannels (kind);
        channels.insert (channels.end(), ofKind.begin(), ofKind.end());
    }

    return channels;
}

std::vector<Hardware::Channel> HardwareBackend::getOutputs() const
{
    std::vector<Hardware::Channel> channels;

    for (auto kind : { Hardware::DeviceOutput, Hardware::ApplicationRecording, Hardware::VirtualRecording })
    {
        const auto ofKind = pimpl->getChannels (kind);
        channels.insert (channels.end(), ofKind.begin(), ofKind.end());
    }

    return channels;
}

void HardwareBackend::setCrosspointGain (Hardware::Channel input, Hardware::Channel output, float gain)
{
    pimpl->setCrosspointGain (input, output, gain);
}

float HardwareBackend::getCrosspointGain (Hardware::Channel input, Hardware::Channel output) const
{
    return pimpl->getCrosspointGain (input, output);
}

void HardwareBackend::setCrosspointGains (std::vector<Hardware::MacroNode> crosspoints, float gain)
{
    pimpl->setCrosspointGains (crosspoints, gain);
}

void HardwareBackend::setOutputGain (Hardware::Channel output, float gain)
{
    pimpl->setOutputGain (output, gain);
}

float HardwareBackend::getOutputGain (Hardware::Channel output) const
{
    return pimpl->getOutputGain (output);
}

float HardwareBackend::getMeterLevel (Hardware::Channel channel) const
{
    return pimpl->getMeterLevel (channel);
}

void HardwareBackend::refreshMeters()
{
    pimpl->refreshMeters();
}

std::vector<std::uint32_t> HardwareBackend::getBufferSizes() const
{
    return pimpl->getBufferSizes();
}
