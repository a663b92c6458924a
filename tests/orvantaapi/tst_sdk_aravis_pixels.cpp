// The backend choice of a library running from its build tree. (The pixel handling of real
// cameras is the SDK's common decoding, tested in tst_sdk_pixels and through the cameras.)
#include "realbackend.h"

#include <gtest/gtest.h>

using namespace orvanta;

TEST(AravisPixels, BuildTreeDefaultsToTheSimulatedCameras)
{
    EXPECT_STREQ(defaultBackends(), "simulated");
}
