#pragma once

#include "assign/assignments.h"
#include "link/link.h"
#include "text/message_table.h"

#include <string>

namespace rl4 {

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

// `matrixLabel` names the matrix found at start-up (or says that none was); `connexionPath` is the
// connexion file in use.
MatrixInfo frmmatrixinfo_Load(MessageTable& messages, const Link& link, const std::string& matrixLabel,
                              const Assignments& assignments, const std::string& connexionPath);

} // namespace rl4
