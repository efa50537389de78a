#include "link/frame_tables.h"

#include <algorithm>
#include <array>

namespace rl4 {

namespace {

using enum ReplyEffect;
using enum Layer;

// Upper case sets or switches, lower case reads; the history words are the program's own.
constexpr std::array kFiveByte{
    FiveByteRow{'D', "Line", "Set", "ON", OnLine},
    FiveByteRow{'E', nullptr, "Set", "OFF", OffLine},
    FiveByteRow{'x', "ser", "read", "ser", SerialHex},
    FiveByteRow{'P', "POR", "write", "POR", VcaSetupIn},
    FiveByteRow{'p', "POR", "read", "POR", VcaSetupIn},
    FiveByteRow{'V', "video", "Swch", "video", Routing, Video},
    FiveByteRow{'v', "video", "read", "video", Routing, Video},
    FiveByteRow{'A', "audio", "Swch", "audio", Routing, Audio},
    FiveByteRow{'a', "audio", "read", "audio", Routing, Audio},
    FiveByteRow{'R', "RGB", "Swch", "RGB", Routing, Rgb},
    FiveByteRow{'r', "RGB", "read", "RGB", Routing, Rgb},
    FiveByteRow{'Y', "YC", "Swch", "YC", Routing, Yc},
    FiveByteRow{'y', "YC", "read", "YC", Routing, Yc},
    FiveByteRow{'N', "VCA", "level", "VCA", VcaOutIn},
    FiveByteRow{'n', "VCA", "read", "VCA", VcaOutIn},
    FiveByteRow{'L', "Gain", "level", "Gain", GainIn},
    FiveByteRow{'l', "Gain", "read", "Gain", GainIn},
    FiveByteRow{'G', "Bal", "set", "Bal", ModeIn},
    FiveByteRow{'g', "Bal", "read", "Bal", ModeIn},
    FiveByteRow{'S', "Store", "Mem", "eepr", Store},
    FiveByteRow{'T', "text", "Text", "eepr"},
    FiveByteRow{'[', "adres", "adres", "eepr"},
    FiveByteRow{'\\', "close", "close", "eepr"},
};

// Rows of one code stand together, the specific machines before kAnyMachine.
constexpr std::array kFourByte{
    FourByteRow{1, 1, "video", "Swch", "video", Routing, Video},
    FourByteRow{1, 5, "RGB", "Swch", "RGB", Routing, Rgb},
    FourByteRow{1, 2, "YC", "Swch", "Y/C", Routing, Yc},
    FourByteRow{1, 3, "YUV", nullptr, nullptr},
    FourByteRow{2, 1, "audio", "Swch", "audio", Routing, Audio},
    FourByteRow{2, kAnyMachine, "audio", nullptr, nullptr},
    FourByteRow{3, kAnyMachine, "Pge", "Store", nullptr, Store, Video, Asked::Anything,
                Words::SetupStoreOrDelete},
    FourByteRow{4, kAnyMachine, "Pge", "Call", nullptr, None, Video, Asked::Anything, Words::Setup},
    FourByteRow{5, 1, "video", "read", "video", StatusRouting, Video, Asked::WhileAwaiting},
    FourByteRow{5, 5, "RGB", "read", "RGB", StatusRouting, Rgb, Asked::WhileAwaiting},
    FourByteRow{5, 2, "YC", "read", "Y/C", StatusRouting, Yc, Asked::WhileAwaiting},
    FourByteRow{5, 3, "YUV", nullptr, nullptr},
    FourByteRow{6, 1, "audio", "read", "audio", StatusRouting, Audio, Asked::WhileAwaiting},
    FourByteRow{6, kAnyMachine, "audio", nullptr, nullptr},
    FourByteRow{16, kAnyMachine, nullptr, nullptr, nullptr, ErrorReport},
    FourByteRow{19, kAnyMachine, "Pge", "Store", "audio", None, Video, Asked::Anything, Words::StoreOrDelete},
    FourByteRow{20, kAnyMachine, nullptr, "Call", "audio"},
    FourByteRow{21, 1, "VCA", "set", "VCA", VcaInOut, Video, Asked::Anything, Words::ReadOrSet},
    FourByteRow{21, kAnyMachine, "VCA", nullptr, nullptr},
    FourByteRow{22, 1, "Gain", "set", "Gain", GainAndModeOut, Video, Asked::Anything, Words::ReadOrSet},
    FourByteRow{22, kAnyMachine, "Gain", nullptr, nullptr},
    FourByteRow{32, kAnyMachine, nullptr, "Trans", "eepr"},
    FourByteRow{33, kAnyMachine, "Line", "Line", "ON", LineFromOut, Video, Asked::Anything, Words::LineState},
    FourByteRow{34, kAnyMachine, nullptr, "Keyb", "LED", None, Video, Asked::Anything, Words::KeyboardKind},
    FourByteRow{35, kAnyMachine, nullptr, "write", "Test", None, Video, Asked::Anything,
                Words::TestOnMachine2},
    FourByteRow{57, 2, "Store", "Refr", "OSD"},
    FourByteRow{57, 3, "Store", "write", "POR", VcaSetupIn},
    FourByteRow{57, kAnyMachine, "Store", nullptr, nullptr},
    FourByteRow{61, 1, "ser", "read", "SN", SerialDecimal, Video, Asked::SerialNumber},
    FourByteRow{61, 1, "ser", "read", "POR", VcaSetupOut, Video, Asked::VcaSetup},
    FourByteRow{61, kAnyMachine, "ser", nullptr, nullptr},
    // Requests only: their codes lie beyond what an answer's first byte can carry.
    FourByteRow{67, kAnyMachine, "Stat", nullptr, nullptr},
    FourByteRow{68, kAnyMachine, "Stat", nullptr, nullptr},
    FourByteRow{83, kAnyMachine, "Stat", nullptr, nullptr},
    FourByteRow{84, kAnyMachine, "Stat", nullptr, nullptr},
};

struct ErrorCode {
    int code;
    ErrorWords words;
};

constexpr std::array kErrorCodes{
    ErrorCode{0, {"bad", "instr"}}, ErrorCode{1, {"no", "card"}},  ErrorCode{2, {"bad", "adres"}},
    ErrorCode{3, {"no", "card"}},   ErrorCode{4, {"bad", "data"}}, ErrorCode{5, {"no", "card"}},
    ErrorCode{6, {"bad", "adres"}}, ErrorCode{7, {"no", "card"}},  ErrorCode{8, {"mach", "busy"}},
};

} // namespace

const FiveByteRow* fiveByteRow(int letter) {
    const auto found =
        std::ranges::find(kFiveByte, letter, [](const FiveByteRow& row) { return int{row.letter}; });
    return found == kFiveByte.end() ? nullptr : &*found;
}

std::span<const FourByteRow> fourByteRows() {
    return kFourByte;
}

ErrorWords errorReportWords(int code) {
    const auto found = std::ranges::find(kErrorCodes, code, &ErrorCode::code);
    return found == kErrorCodes.end() ? ErrorWords{" - ", " - "} : found->words;
}

} // namespace rl4
