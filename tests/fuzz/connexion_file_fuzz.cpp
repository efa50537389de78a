// The connexion file as anything may have left it: the engine reads it into its routing table over a
// small assignment, shows it on the sheet, the switcher and the VCA panel, and what it writes of it, read
// again, is written again byte for byte.

#include "fuzz_engine.h"

namespace {

std::string readAndSave(const std::string& path) {
    rl4::fuzz::EngineRig rig;
    rig.assignObjects();
    rl4::Engine& e = rig.engine;
    RL4_FUZZ_CHECK(e.connexionFile().ReadConnexionFile(path));
    e.sheet().FillSheet();
    for (int row = 0; row <= 2; ++row)
        e.rowClicked(row);
    e.vca().assignmentChanged();
    RL4_FUZZ_CHECK(e.connexionFile().WriteConnexionFile(path));
    return rl4::test::fileBytes(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = rl4::fuzz::writeInput("routelane4.cnx", data, size);
    const std::string first = readAndSave(path);
    RL4_FUZZ_CHECK(readAndSave(path) == first);
    return 0;
}
