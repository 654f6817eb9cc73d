#include "app/KRVMixerApplication.h"

#include <gtest/gtest.h>

TEST (KRVMixerApplication, NameVersionAndSingleInstance)
{
    KRVMixerApplication app;
    EXPECT_EQ (app.getApplicationName(), "Kelvaro Audio Mixer");
    EXPECT_EQ (app.getApplicationVersion(), "1.0.4");
    EXPECT_FALSE (app.moreThanOneInstanceAllowed());
}
