#pragma once

#include "assign/assignments.h"
#include "assign/new_assignment.h"
#include "text/message_table.h"
#include "text/prompt.h"
#include "text/rgb_colour.h"

#include <array>
#include <functional>
#include <string>

namespace rl4 {

// Where "Create new assignment" puts the new table until the operator saves it, in the program folder.
inline constexpr const char* kNewAssignmentFileName = "newassign.agn";

// Layer labels in the naming mode that uses them (separate), and pale in the other; the same for the label
// of the common prefixes.
inline constexpr std::array<RgbColour, 4> kLayerLabelActive{
    {{0, 255, 0}, {255, 255, 0}, {255, 0, 0}, {0, 255, 255}}};
inline constexpr std::array<RgbColour, 4> kLayerLabelPale{
    {{192, 255, 192}, {255, 255, 192}, {255, 192, 192}, {192, 255, 255}}};
inline constexpr RgbColour kGlobalLabelActive{0, 128, 255};
inline constexpr RgbColour kGlobalLabelPale{192, 192, 192};

// The matrix size dialog `frmsize`: the sizes of a matrix and how to name and number its objects, from which
// `cmdsizecreate_Click` builds a whole new edit table. The window shows the fields and writes back what the
// operator types; numbers are read from the texts as the operator left them.
class SizeDialogModel {
public:
    // The output fields start at the output sizes the program knows; `closed` is told whether an assignment
    // was created.
    SizeDialogModel(Assignments& assignments, MessageTable& messages, Prompt& prompt,
                    std::string programFolder, std::function<void(bool created)> closed);

    std::string edsizeinvideonumber = "0", edsizeinaudionumber = "0", edsizeinrgbnumber = "0",
                edsizeinycnumber = "0";
    std::string edsizeoutvideonumber, edsizeoutaudionumber, edsizeoutrgbnumber, edsizeoutycnumber;
    std::string edsizeinvradix = "Video in", edsizeinaradix = "Audio in", edsizeinrradix = "RGB in",
                edsizeinyradix = "YC-YUV in";
    std::string edsizeoutvradix = "Video out", edsizeoutaradix = "Audio out", edsizeoutrradix = "RGB out",
                edsizeoutyradix = "YC-YUV out";
    std::string edsizeinglobal = "Source", edsizeoutglobal = "Dest";
    bool chkorigin = true;
    bool chkdisconnect = true;
    bool chkalldest = true;
    bool chkclavier = false;

    void optradixglobal_Click() { setNaming(NamingMode::Global); }
    void lblsizeglobal_Click() { setNaming(NamingMode::Global); }
    void optradixseparate_Click() { setNaming(NamingMode::Separate); }
    void lblsizevideo_Click() { setNaming(NamingMode::Separate); }
    void lblsizeaudio_Click() { setNaming(NamingMode::Separate); }
    void lblsizergb_Click() { setNaming(NamingMode::Separate); }
    void lblsizeyc_Click() { setNaming(NamingMode::Separate); }

    NamingMode naming() const { return naming_; }
    // The eight per-layer prefix fields are enabled in separate mode, the two common ones in global mode.
    bool layerPrefixesEnabled() const { return naming_ == NamingMode::Separate; }
    bool globalPrefixesEnabled() const { return naming_ == NamingMode::Global; }
    // lblsizevideo, lblsizeaudio, lblsizergb, lblsizeyc by layer index, and lblsizeglobal.
    const std::array<RgbColour, 4>& layerLabelColours() const;
    RgbColour globalLabelColour() const;

    // What the fields ask for.
    NewAssignmentRequest request() const;

    // Takes the sizes, replaces the edit table's objects with the new ones and names the table
    // newassign.agn in the program folder; nothing is applied or written. A prefix that would give names
    // the file cannot hold is refused with a message and the dialog stays open; layers cut to the
    // connectors a frame carries and objects sharing connector 0 are told after the building.
    void cmdsizecreate_Click();
    void cmdsizecancel_Click();
    bool isOpen() const { return open_; }

private:
    void setNaming(NamingMode naming) { naming_ = naming; }
    void close(bool created);

    // Whether a prefix that names objects would make names that end a section of the file.
    bool prefixEndsSection(const NewAssignmentRequest& request) const;

    Assignments& assignments_;
    MessageTable& messages_;
    Prompt& prompt_;
    std::string programFolder_;
    std::function<void(bool)> closed_;
    NamingMode naming_ = NamingMode::Global;
    bool open_ = true;
};

} // namespace rl4
