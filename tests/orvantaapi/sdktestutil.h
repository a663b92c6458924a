// Shared helpers of the SDK tests: a fixture that initialises the SDK per test and opens
// simulated cameras, caller-owned grab buffers, and node writes and feature files as text.
#ifndef ORVANTA_SDKTESTUTIL_H
#define ORVANTA_SDKTESTUTIL_H

#include "OrvantaAPI.h"
#include "OrvantaSimControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

// The newest frame a frame callback published, and pinning it: the SDK may reuse the frame
// between reading it here and the pin, so pin() tries again with the next newest one.
class NewestFrame
{
public:
    void publish(OImageFrame* frame)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frame_ = frame;
        id_ = frame->frameID;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frame_ = nullptr;
    }
    OImageFrame* get()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return frame_;
    }
    // Calls look(frame) while no newer frame can be published.
    template <class Look> void inspect(Look&& look)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        look(frame_);
    }
    // The status of the last attempt; *pinned and *pinnedId are the frame it was made on.
    int pin(OImageFrame** pinned, uint64_t* pinnedId)
    {
        int rc = ORVANTA_ERR_FRAME_REUSED;
        for (int attempt = 0; attempt < 100 && rc != ORVANTA_OK; ++attempt) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                *pinned = frame_;
                *pinnedId = id_;
            }
            rc = OrvantaLockFrame(*pinned, *pinnedId);
        }
        return rc;
    }

private:
    std::mutex mutex_;
    OImageFrame* frame_ = nullptr;
    uint64_t id_ = 0;
};

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

// Writes a node of any value type from text; the status of the typed call.
inline int setNodeText(OrvantaHandle h, const char* name, const char* text)
{
    NodeInfo info{};
    if (int rc = OrvantaGetNodeInfo(h, name, &info))
        return rc;
    switch (info.type) {
    case ORVANTA_NODE_INTEGER:
        return OrvantaSetNodeInt(h, name, std::strtoll(text, nullptr, 0));
    case ORVANTA_NODE_FLOAT:
        return OrvantaSetNodeFloat(h, name, std::strtod(text, nullptr));
    case ORVANTA_NODE_BOOLEAN:
        return OrvantaSetNodeBoolean(h, name, std::string(text) == "1");
    default:
        return OrvantaSetNodeString(h, name, text);
    }
}

inline int64_t nodeInt(OrvantaHandle h, const char* name)
{
    NodeIntInfo v{};
    EXPECT_EQ(OrvantaGetNodeInt(h, name, &v), ORVANTA_OK) << name;
    return v.value;
}

inline double nodeFloat(OrvantaHandle h, const char* name)
{
    NodeFloatInfo v{};
    EXPECT_EQ(OrvantaGetNodeFloat(h, name, &v), ORVANTA_OK) << name;
    return v.value;
}

// A file in the test's temporary directory, removed with the object.
struct TempFile
{
    std::string path;
    explicit TempFile(const std::string& name)
        : path(::testing::TempDir() + "orvanta-" + std::to_string(::getpid()) + "-" + name)
    {}
    ~TempFile() { std::remove(path.c_str()); }

    std::string read() const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }

    // The lines that are not comments.
    std::vector<std::string> featureLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#')
                lines.push_back(line);
        return lines;
    }
};

#endif
