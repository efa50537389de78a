#include "assign/size_dialog_model.h"

#include "text/text_fields.h"

namespace rl4 {

SizeDialogModel::SizeDialogModel(Assignments& assignments, std::string programFolder,
                                 std::function<void(bool created)> closed)
    : edsizeoutvideonumber(std::to_string(assignments.sizes.videoOut)),
      edsizeoutaudionumber(std::to_string(assignments.sizes.audioOut)),
      edsizeoutrgbnumber(std::to_string(assignments.sizes.rgbOut)),
      edsizeoutycnumber(std::to_string(assignments.sizes.ycOut)), assignments_(assignments),
      programFolder_(std::move(programFolder)), closed_(std::move(closed)) {}

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

void SizeDialogModel::cmdsizecreate_Click() {
    if (!open_)
        return;
    const NewAssignmentRequest wanted = request();
    assignments_.sizes = wanted.sizes;
    buildNewAssignment(wanted, assignments_.editTable);
    assignments_.assignmentsChanged = true;
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
