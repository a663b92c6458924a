#ifndef HISTOGRAM_H
#define HISTOGRAM_H

#include <QImage>
#include <QMetaType>
#include <QVector>

#include <array>

#include "sdk/OrvantaAPI.h"

// Figures of one channel.
struct ChannelHistogram
{
    std::array<quint64, 256> bins{};
    int minimum = 0;
    int maximum = 0;
    double mean = 0;
    double deviation = 0; // standard deviation
    double lowShare = 0;  // share of pixels at 0 (clipped dark), 0..1
    double highShare = 0; // share of pixels at the top value (clipped bright), 0..1
};

// The histogram of a displayed picture: R, G, B for colour, one channel for grey; or of the
// samples of a deeper mono format, whose 256 bins then span its full range (a bin holds
// 2^(depth - 8) values; minimum, maximum and mean are sample values).
struct Histogram
{
    QVector<ChannelHistogram> channels;
    quint64 pixels = 0;
    int depth = 8; // bits of a sample

    // RGB888 and Grayscale8 pictures; any other format gives no channel.
    static Histogram of(const QImage& picture);
    // The samples of a mono frame as rawSampleAt reads them, depth bits each.
    static Histogram ofSamples(const OImageFrame& frame, int depth);
};
Q_DECLARE_METATYPE(Histogram)

#endif // HISTOGRAM_H
