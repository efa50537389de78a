#pragma once

#include "engine/engine.h"
#include "fuzz_support.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"

namespace rl4::fuzz {

// A whole engine on the fuzzing process's scratch folder, with nobody to answer its questions and a clock
// that moves only as the engine waits: the readers' results go on to the sheet, the switcher and the VCA
// panel as in the program.
struct EngineRig {
    static constexpr int kObjects = 12;

    EngineRig() : EngineRig(quiet) {}
    explicit EngineRig(EngineListener& listener)
        : engine(scratch().folder(), clock, opener, prompt, listener) {}

    FakeClock clock;
    test::MemoryPortOpener opener{clock};
    SilentPrompt prompt;
    EngineListener quiet;
    Engine engine;

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
