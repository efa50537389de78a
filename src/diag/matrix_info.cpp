#include "diag/matrix_info.h"

#include "text/number_text.h"

#include <array>

namespace rl4 {

namespace {

constexpr int kMessageProtocol = 33;
constexpr int kMessageNoPort = 37;
constexpr int kMessageLinkBroken = 40;
constexpr int kMessageSerialNumber = 41;
constexpr int kMessagePortOpen = 43;
constexpr int kMessageLinkUp = 45;
constexpr int kMessageLayers = 52;
constexpr int kMessageSize = 53;
constexpr int kMessageAssignmentFile = 88;
constexpr int kMessageConnexionFile = 89;

constexpr const char* kUpdateText = "Last Update: 03/03/2006";

// The trailing blanks separate the names when they are joined; the last name needs none.
constexpr std::array<const char*, 4> kLayerNames{"Video  ", "Audio  ", "RGB  ", "Y/C"};

std::string sizePair(const char* opening, int in, int out) {
    return opening + numberText(in) + "x" + numberText(out);
}

} // namespace

MatrixInfo frmmatrixinfo_Load(MessageTable& messages, const Link& link, const std::string& matrixLabel,
                              const Assignments& assignments, const std::string& connexionPath) {
    MatrixInfo info;

    messages.MessageText(kMessageProtocol);
    info.lblinfoprotocol =
        messages.part(TextPart::A) + numberText(link.protocolLength()) + messages.part(TextPart::B);

    if (link.portNumber() == 0) {
        info.lblinfoserial = matrixLabel;
        info.lblinfoport = messages.text(kMessageNoPort);
        info.lblinfolink = messages.text(kMessageLinkBroken);
    } else {
        info.lblinfoserial = messages.text(kMessageSerialNumber) + link.matrixIdentity();
        messages.MessageText(kMessagePortOpen);
        // The port number is written plainly, as the operator chose it from the port list.
        info.lblinfoport =
            messages.part(TextPart::A) + std::to_string(link.portNumber()) + messages.part(TextPart::B);
        info.lblinfolink = messages.text(kMessageLinkUp);
    }

    std::string used;
    std::string unused;
    for (Layer layer : kLayers) {
        const auto i = static_cast<std::size_t>(layerIndex(layer));
        (assignments.layerUsed[i] ? used : unused) += kLayerNames[i];
    }
    messages.MessageText(kMessageLayers);
    info.lblinfoplan = messages.part(TextPart::A) + used + messages.part(TextPart::B) + unused;

    const MatrixSizes& sizes = assignments.sizes;
    info.lblinfosize = messages.text(kMessageSize) + sizePair("(V:", sizes.videoIn, sizes.videoOut) +
                       sizePair(") (A:", sizes.audioIn, sizes.audioOut) +
                       sizePair(") (R:", sizes.rgbIn, sizes.rgbOut) +
                       sizePair(") (Y:", sizes.ycIn, sizes.ycOut) + ")";
    info.lblinfoagn = messages.text(kMessageAssignmentFile) + assignments.activeFileName;
    info.lblinfocnx = messages.text(kMessageConnexionFile) + connexionPath;
    info.lblinfoupdate = kUpdateText;
    return info;
}

} // namespace rl4
