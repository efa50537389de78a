#include "eeprom/eeprom_tables.h"

#include "eeprom/eeprom_bytes.h"

namespace rl4 {

namespace {

// Entries filled by objects in ascending order: the first to claim one keeps it, even when the value it
// wrote is 0xFF (a keyboard table entry of an object without a touch).
template <std::size_t N>
class FirstClaims {
public:
    FirstClaims() { entries_.fill(0xFF); }
    void claim(int key, int value) {
        if (key < 0 || key >= static_cast<int>(N) || taken_[static_cast<std::size_t>(key)])
            return;
        taken_[static_cast<std::size_t>(key)] = true;
        entries_[static_cast<std::size_t>(key)] = wireByte(value);
    }
    const std::array<std::uint8_t, N>& entries() const { return entries_; }

private:
    std::array<std::uint8_t, N> entries_;
    std::array<bool, N> taken_{};
};

} // namespace

std::array<std::uint8_t, kTableEntries> tableEntries(const AssignmentTable& table, const EepromTable& kind,
                                                     const FourByteGeometry& geometry) {
    FirstClaims<kTableEntries> entries;
    for (int i = 1; i <= geometry.objects; ++i) {
        if (kind.destinations) {
            const Destination& d = table.destinations[static_cast<std::size_t>(i)];
            entries.claim(d.output(kind.layer),
                          kind.keyboard ? d.Kou : geometry.firstDestinationLine + i - 1);
        } else {
            const Source& s = table.sources[static_cast<std::size_t>(i)];
            entries.claim(s.input(kind.layer), kind.keyboard ? s.Kin : i - 1);
        }
    }
    return entries.entries();
}

std::array<std::uint8_t, kKeyboardMapEntries> keyboardMap(const AssignmentTable& table,
                                                          const FourByteGeometry& geometry) {
    FirstClaims<kKeyboardMapEntries> entries;
    for (int s = 1; s <= geometry.objects; ++s)
        entries.claim(table.sources[static_cast<std::size_t>(s)].Kin, s - 1);
    for (int d = 1; d <= geometry.objects; ++d)
        entries.claim(table.destinations[static_cast<std::size_t>(d)].Kou,
                      geometry.firstDestinationLine + d - 1);
    if (geometry.specials) {
        for (int k = 1; k <= kSpecialFunctions; ++k)
            entries.claim(table.specials[static_cast<std::size_t>(k)].Ksp, kFirstSpecialLine + k - 1);
    }
    return entries.entries();
}

} // namespace rl4
