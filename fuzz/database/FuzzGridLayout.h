#pragma once
// The grid layout reader's fuzz entry, shared by the libFuzzer target and
// the test suite's corpus replay. Returns 0; a broken invariant aborts.
#include <cstddef>
#include <cstdint>

int GridLayoutFuzzOne(const std::uint8_t* data, std::size_t size);
