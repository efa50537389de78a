// The assignment file as anything may have left it: the engine loads it into its sheet and switcher, and
// what it writes of it, read again, is written again byte for byte.

#include "assign/assignment_file.h"
#include "fuzz_engine.h"
#include "platform/text_file.h"

namespace {

std::string loadAndSave() {
    rl4::fuzz::EngineRig rig;
    rl4::Engine& e = rig.engine;
    e.loadAssignment();
    const rl4::AssignmentTable& table = e.assignments().activeTable;
    RL4_FUZZ_CHECK(table.sourceCount >= 0 && table.sourceCount <= rl4::kMaxObjects);
    RL4_FUZZ_CHECK(table.destinationCount >= 0 && table.destinationCount <= rl4::kMaxObjects);
    for (int row = 0; row <= 2; ++row)
        e.rowClicked(row);
    e.switcher().cbcommutation_Click(1);
    RL4_FUZZ_CHECK(rl4::WriteAssignmentFile(e.assignments(), e.messages(), e.prompt()));
    return rl4::test::fileBytes(e.assignments().activeFileName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = rl4::fuzz::writeInput("routelane4.agn", data, size);
    const std::string first = loadAndSave();
    // A name whose Windows-1252 bytes also read as UTF-8 ("\xC3\xA9") is the one thing the format cannot
    // tell apart; every other copy reads back as it was written.
    const auto saved = rl4::readTextFile(path);
    if (saved && saved->encoding == rl4::TextEncoding::Windows1252)
        RL4_FUZZ_CHECK(loadAndSave() == first);
    return 0;
}
