#pragma once

#include "backend/HardwareBackend.h"
#include "backend/HardwareBackendPimpl.h"

/** Reaches the backend's private part, so that a test can run the poll at once instead of waiting. */
struct HardwareBackendTestAccess
{
    static HardwareBackend::Pimpl& pimpl (HardwareBackend& backend) { return *backend.pimpl; }
};
