#pragma once

#include <string>

namespace rl4 {

class Engine;

// The labels of the matrix information window `frmmatrixinfo`: a read-only summary of the link, the matrix
// sizes, the layers in use and the files loaded, taken when the window opens and not refreshed after.
struct MatrixInfo {
    std::string lblinfoprotocol;
    std::string lblinfoserial;
    std::string lblinfoport;
    std::string lblinfolink;
    std::string lblinfoplan;
    std::string lblinfosize;
    std::string lblinfoagn;
    std::string lblinfocnx;
    std::string lblinfoupdate;
};

MatrixInfo frmmatrixinfo_Load(Engine& engine);

} // namespace rl4
