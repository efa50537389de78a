#pragma once

#include "platform/port_map.h"
#include "platform/serial_devices.h"

#include <string>
#include <vector>

namespace rl4 {

// Why a port could not be mapped; None when it was.
enum class PortMappingRefusal {
    None,
    NumberOutOfRange,  // outside PortMap::kFirstMapped..kLastMapped
    NoTarget,          // an empty target, or only blanks
    TargetNotWritable, // a '#' (the file would read a comment), a control character, or a character the
                       // file's Windows-1252 lacks
    BadServerAddress,  // begins like socket:// but is no socket://HOST:PORT with a port 1..65535
    FileUnreadable,    // the file is there but cannot be read: writing would lose it
    FileTooLarge,      // only its beginning could be read: writing would lose the rest
    WriteFailed,
};

struct PortMappingEdit {
    std::vector<std::string> lines;
    PortMappingRefusal refusal = PortMappingRefusal::None;
};

// The lines of a port map with port `number` mapped to `target` (blanks around it dropped, as a reader
// would): the first line of that number gets the new target and keeps its comment, later lines of the
// same number go (they would win over it), and without one a line is added at the end. Every other line,
// comments, blanks and lines the reader skips, stays as it is. Refused: the lines come back unchanged.
PortMappingEdit mapPortInLines(std::vector<std::string> lines, int number, const std::string& target);

struct PortMappingResult {
    PortMappingRefusal refusal = PortMappingRefusal::None;
    std::string path;
    int number = 0;
    std::string target;
    // The system's words when the write failed.
    std::string reason;

    bool done() const { return refusal == PortMappingRefusal::None; }
    // What happened, for the operator.
    std::string describe(PortTextLanguage language) const;
};

// Maps port `number` to `target` in `fileName` of `folder`, by mapPortInLines, replacing the file whole
// (replaceTextFile): it holds the old map or the new one, never a mix. A missing file is created.
PortMappingResult writePortMapping(const std::string& folder, int number, const std::string& target,
                                   const std::string& fileName = PortMap::kFileName);

} // namespace rl4
