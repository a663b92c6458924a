// The transfer figures of a camera session: what its acquisitions delivered, dropped and lost,
// and the intervals between delivered frames. Fed by a backend's stream thread, read and reset
// from any thread.
#ifndef ORVANTA_STREAMCOUNTERS_H
#define ORVANTA_STREAMCOUNTERS_H

#include "OrvantaAPI.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>

namespace orvanta {

class StreamCounters
{
public:
    using Clock = std::chrono::steady_clock;

    // A new acquisition: the gap since the previous one is no frame interval.
    void streamStarted();
    void frameDelivered(Clock::time_point now = Clock::now());
    void framesDropped(uint64_t count = 1);
    void frameIncomplete();
    void packets(uint64_t resent, uint64_t missing);

    OStreamStatistics read(Clock::time_point now = Clock::now()) const;
    void reset();

private:
    struct Interval
    {
        Clock::time_point end;
        uint64_t us;
    };
    mutable std::mutex mutex_; // guards everything below
    OStreamStatistics totals_{};
    uint64_t intervalSumUs_ = 0, intervalCount_ = 0;
    std::deque<Interval> recent_; // intervals that ended within the last second
    Clock::time_point previous_{};
    bool havePrevious_ = false;
};

} // namespace orvanta

#endif
