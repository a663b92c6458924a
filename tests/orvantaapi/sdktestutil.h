// Shared helpers of the SDK tests: a fixture that initialises the SDK per test and opens
// simulated cameras, and caller-owned grab buffers.
#ifndef ORVANTA_SDKTESTUTIL_H
#define ORVANTA_SDKTESTUTIL_H

#include "OrvantaAPI.h"
#include "OrvantaSimControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SdkTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(OrvantaInit(), ORVANTA_OK); }
    void TearDown() override { OrvantaUninit(); }

    // Plugs a camera of a kind and opens it.
    OrvantaHandle openKind(const char* kind, std::string* idOut = nullptr)
    {
        char id[ORVANTA_TEXT_SIZE] = {};
        EXPECT_EQ(OrvantaSimPlugCamera(kind, id), ORVANTA_OK);
        OrvantaHandle h = nullptr;
        EXPECT_EQ(OrvantaOpenCamera(id, &h), ORVANTA_OK) << kind;
        if (idOut)
            *idOut = id;
        return h;
    }

    static std::string cameraId(int index)
    {
        char id[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetCameraID(index, id);
        return id;
    }
};

// Grab buffers sized for the sensor as the header asks (raw data of any format).
struct GrabBuffers
{
    std::vector<unsigned char> raw, rgb, mono8;
    OImageFrame frame{};

    explicit GrabBuffers(OrvantaHandle h)
    {
        OSizeInfo s{};
        OrvantaGetSizeInfo(h, &s);
        const size_t pixels = size_t(s.maxWidth) * size_t(s.maxHeight);
        raw.resize(pixels * 4);
        rgb.resize(pixels * 3);
        mono8.resize(pixels);
        frame.rawData = raw.data();
        frame.rgbData = rgb.data();
        frame.mono8Data = mono8.data();
    }

    double meanMono8() const
    {
        const size_t n = size_t(frame.width) * frame.height;
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += mono8[i];
        return n ? sum / double(n) : 0;
    }

    // Mean of one colour channel of rgbData.
    double meanRgb(int channel) const
    {
        const size_t n = size_t(frame.width) * frame.height;
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += rgb[3 * i + size_t(channel)];
        return n ? sum / double(n) : 0;
    }
};

#endif
