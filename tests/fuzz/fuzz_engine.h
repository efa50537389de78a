#pragma once

#include "engine/engine.h"
#include "fuzz_support.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"

namespace rl4::fuzz {

// A whole engine on the fuzzing process's scratch folder, with nobody to answer its questions and a clock
// that moves only as the engine waits: results go on to the sheet, the switcher, the VCA panel and the
// history window's model as in the program.
struct EngineRig : EngineListener {
    static constexpr int kObjects = 12;

    void historyRowAdded(const HistoryRow& row) override { engine.history().AddHistoryRow(row); }

    FakeClock clock;
    test::MemoryPortOpener opener{clock};
    SilentPrompt prompt;
    Engine engine{scratch().folder(), clock, opener, prompt, *this};

    // Sources 1..kObjects on inputs 0..kObjects-1 of every layer, destinations on outputs 1..kObjects.
    void assignObjects() {
        Assignments& assignments = engine.assignments();
        AssignmentTable& table = assignments.editTable;
        table.sourceCount = kObjects;
        table.destinationCount = kObjects;
        for (int i = 1; i <= kObjects; ++i) {
            table.sources[i].name = defaultSourceName(i);
            table.destinations[i].name = defaultDestinationName(i);
            for (Layer layer : kLayers) {
                table.sources[i].input(layer) = i - 1;
                table.destinations[i].output(layer) = i;
                assignments.sizes.in(layer) = kObjects;
                assignments.sizes.out(layer) = kObjects;
            }
        }
        assignments.ApplyEditTable();
    }
};

} // namespace rl4::fuzz
