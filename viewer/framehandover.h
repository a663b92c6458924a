#ifndef FRAMEHANDOVER_H
#define FRAMEHANDOVER_H

#include <cstdint>
#include <mutex>
#include <vector>

#include "sdk/OrvantaAPI.h"

// A frame delivered by the SDK callback, with the frame number read inside the callback so
// the consumer can pin exactly that frame later (OrvantaLockFrame).
struct FrameRef
{
    OImageFrame* frame = nullptr;
    uint64_t frameID = 0;
};

// Hands frames from the SDK callback thread to the display thread. The callback only records
// the newest frame (constant time, never waits for the display); the display thread takes it,
// and every frame it did not take in the meantime is dropped.
class FrameHandOver
{
public:
    void push(OImageFrame* frame);
    bool takeNewest(FrameRef* out);
    void clear();
    uint64_t droppedFrames() const;

private:
    mutable std::mutex m_mutex;
    FrameRef m_newest;
    bool m_pending = false;
    uint64_t m_dropped = 0;
};

// Which plane of a frame the display shows.
enum class DisplayPlane
{
    Rgb,   // rgbData, 3 bytes a pixel
    Mono8, // mono8Data, the 8-bit plane of 16-bit-container formats
    Raw    // rawData, 8-bit sensor bytes
};

DisplayPlane displayPlaneFor(bool colour, uint32_t pixelFormat, uint32_t bitsPerPixel);

// Pixels copied out of an SDK frame while it was pinned. The display picture is always packed
// (3w or w bytes a row); extra holds the raw sensor bytes or the RGB bytes a save asked for.
struct CopiedFrame
{
    enum class Extra
    {
        None,
        Raw,
        Rgb
    };

    int width = 0;
    int height = 0;
    bool colour = false;
    std::vector<unsigned char> picture;
    std::vector<unsigned char> extra;
};

// Copies a frame handed over by the callback: pins it, copies the display plane (and the
// requested extra bytes), unpins. Returns false when the SDK reused the buffers before the
// pin (the frame is dropped, nothing torn is ever shown) or when the frame has no pixels.
// The picture vector grows when a frame is larger than before, so a geometry change without
// a restart never overruns it.
bool copyPinnedFrame(const FrameRef& ref, bool colour, uint32_t pixelFormat,
                     CopiedFrame::Extra extra, CopiedFrame* out);

#endif // FRAMEHANDOVER_H
