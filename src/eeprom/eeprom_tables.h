#pragma once

#include "assign/assignment_model.h"
#include "eeprom/eeprom_upload.h"
#include "link/layer.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace rl4 {

// Where the objects of a 4-byte image lie: records of sources 1..objects from line 0, of destinations from
// firstDestinationLine, and in the smaller layout the special functions from line 160.
struct FourByteGeometry {
    int objects;
    int firstDestinationLine;
    bool specials;
};

inline constexpr FourByteGeometry kGeometry80{80, 80, true};
inline constexpr FourByteGeometry kGeometry128{128, 128, false};
inline constexpr int kFirstSpecialLine = 160;

// A table of 128 entries, one per connector number 0..127 of a layer and side. A connector table gives the
// record line of the object on that connector; a keyboard table gives that object's touch.
struct EepromTable {
    bool keyboard;
    bool destinations;
    Layer layer;
    EepromWords caption;
};

inline constexpr int kTableEntries = 128;
inline constexpr int kFirstTableLine = 256;
inline constexpr int kLinesPerTable = kTableEntries / 32;
inline constexpr int kKeyboardMapEntries = 256;
inline constexpr int kFirstKeyboardMapLine = 320;

// In line order from kFirstTableLine.
inline constexpr std::array<EepromTable, 16> kEepromTables{{
    {false, false, Layer::Video, {"as sync for video source", "comme synchro pour source vidéo"}},
    {false, true, Layer::Video, {"as sync for video destination", "comme synchro pour destination vidéo"}},
    {false, false, Layer::Audio, {"as sync for audio source", "comme synchro pour source audio"}},
    {false, true, Layer::Audio, {"as sync for audio destination", "comme synchro pour destination audio"}},
    {false, false, Layer::Rgb, {"as sync for RGB source", "comme synchro pour source RGB"}},
    {false, true, Layer::Rgb, {"as sync for RGB destination", "comme synchro pour destination RGB"}},
    {false, false, Layer::Yc, {"as sync for Y/C source", "comme synchro pour source Y/C"}},
    {false, true, Layer::Yc, {"as sync for Y/C destination", "comme synchro pour destination Y/C"}},
    {true,
     false,
     Layer::Video,
     {"as Keyboard touch for video source", "comme touche du clavier pour source vidéo"}},
    {true,
     true,
     Layer::Video,
     {"as Keyboard touch for video destination", "comme touche du clavier pour destination vidéo"}},
    {true,
     false,
     Layer::Audio,
     {"as Keyboard touch for audio source", "comme touche du clavier pour source audio"}},
    {true,
     true,
     Layer::Audio,
     {"as Keyboard touch for audio destination", "comme touche du clavier pour destination audio"}},
    {true,
     false,
     Layer::Rgb,
     {"as Keyboard touch for RGB source", "comme touche du clavier pour source RGB"}},
    {true,
     true,
     Layer::Rgb,
     {"as Keyboard touch for RGB destination", "comme touche du clavier pour destination RGB"}},
    {true, false, Layer::Yc, {"as Keyboard touch for Y/C source", "comme touche du clavier pour source Y/C"}},
    {true,
     true,
     Layer::Yc,
     {"as Keyboard touch for Y/C destination", "comme touche du clavier pour destination Y/C"}},
}};

// The first object of the image (lowest number) wins a connector or a touch; 0xFF where none has it.
std::array<std::uint8_t, kTableEntries> tableEntries(const AssignmentTable& table, const EepromTable& kind,
                                                     const FourByteGeometry& geometry);
// Record line of the object each touch 0..255 selects: sources first, then destinations, then specials.
std::array<std::uint8_t, kKeyboardMapEntries> keyboardMap(const AssignmentTable& table,
                                                          const FourByteGeometry& geometry);

} // namespace rl4
