#pragma once

#include <array>
#include <string>

namespace rl4 {

// The pieces a message can fill. A holds the main text of every message; the others carry the text that
// goes after a value (a file name, a number) and the further pieces of the conflict messages.
enum class TextPart { A, B, C, D, E, F };

inline constexpr int kLanguageEnglish = 1;
inline constexpr int kLanguageFrench = 2;

// Messages of this program's own, numbered after the inherited table: a file that cannot be read or written,
// files and objects the matrix or the file format cannot hold.
inline constexpr int kMessageCannotRead = 200;
inline constexpr int kMessageCannotWrite = 201;
inline constexpr int kMessageNotAnAssignment = 202;      // A, the path, B
inline constexpr int kMessageReadAsUtf8 = 203;           // A, the path, B
inline constexpr int kMessageConnectorsBeyondWire = 204; // A, the path, B, the count, ")"
inline constexpr int kMessageConnectorsCut = 205;
inline constexpr int kMessageNameEndsSection = 206;
inline constexpr int kMessageTableFull = 207;
inline constexpr int kMessageConnectorZeroShared = 208;
// What kind of object a keyboard touch of the 5-byte EEPROM image selects, while its line is written.
inline constexpr int kMessageSourceTouch = 240;
inline constexpr int kMessageDestinationTouch = 241;
// Connexions changed when the program was told to end, kept aside beside the connexion file; and the
// question at the next start whether to load them.
// "matrix", before its identity in the main window.
inline constexpr int kMessageMatrix = 1;
inline constexpr int kMessageConnexionsKept = 220;
inline constexpr int kMessageLoadKeptConnexions = 221;
// The line to the matrix went away (A, the reason, B; then what the window program does about it), a
// command refused meanwhile (A, the reason, B), and the reasons a channel gives.
inline constexpr int kMessageLineLost = 310;
inline constexpr int kMessageLineRetrying = 316;
inline constexpr int kMessageCommandRefused = 311;
inline constexpr int kMessageLineHungUp = 312;
inline constexpr int kMessageLineDeviceRemoved = 313;
inline constexpr int kMessageLineClosedByPeer = 314;
inline constexpr int kMessageLineReset = 315;
// Another program holds a port or the program folder (see fault_texts.h); a file too large to be one of
// the program's own, read only in part.
inline constexpr int kMessagePortInUse = 370;   // A, the port, B, the holder
inline constexpr int kMessageFolderInUse = 371; // A, the folder, B, the holder, C
inline constexpr int kMessageHolderProcess = 372;
inline constexpr int kMessageHolderUnknown = 373;
inline constexpr int kMessageFileCut = 374; // A, the path, B, the count, C
// Captions of the debug and test window.
inline constexpr int kCaptionDebug = 340;
inline constexpr int kCaptionDebugSources = 341;
inline constexpr int kCaptionDebugDestinations = 342;
inline constexpr int kCaptionDebugFrom = 343;
inline constexpr int kCaptionDebugTo = 344;
inline constexpr int kCaptionDebugLayers = 345;
inline constexpr int kCaptionDebugStepByStep = 346;
inline constexpr int kCaptionDebugPause = 347;
inline constexpr int kCaptionDebugErrors = 348;
inline constexpr int kCaptionDebugCommands = 349;
inline constexpr int kCaptionDebugWrite = 350;
inline constexpr int kCaptionDebugRead = 351;
inline constexpr int kCaptionDebugReadVideo1 = 352;
inline constexpr int kCaptionDebugReadVideo12 = 353;
inline constexpr int kCaptionDebugTestMode = 354;
inline constexpr int kCaptionDebugStop = 355;
inline constexpr int kCaptionDebugReset = 356;
// Captions of the dialogs: their buttons, frames and fields.
inline constexpr int kCaptionOk = 260;
inline constexpr int kCaptionCancel = 261;
inline constexpr int kCaptionSetUp = 262; // the configuration dialog
inline constexpr int kCaptionProtocol = 263;
inline constexpr int kCaptionFourBytes = 264;
inline constexpr int kCaptionFiveBytes = 265;
inline constexpr int kCaptionLanguage = 266;
inline constexpr int kCaptionMatrixVca = 267;
inline constexpr int kCaptionAtPowerOn = 268;
inline constexpr int kCaptionMinimum = 269;
inline constexpr int kCaptionMaximum = 270;
inline constexpr int kCaptionMemory = 271;
inline constexpr int kCaptionSlope = 272;
inline constexpr int kCaptionKeyboard = 275; // the change dialog
inline constexpr int kCaptionAdmitAll = 276;
inline constexpr int kCaptionAdmitNone = 277;
inline constexpr int kCaptionSize = 280; // the size dialog
inline constexpr int kCaptionInputs = 281;
inline constexpr int kCaptionOutputs = 282;
inline constexpr int kCaptionInputNames = 283;
inline constexpr int kCaptionOutputNames = 284;
inline constexpr int kCaptionAllLayers = 285;
inline constexpr int kCaptionNaming = 286;
inline constexpr int kCaptionNamingGlobal = 287;
inline constexpr int kCaptionNamingSeparate = 288;
inline constexpr int kCaptionOptions = 289;
inline constexpr int kCaptionNumbersFromOne = 290; // chkorigin, chkdisconnect, chkalldest, chkclavier
inline constexpr int kCaptionAddDisconnect = 291;
inline constexpr int kCaptionAddAllDest = 292;
inline constexpr int kCaptionConsecutiveTouches = 293;
inline constexpr int kCaptionCreate = 294;
// The history window's export of its rows: the button, and the title of its file dialog.
inline constexpr int kCaptionHistoryExport = 365;
inline constexpr int kCaptionHistoryExportTitle = 366;
// The port map of the configuration dialog.
inline constexpr int kCaptionPortMap = 430;
inline constexpr int kCaptionPortToMap = 431; // A, the port number, B
inline constexpr int kCaptionMapPort = 432;
inline constexpr int kCaptionPortTargetHint = 433;
inline constexpr int kMessageDeviceListingFailed = 434; // A, then the system's reason

// Every text the operator reads, numbered, in English and French. A caller asks for a number and then
// joins the parts that number filled with its own values in between; parts the number does not list keep
// what an earlier call left there, which the conflict messages rely on to gather pieces from two numbers.
class MessageTable {
public:
    // 2 is French; any other value is English.
    void setLanguage(int language) { language_ = language; }
    int language() const { return language_; }

    void MessageText(int number);
    const std::string& part(TextPart part) const { return parts_[static_cast<std::size_t>(part)]; }

    // The usual case: the main text of one message.
    std::string text(int number);
    // "Cannot read the file PATH (reason)" and its French twin; the reason is the system's own text.
    std::string fileProblem(int number, const std::string& path, const std::string& reason = "");

private:
    int language_ = kLanguageEnglish;
    std::array<std::string, 6> parts_{};
};

} // namespace rl4
