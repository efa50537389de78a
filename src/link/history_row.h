#pragma once

#include <cstdint>
#include <string>

namespace rl4 {

// One frame handled by the read-and-decode pass, as the history lists it.
struct HistoryRow {
    std::string sent;     // dotted hexadecimal of the frame sent, or "External"
    std::string received; // dotted hexadecimal of the frame received (or simulated)
    std::string instr;    // what the answer says was done; "Error" when it was not recognised
    std::string object;   // what it was done to
    std::string in;       // the answer's input value in number form, or the error word
    std::string out;      // the answer's output value in number form, or the error word
    std::string timeOfDay;
    long responseMs = 0;       // from the last send to this reception
    bool recognised = false;   // false: drawn in red
    bool simulated = false;    // no port open: the frame is the echo of the one sent
    std::int64_t atMicros = 0; // reception time on the monotonic clock
};

} // namespace rl4
