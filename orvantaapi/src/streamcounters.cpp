#include "streamcounters.h"

#include <algorithm>

namespace orvanta {

namespace {
constexpr auto kWindow = std::chrono::seconds(1);
} // namespace

void StreamCounters::streamStarted()
{
    std::lock_guard<std::mutex> lock(mutex_);
    havePrevious_ = false;
}

void StreamCounters::frameDelivered(Clock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++totals_.framesDelivered;
    if (havePrevious_) {
        const auto us = uint64_t(
            std::chrono::duration_cast<std::chrono::microseconds>(now - previous_).count());
        if (intervalCount_ == 0 || us < totals_.intervalMinUs)
            totals_.intervalMinUs = us;
        totals_.intervalMaxUs = std::max(totals_.intervalMaxUs, us);
        intervalSumUs_ += us;
        ++intervalCount_;
        recent_.push_back({now, us});
        while (recent_.front().end + kWindow < now)
            recent_.pop_front();
    }
    previous_ = now;
    havePrevious_ = true;
}

void StreamCounters::framesDropped(uint64_t count)
{
    std::lock_guard<std::mutex> lock(mutex_);
    totals_.framesDropped += count;
}

void StreamCounters::frameIncomplete()
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++totals_.framesIncomplete;
}

void StreamCounters::packets(uint64_t resent, uint64_t missing)
{
    std::lock_guard<std::mutex> lock(mutex_);
    totals_.packetsResent += resent;
    totals_.packetsMissing += missing;
}

OStreamStatistics StreamCounters::read(Clock::time_point now) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    OStreamStatistics s = totals_;
    s.intervalMeanUs = intervalCount_ ? intervalSumUs_ / intervalCount_ : 0;
    uint64_t sum = 0, count = 0;
    for (const Interval& i : recent_) {
        if (i.end + kWindow < now)
            continue;
        s.lastSecondMinUs = count == 0 ? i.us : std::min(s.lastSecondMinUs, i.us);
        s.lastSecondMaxUs = std::max(s.lastSecondMaxUs, i.us);
        sum += i.us;
        ++count;
    }
    s.lastSecondMeanUs = count ? sum / count : 0;
    return s;
}

void StreamCounters::reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    totals_ = OStreamStatistics{};
    intervalSumUs_ = intervalCount_ = 0;
    recent_.clear();
    // The next frame's interval to the last one before the reset still counts: the stream ran.
}

} // namespace orvanta
