#pragma once

#include "assign/assignment_editor.h"
#include "engine/engine.h"
#include "platform/text_file.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompt.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rl4::test {

using Bytes = std::vector<std::uint8_t>;

// Pieces of an assignment file as the rules lay it out: the size lines (Video In, Video Out, Audio In ...)
// with the separator and the sources header, the destinations header, and the special functions with the
// field of "Take" given and no touch for the others.
inline std::string separatorLine() {
    return std::string(41, '-') + "\r\n";
}

inline std::string fileHead(std::array<int, 8> sizes) {
    const char* labels[] = {"Video In", "Video Out", "Audio In", "Audio Out",
                            "RVB In",   "RVB Out",   "YW In",    "YW Out"};
    std::string head;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        head += std::string(labels[i]) + " = " + std::to_string(sizes[i]) + "\r\n";
    return head + separatorLine() + "SOURCES             |Kin|Vin|Ain|Rin|YWi|\r\n";
}

inline std::string destinationsHead() {
    return separatorLine() + "DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|\r\n";
}

inline std::string specialsPart(const std::string& takeField) {
    std::string part =
        separatorLine() + "SPECIAL             |Ksp|\r\n" + "Take                |" + takeField + "|\r\n";
    for (int n = 1; n <= 15; ++n) {
        const std::string name = "Recall setup " + std::to_string(n);
        part += name + std::string(20 - name.size(), ' ') + "|   |\r\n";
    }
    return part + "VCA-                |   |\r\nVCA+                |   |\r\n" + separatorLine();
}

class EditorNotices : public EditorListener {
public:
    void otherWindowsShown(bool shown) override {
        events.push_back(shown ? "windows shown" : "windows hidden");
    }
    void changeDialogShown(bool shown) override {
        events.push_back(shown ? "change shown" : "change closed");
    }
    void sizeDialogShown(bool shown) override { events.push_back(shown ? "size shown" : "size closed"); }
    void editorUnloaded() override { events.push_back("unloaded"); }

    std::vector<std::string> events;
};

// The engine as the program wires it, the editor beside it, and a matrix on port 1 that echoes the frames
// `answers` accepts (all, unless a test says otherwise), or answers what `answers` makes of them. Everything
// written to the matrix stays readable with sent().
struct EditorRig {
    explicit EditorRig(int protocolLength = 5) {
        editor.setListener(&notices);
        engine.assignments().activeFileName = folder.path("routelane4.agn");
        Link& link = engine.link();
        link.setPortNumber(1);
        link.setProtocolLength(protocolLength);
        MemoryChannel& channel = opener.channel(1);
        channel.onWrite = [this, &channel](std::uint8_t byte) {
            pending_.push_back(byte);
            if (pending_.size() < static_cast<std::size_t>(engine.link().protocolLength()))
                return;
            if (answers(pending_))
                channel.deliver(pending_);
            pending_.clear();
        };
        link.OpenPort();
    }

    Bytes sent() { return opener.channel(1).takeWritten(); }

    Source& activeSource(int s) {
        return engine.assignments().activeTable.sources[static_cast<std::size_t>(s)];
    }
    Destination& activeDestination(int d) {
        return engine.assignments().activeTable.destinations[static_cast<std::size_t>(d)];
    }
    const Source& source(int s) const {
        return engine.assignments().editTable.sources[static_cast<std::size_t>(s)];
    }
    const Destination& destination(int d) const {
        return engine.assignments().editTable.destinations[static_cast<std::size_t>(d)];
    }
    AssignmentTable& edit() { return engine.assignments().editTable; }

    // Sources "Source 1".. with video, audio and touch equal to their number; destinations "Dest 1"..
    // likewise, with the odd ones selected on the sheet.
    void numberedObjects(int sources, int destinations) {
        AssignmentTable& active = engine.assignments().activeTable;
        active.sourceCount = sources;
        active.destinationCount = destinations;
        for (int s = 1; s <= sources; ++s)
            activeSource(s) = {.name = "Source " + std::to_string(s), .Kin = s, .Vin = s, .Ain = s};
        for (int d = 1; d <= destinations; ++d)
            activeDestination(d) = {.name = "Dest " + std::to_string(d),
                                    .Kou = 20 + d,
                                    .Vou = d,
                                    .Aou = d,
                                    .Shw = d % 2 ? -1 : 0};
    }

    // Opens the editor in a view and clicks record `row` (from 1).
    void openAt(int view, int row) {
        editor.frmagn_Load();
        editor.frmagn_MenuEvent(editor_menu::kView + view);
        editor.lvagn_ItemClick(row - 1);
    }

    ScratchFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    EngineListener listener;
    EditorNotices notices;
    Engine engine{folder.folder(), clock, opener, prompt, listener};
    AssignmentEditor& editor = engine.editor();
    // Whether the matrix answers a frame; it answers with the frame as this leaves it.
    std::function<bool(Bytes&)> answers = [](Bytes&) { return true; };

private:
    Bytes pending_;
};

} // namespace rl4::test
