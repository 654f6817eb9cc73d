#include "app/KRVMixerApplication.h"

START_JUCE_APPLICATION (KRVMixerApplication)
