#include "assign/size_dialog_model.h"

#include "assign/assignment_file.h"
#include "text/text_fields.h"

namespace rl4 {

SizeDialogModel::SizeDialogModel(Assignments& assignments, MessageTable& messages, Prompt& prompt,
                                 std::string programFolder, std::function<void(bool created)> closed)
    : edsizeoutvideonumber(std::to_string(assignments.sizes.videoOut)),
      edsizeoutaudionumber(std::to_string(assignments.sizes.audioOut)),
      edsizeoutrgbnumber(std::to_string(assignments.sizes.rgbOut)),
      edsizeoutycnumber(std::to_string(assignments.sizes.ycOut)), assignments_(assignments),
      messages_(messages), prompt_(prompt), programFolder_(std::move(programFolder)),
      closed_(std::move(closed)) {}

const std::array<RgbColour, 4>& SizeDialogModel::layerLabelColours() const {
    return naming_ == NamingMode::Separate ? kLayerLabelActive : kLayerLabelPale;
}

RgbColour SizeDialogModel::globalLabelColour() const {
    return naming_ == NamingMode::Global ? kGlobalLabelActive : kGlobalLabelPale;
}

NewAssignmentRequest SizeDialogModel::request() const {
    NewAssignmentRequest request;
    MatrixSizes& sizes = request.sizes;
    sizes.videoIn = numericValue(edsizeinvideonumber);
    sizes.audioIn = numericValue(edsizeinaudionumber);
    sizes.rgbIn = numericValue(edsizeinrgbnumber);
    sizes.ycIn = numericValue(edsizeinycnumber);
    sizes.videoOut = numericValue(edsizeoutvideonumber);
    sizes.audioOut = numericValue(edsizeoutaudionumber);
    sizes.rgbOut = numericValue(edsizeoutrgbnumber);
    sizes.ycOut = numericValue(edsizeoutycnumber);
    request.naming = naming_;
    request.sourcePrefix = edsizeinglobal;
    request.destinationPrefix = edsizeoutglobal;
    request.inputPrefixes = {edsizeinvradix, edsizeinaradix, edsizeinrradix, edsizeinyradix};
    request.outputPrefixes = {edsizeoutvradix, edsizeoutaradix, edsizeoutrradix, edsizeoutyradix};
    request.numberFromOne = chkorigin;
    request.addDisconnect = chkdisconnect;
    request.addAllDest = chkalldest;
    request.giveTouches = chkclavier;
    return request;
}

bool SizeDialogModel::prefixEndsSection(const NewAssignmentRequest& wanted) const {
    MatrixSizes sizes = wanted.sizes;
    bool anyInput = false;
    bool anyOutput = false;
    for (Layer layer : kLayers) {
        const auto i = static_cast<std::size_t>(layerIndex(layer));
        const bool inputs = sizes.in(layer) > 0;
        const bool outputs = sizes.out(layer) > 0;
        anyInput |= inputs;
        anyOutput |= outputs;
        if (wanted.naming == NamingMode::Separate && ((inputs && nameEndsSection(wanted.inputPrefixes[i])) ||
                                                      (outputs && nameEndsSection(wanted.outputPrefixes[i]))))
            return true;
    }
    return wanted.naming == NamingMode::Global && ((anyInput && nameEndsSection(wanted.sourcePrefix)) ||
                                                   (anyOutput && nameEndsSection(wanted.destinationPrefix)));
}

void SizeDialogModel::cmdsizecreate_Click() {
    if (!open_)
        return;
    const NewAssignmentRequest wanted = request();
    if (prefixEndsSection(wanted)) {
        prompt_.messageBox(messages_.text(kMessageNameEndsSection), PromptButtons::Ok, kEditorTitle,
                           PromptIcon::Exclamation);
        return;
    }
    const NewAssignmentNotes notes = buildNewAssignment(wanted, assignments_.editTable);
    assignments_.sizes = notes.sizes;
    if (notes.sizesCut)
        prompt_.messageBox(messages_.text(kMessageConnectorsCut), PromptButtons::Ok, kEditorTitle,
                           PromptIcon::Information);
    if (notes.connectorZeroShared)
        prompt_.messageBox(messages_.text(kMessageConnectorZeroShared), PromptButtons::Ok, kEditorTitle,
                           PromptIcon::Exclamation);
    assignments_.setAssignmentsChanged(true);
    assignments_.editFileName = programFolder_ + "/" + kNewAssignmentFileName;
    close(true);
}

void SizeDialogModel::cmdsizecancel_Click() {
    if (open_)
        close(false);
}

void SizeDialogModel::close(bool created) {
    open_ = false;
    if (closed_)
        closed_(created);
}

} // namespace rl4
