#ifndef HISTOGRAM_H
#define HISTOGRAM_H

#include <QImage>
#include <QMetaType>
#include <QVector>

#include <array>

// Figures of one channel of a picture.
struct ChannelHistogram
{
    std::array<quint64, 256> bins{};
    int minimum = 0;
    int maximum = 0;
    double mean = 0;
    double deviation = 0; // standard deviation
    double lowShare = 0;  // share of pixels at 0 (clipped dark), 0..1
    double highShare = 0; // share of pixels at 255 (clipped bright), 0..1
};

// The histogram of a displayed picture: R, G, B for colour, one channel for grey.
struct Histogram
{
    QVector<ChannelHistogram> channels;
    quint64 pixels = 0;

    // RGB888 and Grayscale8 pictures; any other format gives no channel.
    static Histogram of(const QImage& picture);
};
Q_DECLARE_METATYPE(Histogram)

#endif // HISTOGRAM_H
