#pragma once

#include "link/layer.h"

#include <span>

namespace rl4 {

// What a recognised answer does besides naming itself in the history: each maps to one call on the reply
// rules or to one change of the link's own state.
enum class ReplyEffect {
    None,
    OnLine,         // the matrix went on line
    OffLine,        // the matrix went off line
    LineFromOut,    // on line, or off line when replyOut is 0
    SerialHex,      // the identity: replyOut (without bit 7) and replyIn in hexadecimal
    SerialDecimal,  // the identity: replyOut and replyIn as two decimal digits each
    Routing,        // input replyIn feeds output replyOut on the row's layer
    StatusRouting,  // input replyOut feeds the output the request asked for, on the row's layer
    VcaOutIn,       // VCA level replyIn of audio output replyOut
    VcaInOut,       // VCA level replyOut of audio output replyIn; the wait for an answer ends
    GainIn,         // input gain replyIn, when it is a gain at all
    GainAndModeOut, // input gain in the low five bits of replyOut, the mode in the two above
    ModeIn,         // balanced when replyIn is 0
    VcaSetupIn,     // the VCA setup is replyIn
    VcaSetupOut,    // the VCA setup is replyOut
    Store,          // the matrix stored its status
    ErrorReport,    // a 4-byte error report: not recognised, its code in words; the wait ends
};

// The words of an answer that depend on its values.
enum class Words {
    AsListed,
    StoreOrDelete,      // "Del" for the instruction word when replyOut is not 0
    SetupStoreOrDelete, // the same, and the object word is "M" and the setup number (replyIn)
    Setup,              // the object word is "M" and the setup number (replyIn)
    ReadOrSet,          // "read" for the instruction word when the frame sent was a read (code 25)
    LineState,          // "OFF" for the object word when replyOut is 0
    KeyboardKind,       // "LCD" for the object word from machine 16
    TestOnMachine2,     // the object word for machine 2 only; otherwise the previous word stays
};

// What a 4-byte answer must find in the request it answers, besides its code and machine.
enum class Asked {
    Anything,
    WhileAwaiting, // only as the answer SendCommand waits for, never unasked
    SerialNumber,  // the request's values were 0, 0
    VcaSetup,      // the request's values were 1, 0
};

// One instruction letter of the 5-byte form: the object word of the instruction sent, and what an answer
// with that letter says and does.
struct FiveByteRow {
    char letter;
    const char* sentObject; // nullptr: the previous object word stays
    const char* instr;
    const char* object;
    ReplyEffect effect = ReplyEffect::None;
    Layer layer = Layer::Video;
};

inline constexpr int kAnyMachine = -1;

// One code (and machine) of the 4-byte form, likewise. The answer's first byte is 0x40 OR the code; the
// first row whose code, machine and request fit the answer applies, and a row without instruction word
// means the answer is not recognised.
struct FourByteRow {
    int code;
    int machine; // kAnyMachine for every machine
    const char* sentObject;
    const char* instr; // nullptr: an answer is not recognised
    const char* object;
    ReplyEffect effect = ReplyEffect::None;
    Layer layer = Layer::Video;
    Asked asked = Asked::Anything;
    Words words = Words::AsListed;
};

// The row of a letter, or nullptr for a letter the program neither sends nor recognises.
const FiveByteRow* fiveByteRow(int letter);
std::span<const FourByteRow> fourByteRows();

// The words a 4-byte error report shows for its code (replyOut) in place of the two values.
struct ErrorWords {
    const char* in;
    const char* out;
};
ErrorWords errorReportWords(int code);

} // namespace rl4
