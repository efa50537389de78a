#include "engine/folder_claim.h"

#include "platform/text_file.h"
#include "sheet/settings.h"
#include "text/fault_texts.h"

#include <vector>

namespace rl4 {

namespace {

// The program's own files, and the assignment and connexion files an operator keeps beside them; not the
// protocol test tool's, which may share the folder.
const std::vector<std::string> kProgramFileEndings = {"routelane4.set", "routelane4.ports", ".agn", ".cnx"};

int settingsLanguage(const std::string& folder) {
    Settings settings = startSettings(folder);
    SilentPrompt nobody;
    ReadSettings(settingsFilePath(folder), settings, nobody);
    return settings.language;
}

} // namespace

FolderClaim::FolderClaim(const std::string& folder) : lock_(folder) {
    if (lock_.held()) {
        leftovers_ = removeLeftoverTemporariesIn(folder, kProgramFileEndings);
        return;
    }
    if (!lock_.holder())
        return;
    MessageTable messages;
    messages.setLanguage(settingsLanguage(folder));
    refusal_ = folderInUseText(messages, folder, *lock_.holder());
}

} // namespace rl4
