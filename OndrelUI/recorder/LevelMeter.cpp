#include "OndrelUI/recorder/LevelMeter.h"

#include <algorithm>
#include <cmath>

void LevelMeter::add(std::span<const float> samples) {
    for (const float sample : samples)
        m_sumOfSquares += double(sample) * double(sample);
    m_count += (long long)samples.size();
}

std::optional<double> LevelMeter::take() {
    if (m_count == 0)
        return std::nullopt;
    // Silence is -inf dB, which the formula maps to 0.
    const auto power = float(10 * std::log10(m_sumOfSquares / double(m_count)));
    m_sumOfSquares = 0;
    m_count = 0;
    return level(power);
}

double LevelMeter::level(float powerDb) {
    return std::max(0.0, (double(powerDb) + 50) / 50);
}
