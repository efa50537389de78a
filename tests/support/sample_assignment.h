#pragma once

#include <string>
#include <vector>

namespace rl4::test {

// A name in its 20-column field of an assignment file.
inline std::string name20(const std::string& name) {
    return name + std::string(20 - name.size(), ' ');
}

// An assignment file written by hand from its column rules: sources 1 Camera 1, 2 Camera 2, 3 Tape,
// 4 Graphics (RGB only), 5 Server, 6 Black (input 0 everywhere); destinations 1 Monitor 1 (every layer),
// 2 Monitor 2 (no RGB), 3 Recorder (no Y/C, RGB output 2), 4 Projector (RGB and Y/C only).
inline std::vector<std::string> sampleAssignmentLines() {
    const std::string separator(41, '-');
    return {
        "Video In = 5",
        "Video Out = 3",
        "Audio In = 5",
        "Audio Out = 3",
        "RVB In = 5",
        "RVB Out = 3",
        "YW In = 5",
        "YW Out = 3",
        separator,
        "SOURCES             |Kin|Vin|Ain|Rin|YWi|",
        name20("Camera 1") + "|  1|  1|  1|  1|  1|",
        name20("Camera 2") + "|  2|  2|  2|   |  2|",
        name20("Tape") + "|   |  3|  3|   |   |",
        name20("Graphics") + "|   |   |   |  4|   |",
        name20("Server") + "|   |  5|  5|  5|  5|",
        name20("Black") + "|   |  0|  0|  0|  0|",
        separator,
        "DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|",
        name20("Monitor 1") + "|  1|  1|  1|  1|  1| -1| -1|127|127|127|127|127|127|",
        name20("Monitor 2") + "|  2|  2|  2|   |  2| -1| -1|127|127|127|127|127|127|",
        name20("Recorder") + "|   |  3|  3|  2|   |  0|  0|127|127|127|127|127|127|",
        name20("Projector") + "|   |   |   |  3|  3| -1| -1|127|127|127|127|127|127|",
        separator,
    };
}

} // namespace rl4::test
