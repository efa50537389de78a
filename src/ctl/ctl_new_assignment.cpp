#include "ctl/ctl_new_assignment.h"

#include "assign/assignment_file.h"
#include "assign/size_dialog_model.h"
#include "ctl/ctl_options.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <array>
#include <optional>
#include <ostream>

namespace rl4 {

namespace {

constexpr const char* kCommand = "routelane4ctl new-assignment";

constexpr std::string_view kNewAssignmentUsage =
    R"(Usage: routelane4ctl new-assignment [OPTIONS] FILE.agn
Writes a new assignment file for a matrix of the given sizes: the file that "Create new assignment" in
the assignment editor builds and "Save" writes for the same choices.

Sizes (0..256, default 0; connectors stop at 255, the largest a frame carries, so a layer numbered from 1
has at most 255 objects):
  --video-in N  --video-out N  --audio-in N  --audio-out N
  --rgb-in N    --rgb-out N    --yc-in N     --yc-out N

Naming:
  --naming global|separate  one object per number for all layers (default), or one object per number
                            and layer
  --source-prefix TEXT      global naming: sources are TEXT, a blank and the number (default "Source")
  --dest-prefix TEXT        global naming: destinations likewise (default "Dest")
  --video-in-prefix TEXT    separate naming: the prefix of the video inputs (default "Video in");
                            likewise --audio-in-prefix, --rgb-in-prefix, --yc-in-prefix ("Audio in",
                            "RGB in", "YC-YUV in") and --video-out-prefix .. --yc-out-prefix
                            ("Video out" .. "YC-YUV out")

Numbering and extras:
  --from-one | --from-zero          numbers and connectors start at 1 (default) or at 0
  --disconnect | --no-disconnect    a "Disconnect" source on input 0 (default: added; global naming)
  --all-dest | --no-all-dest        an "All Dest" destination on output 0 (default: added; global naming)
  --touches | --no-touches          consecutive keyboard touches, destinations from the next keyboard row
                                    (default: none)
  --help                            show this text

A prefix cannot start with ten hyphens: in the file such a name would end the list of objects.

Exit status: 0 done, 64 wrong usage, 66 the file cannot be written.
)";

// The size dialog and the file writer report through the operator's prompt; here nobody answers, so their
// messages are printed.
class ErrorStreamPrompt : public Prompt {
public:
    explicit ErrorStreamPrompt(std::ostream& err) : err_(err) {}

    int messageBox(const std::string& text, PromptButtons, const std::string&, PromptIcon) override {
        err_ << kCommand << ": " << text << '\n';
        return kAnswerOk;
    }
    int choiceBox(const std::string&, const std::string&, int defaultButton, PromptIcon) override {
        return defaultButton;
    }
    std::string openFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string saveFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }

private:
    std::ostream& err_;
};

struct Choices {
    SizeDialogModel& dialog;
    std::optional<std::string> file;
    bool separate = false;
    bool globalPrefixGiven = false;
    bool layerPrefixGiven = false;
};

// The eight number fields and the ten prefix fields of the dialog, by option name.
std::array<std::pair<const char*, std::string*>, 8> sizeFields(SizeDialogModel& dialog) {
    return {{{"--video-in", &dialog.edsizeinvideonumber},
             {"--video-out", &dialog.edsizeoutvideonumber},
             {"--audio-in", &dialog.edsizeinaudionumber},
             {"--audio-out", &dialog.edsizeoutaudionumber},
             {"--rgb-in", &dialog.edsizeinrgbnumber},
             {"--rgb-out", &dialog.edsizeoutrgbnumber},
             {"--yc-in", &dialog.edsizeinycnumber},
             {"--yc-out", &dialog.edsizeoutycnumber}}};
}

std::array<std::pair<const char*, std::string*>, 8> layerPrefixFields(SizeDialogModel& dialog) {
    return {{{"--video-in-prefix", &dialog.edsizeinvradix},
             {"--audio-in-prefix", &dialog.edsizeinaradix},
             {"--rgb-in-prefix", &dialog.edsizeinrradix},
             {"--yc-in-prefix", &dialog.edsizeinyradix},
             {"--video-out-prefix", &dialog.edsizeoutvradix},
             {"--audio-out-prefix", &dialog.edsizeoutaradix},
             {"--rgb-out-prefix", &dialog.edsizeoutrradix},
             {"--yc-out-prefix", &dialog.edsizeoutyradix}}};
}

