#pragma once

#include <cstdint>
#include <random>
#include <span>

// Uniform single-precision values in [0, 1). The program has one shared
// generator (sharedRandom); tests create seeded ones.
class Random {
public:
    virtual ~Random() = default;
    virtual float nextSingle() = 0;
    // Fills `out` with the next draws, the same values in the same order as
    // that many calls of nextSingle().
    virtual void nextSingles(std::span<float> out) {
        for (float& value : out)
            value = nextSingle();
    }
};

// A 32-bit Mersenne Twister. Successive draws always differ in state, so no
// re-seeding is needed between draws.
class MersenneRandom : public Random {
public:
    // std::mt19937's parameters, so the same sequence, but with the state in
    // 32-bit words: std::mt19937 keeps it in 64-bit ones here, which makes
    // every draw more than twice as slow.
    using Engine =
        std::mersenne_twister_engine<std::uint32_t, 32, 624, 397, 31, 0x9908b0dfu, 11, 0xffffffffu,
                                     7, 0x9d2c5680u, 15, 0xefc60000u, 18, 1812433253u>;

    explicit MersenneRandom(std::uint32_t seed) : m_engine(seed) {}
    float nextSingle() override { return toSingle(m_engine()); }
    // Without a call per value: a plot may draw millions.
    void nextSingles(std::span<float> out) override {
        for (float& value : out)
            value = toSingle(m_engine());
    }
    void seed(std::uint32_t seed) { m_engine.seed(seed); }

private:
    // 24 random bits give every float in [0, 1) on a 2^-24 grid, never 1.
    static float toSingle(std::uint32_t bits) {
        return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
    }

    Engine m_engine;
};

// The program's one generator, seeded once from the system's entropy and clock.
Random& sharedRandom();
