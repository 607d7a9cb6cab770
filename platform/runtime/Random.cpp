// A clock-seeded Mersenne twister stands behind Randomize and Random.
#include "platform/runtime/Random.h"

#include <chrono>
#include <random>

namespace {

std::mt19937 &generator()
{
    static std::mt19937 engine(5489u);
    return engine;
}

} // namespace

void Randomize()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    generator().seed(seed);
}

std::int32_t Random(std::int32_t range)
{
    std::uniform_int_distribution<std::int32_t> draw(0, range - 1);
    return draw(generator());
}
