#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Each fuzz target defines the libFuzzer entry point; built without libFuzzer, a small driver
// replays the target's seed corpus so that every test run exercises it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// A broken invariant: abort so the fuzzer (or the replay) reports the input.
#define QLNX_FUZZ_CHECK(condition)                                                                 \
    do {                                                                                           \
        if (!(condition))                                                                          \
            std::abort();                                                                          \
    } while (false)
