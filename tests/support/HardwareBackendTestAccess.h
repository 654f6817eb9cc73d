#pragma once

#include "backend/HardwareBackend.h"
#include "backend/HardwareBackendPimpl.h"

// The backend's tests define this same friend with these very tokens; a class may be defined in
// several translation units when every definition is token for token the same.

/** Reaches the backend's private part, so that a test can run the poll at once instead of waiting. */
struct HardwareBackendTestAccess
{
    static HardwareBackend::Pimpl& pimpl (HardwareBackend& backend) { return *backend.pimpl; }
};
