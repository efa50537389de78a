#include "text/fault_texts.h"

namespace rl4 {

std::string holderText(MessageTable& messages, const OtherProcess& holder) {
    if (holder.pid <= 0)
        return messages.text(kMessageHolderUnknown);
    std::string text = messages.text(kMessageHolderProcess) + std::to_string(holder.pid);
    if (!holder.command.empty())
        text += " (" + holder.command + ")";
    return text;
}

std::string portInUseText(MessageTable& messages, int port, const OtherProcess& holder) {
    const std::string who = holderText(messages, holder);
    messages.MessageText(kMessagePortInUse);
    return messages.part(TextPart::A) + std::to_string(port) + messages.part(TextPart::B) + who;
}

std::string folderInUseText(MessageTable& messages, const std::string& folder, const OtherProcess& holder) {
    const std::string who = holderText(messages, holder);
    messages.MessageText(kMessageFolderInUse);
    return messages.part(TextPart::A) + folder + messages.part(TextPart::B) + who +
           messages.part(TextPart::C);
}

std::string fileCutText(MessageTable& messages, const std::string& path, std::uintmax_t skippedBytes) {
    messages.MessageText(kMessageFileCut);
    return messages.part(TextPart::A) + path + messages.part(TextPart::B) + std::to_string(skippedBytes) +
           messages.part(TextPart::C);
}

} // namespace rl4