std::string* namedField(const std::array<std::pair<const char*, std::string*>, 8>& fields,
                        const std::string& option) {
    for (const auto& [name, field] : fields) {
        if (option == name)
            return field;
    }
    return nullptr;
}

bool* namedSwitch(SizeDialogModel& dialog, const std::string& option, bool& value) {
    struct Switch {
        const char* on;
        const char* off;
        bool* field;
    };
    const Switch switches[] = {{"--from-one", "--from-zero", &dialog.chkorigin},
                               {"--disconnect", "--no-disconnect", &dialog.chkdisconnect},
                               {"--all-dest", "--no-all-dest", &dialog.chkalldest},
                               {"--touches", "--no-touches", &dialog.chkclavier}};
    for (const Switch& each : switches) {
        if (option == each.on || option == each.off) {
            value = option == each.on;
            return each.field;
        }
    }
    return nullptr;
}

// Reads the options into the dialog's fields; returns the usage problem, or an empty text.
std::string parse(const std::vector<std::string>& args, Choices& choices) {
    SizeDialogModel& dialog = choices.dialog;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            if (choices.file)
                return "only one file name can be given";
            choices.file = arg;
            continue;
        }
        bool on = false;
        if (bool* field = namedSwitch(dialog, arg, on)) {
            *field = on;
            continue;
        }
        if (i + 1 >= args.size())
            return "option " + arg + " needs a value";
        const std::string& value = args[++i];
        if (std::string* field = namedField(sizeFields(dialog), arg)) {
            const std::optional<int> size = parseNumber(value, 0, kMaxObjects);
            if (!size)
                return arg + " takes a number from 0 to 256, not '" + value + "'";
            *field = std::to_string(*size);
        } else if (std::string* prefix = namedField(layerPrefixFields(dialog), arg)) {
            *prefix = value;
            choices.layerPrefixGiven = true;
        } else if (arg == "--source-prefix" || arg == "--dest-prefix") {
            (arg == "--source-prefix" ? dialog.edsizeinglobal : dialog.edsizeoutglobal) = value;
            choices.globalPrefixGiven = true;
        } else if (arg == "--naming") {
            if (value != "global" && value != "separate")
                return "--naming is global or separate, not '" + value + "'";
            choices.separate = value == "separate";
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (!choices.file)
        return "the file to write is missing";
    if (!choices.file->ends_with(".agn"))
        return "the file name must end in .agn, as assignment files do";
    if (choices.separate && choices.globalPrefixGiven)
        return "--source-prefix and --dest-prefix name objects in global naming only";
    if (!choices.separate && choices.layerPrefixGiven)
        return "the per-layer prefixes name objects in separate naming only (--naming separate)";
    return {};
}

} // namespace

std::string_view newAssignmentUsage() {
    return kNewAssignmentUsage;
}

int runNewAssignment(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kNewAssignmentUsage;
            return kDone;
        }
    }

    // The state the editor is in when the size dialog opens: a cleared edit table. The dialog's notices and
    // refusals go to the error stream.
    Assignments assignments;
    assignments.ClearEditTable();
    MessageTable messages;
    ErrorStreamPrompt prompt(err);
    SizeDialogModel dialog(assignments, messages, prompt, "", nullptr);
    Choices choices{dialog, std::nullopt};
    if (const std::string problem = parse(args, choices); !problem.empty()) {
        err << kCommand << ": " << problem << "\nTry '" << kCommand << " --help'.\n";
        return kUsageError;
    }
    if (choices.separate)
        dialog.optradixseparate_Click();
    dialog.cmdsizecreate_Click();
    // Refused: the dialog said why and stays open.
    if (dialog.isOpen()) {
        err << "Try '" << kCommand << " --help'.\n";
        return kUsageError;
    }

    // As "Save as" does with the name chosen.
    assignments.editFileName = *choices.file;
    assignments.ApplyEditTable();
    if (!WriteAssignmentFile(assignments, messages, prompt))
        return kFileError;
    out << *choices.file << ": " << assignments.activeTable.sourceCount << " sources, "
        << assignments.activeTable.destinationCount << " destinations\n";
    return kDone;
}

} // namespace rl4
