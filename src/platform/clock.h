// The program's notion of "now". Tests pin it; everything else reads it here.
#pragma once
#include <cstdint>

std::int64_t Now();
void PinClock(std::int64_t instant);
void UnpinClock();
