#pragma once

#include "support/temp_folder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace rl4::fuzz {

// A broken rule found by a fuzz target: said, then aborted, so that libFuzzer keeps the input.
#define RL4_FUZZ_CHECK(condition)                                                                            \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// The readers under test open files: each input is written as the file, in a folder the process keeps for
// its whole run (the runner points TMPDIR at memory, as the writers force every file to the disk).
inline const test::TempFolder& scratch() {
    static const test::TempFolder folder;
    return folder;
}

inline std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = scratch().path(name);
    test::writeBytes(path, std::string(reinterpret_cast<const char*>(data), size));
    return path;
}

} // namespace rl4::fuzz
