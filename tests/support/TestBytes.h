// Reproducible contents for test files and frames: the same seed gives the same bytes in every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> randomBytes(size_t n, unsigned seed);
