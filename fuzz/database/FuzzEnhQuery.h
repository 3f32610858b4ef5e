#pragma once
// The enhanced query's fuzz entry, shared by the libFuzzer target and the
// test suite's corpus replay. Returns 0; a broken invariant aborts.
#include <cstddef>
#include <cstdint>

int EnhQueryFuzzOne(const std::uint8_t* data, std::size_t size);
