#pragma once

#include "backend/HardwareBackend.h"
#include "support/SimulatorHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

/**
    A backend connected to the first simulated interface (a TROVIK, factory mixer), with an empty
    journal. The backend can be created once per process, and ctest runs each test in its own.
*/
class ConnectedMixerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (sim.isReady());
        backend = HardwareBackend::getInstance();
        ASSERT_NE (backend, nullptr) << "the backend can only be created once per process";
        backend->selectDevice ({});
        ASSERT_TRUE (backend->isConnected());
        sim.KSIM_ClearJournal();
    }

    void TearDown() override
    {
        HardwareBackend::deleteInstance();
    }

    /** The set requests received since the last clear, as hex. */
    std::vector<std::string> sets() const
    {
        std::vector<std::string> result;
        for (const auto& entry : sim.journal())
            if (entry.entryPoint == "SetDspProperty")
                result.push_back (entry.hex());
        return result;
    }

    SimulatorHarness sim;
    HardwareBackend* backend = nullptr;
};

/** Deletes the backend for good, so that HardwareBackend::getInstance gives null as after shut-down. */
inline void shutDownBackend()
{
    HardwareBackend::getInstance();
    HardwareBackend::deleteInstance();
}
