#pragma once

#include <cstdint>
#include <random>

// Uniform single-precision values in [0, 1). The program has one shared
// generator (sharedRandom); tests create seeded ones.
class Random {
public:
    virtual ~Random() = default;
    virtual float nextSingle() = 0;
};

// A 32-bit Mersenne Twister. Successive draws always differ in state, so no
// re-seeding is needed between draws.
class MersenneRandom : public Random {
public:
    explicit MersenneRandom(std::uint32_t seed) : m_engine(seed) {}
    float nextSingle() override;
    void seed(std::uint32_t seed) { m_engine.seed(seed); }

private:
    std::mt19937 m_engine;
};

// The program's one generator, seeded once from the system's entropy and clock.
Random& sharedRandom();
