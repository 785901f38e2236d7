#pragma once
#include <cstdint>

// Milliseconds of a steady clock, wrapping at 2^32 like the system tick count.
// Differences are taken in unsigned 32-bit arithmetic.
uint32_t GetTickCount();
