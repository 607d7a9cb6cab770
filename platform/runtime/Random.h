// The runtime's pseudo-random generator: seeded from the clock, uniform draws.
#pragma once

#include <cstdint>

// Seeds the generator from the clock.
void Randomize();

// A pseudo-random integer from 0 to range - 1 (range > 0).
std::int32_t Random(std::int32_t range);
