#include "platform/Random.h"

#include <chrono>

float MersenneRandom::nextSingle() {
    // 24 random bits give every float in [0, 1) on a 2^-24 grid, never 1.
    return static_cast<float>(m_engine() >> 8) * (1.0f / 16777216.0f);
}

Random& sharedRandom() {
    static MersenneRandom generator([] {
        std::random_device device;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return static_cast<std::uint32_t>(device() ^ static_cast<std::uint32_t>(ticks));
    }());
    return generator;
}
