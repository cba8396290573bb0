#include "platform/Random.h"

#include <chrono>

Random& sharedRandom() {
    static MersenneRandom generator([] {
        std::random_device device;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return static_cast<std::uint32_t>(device() ^ static_cast<std::uint32_t>(ticks));
    }());
    return generator;
}
