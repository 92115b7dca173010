#pragma once

#include <optional>
#include <span>

// The input level of one metering tick. The tick's average power p is the mean square of its
// samples in dB against a full scale of 1.0 (10·log10(mean x²)), the RMS level in dBFS: a sine
// whose RMS is -10 dBFS (peak about -7 dBFS) gives p = -10; a half-scale sine gives about -9.
// The level is max(0, (p + 50) / 50): 0 at -50 dBFS and below, 1 at full scale, unclamped above.
class LevelMeter {
public:
    void add(std::span<const float> samples);
    // The level of the samples added since the last call; nothing when none came.
    std::optional<double> take();

    static double level(float powerDb);

private:
    double m_sumOfSquares = 0;
    long long m_count = 0;
};
