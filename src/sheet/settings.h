#pragma once

#include "link/link.h"
#include "text/message_table.h"
#include "text/prompt.h"
#include "text/window_place.h"

#include <cstdint>
#include <string>

namespace rl4 {

inline constexpr int kHighestPort = 16;

// What the program keeps between runs in routelane4.set, with the values it starts from when the file
// lacks them. Positions and sizes are twips.
struct Settings {
    // As read: the file receives the link's length, which the start-up search may have changed.
    int protocolLength = 5;
    bool showAll = true;
    WindowPlace mainWindow;
    std::int16_t mainHeight = 7000;
    std::int16_t mainWidth = 11530;
    WindowPlace switcherWindow;
    WindowPlace historyWindow;
    bool switcherOpen = false;
    bool historyOpen = false;
    int language = kLanguageEnglish;
    // False while the first-start language question has had no answer: English is in force, and the file
    // keeps no language so that the question comes again at the next start.
    bool languageChosen = true;
    std::string connexionPath;
    std::string assignmentPath;
    // The port read at start, written back in place of port 0 so that a run without a matrix does not
    // make the next run forget where the matrix was.
    int port = 1;
    // The matrix's VCA setup byte: power-on mode in the high nibble, slope in the low one. It lives in the
    // matrix, not in the file.
    int vcaSetup = 32;

    bool operator==(const Settings&) const = default;
};

// The start values, with the files in the program folder.
Settings startSettings(const std::string& programFolder);
std::string settingsFilePath(const std::string& programFolder);

// Replaces the values of `settings` that the file holds soundly; a line that is missing or out of range
// leaves the start value, and so does a path of blanks. Without a file, or without a valid language in it,
// the operator is asked for the language. Returns the bytes of a file too large to be a settings file that
// were left unread (0 when it was read whole), for the caller to tell the operator in its language.
std::uintmax_t ReadSettings(const std::string& path, Settings& settings, Prompt& prompt);

// Writes the 27 lines, with the link's protocol length and port. The old file stays whole until the new
// one is complete. Returns an empty text on success, else what went wrong, for the operator.
std::string WriteSettings(const std::string& path, const Settings& settings, const Link& link);

} // namespace rl4
