#include "app/KRVMixerApplication.h"
#include "driver/WnTraceLogContext.h"

// The driver toolkit's trace log is set up before the application starts (debugger output on,
// file output off) and stays silent; referencing it here keeps it in the executable.
[[maybe_unused]] static WnTraceLogContext& traceLog = WnTraceLogContext::getGlobal();

START_JUCE_APPLICATION (KRVMixerApplication)
