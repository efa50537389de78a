#pragma once

#include "link/layer.h"

#include <array>
#include <string>

namespace rl4 {

// Connector and touch fields hold 257 when not assigned; in the routing table 257 means unknown.
inline constexpr int NotAssigned = 257;
inline constexpr int kMaxObjects = 256;
inline constexpr int kSpecialFunctions = 18;
// A connector number travels in one byte of a frame: a larger one would reach the matrix as another.
inline constexpr int kLargestConnector = 255;

struct Source {
    std::string name;
    int Kin = NotAssigned; // keyboard touch
    int Vin = NotAssigned; // input connectors per layer; 0 is the matrix's no-source input
    int Ain = NotAssigned;
    int Rin = NotAssigned;
    int YWi = NotAssigned;

    int input(Layer layer) const;
    int& input(Layer layer);

    bool operator==(const Source&) const = default;
};

struct Destination {
    std::string name;
    int Kou = NotAssigned;
    int Vou = NotAssigned;
    int Aou = NotAssigned;
    int Rou = NotAssigned;
    int YWo = NotAssigned;
    int Shw = 0; // sheet selection mark: -1 checked, 0 not
    // Input admittance of sources 1..42, 7 bits a field: source i is bit 6 - (i-1) mod 7 of
    // ad[(i-1) / 7]; 1 = admitted.
    std::array<int, 6> ad{127, 127, 127, 127, 127, 127};

    int output(Layer layer) const;
    int& output(Layer layer);

    bool operator==(const Destination&) const = default;
};

struct SpecialFunction {
    int Ksp = NotAssigned;

    bool operator==(const SpecialFunction&) const = default;
};

// One copy of the assignment: records 1..count are in use; index 0 is never used and keeps its cleared
// values (an empty name, every connector NotAssigned).
struct AssignmentTable {
    std::array<Source, kMaxObjects + 1> sources{};
    std::array<Destination, kMaxObjects + 1> destinations{};
    std::array<SpecialFunction, kSpecialFunctions + 1> specials{};
    int sourceCount = 4;
    int destinationCount = 4;
};

struct MatrixSizes {
    int videoIn = 0, videoOut = 0;
    int audioIn = 0, audioOut = 0;
    int rgbIn = 0, rgbOut = 0;
    int ycIn = 0, ycOut = 0;

    int& out(Layer layer);
    int& in(Layer layer);
};

} // namespace rl4
