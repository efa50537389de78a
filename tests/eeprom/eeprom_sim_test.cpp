#include "../sim/core_driver.h"
#include "eeprom/eeprom_image.h"
#include "eeprom_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using sim::Bytes;
using sim::test::CoreDriver;

// The frame of a message as the send operation writes it, and the answer a matrix that obeyed gives.
std::pair<Bytes, Bytes> exchange(const EepromMessage& m) {
    if (m.code == 0) {
        const Bytes frame = sim::test::five(static_cast<char>(m.letter), m.data1, m.data2);
        return {frame, frame};
    }
    return {sim::test::four(m.code, m.machine, m.data1, m.data2),
            sim::test::four(0x40 | m.code, m.machine, m.data1, m.data2)};
}

TEST(EepromSim, TheMatrixHoldsTheImage) {
    const struct {
        int protocol;
        int sources;
        int destinations;
    } runs[] = {{4, 60, 40}, {4, 128, 120}, {5, 30, 30}};
    for (const auto& run : runs) {
        Assignments a = eepromAssignments(run.sources, run.destinations);
        a.editTable.sources[2].name = "Télé è ô ñ";
        a.editTable.sources[3].Vin = 200; // a byte above 127 sets a flag bit of the 4-byte frame
        a.editTable.destinations[4].ad = {0, 3, 127, 64, 2, 1};
        a.ApplyEditTable();
        MessageTable messages;
        const EepromUpload upload = buildEepromUpload(a, run.protocol, messages);

        CoreDriver matrix;
        for (std::size_t i = 0; i < upload.messages.size(); ++i) {
            const auto [request, answer] = exchange(upload.messages[i]);
            ASSERT_EQ(matrix.ask(request), answer) << run.protocol << " message " << i;
        }
        const std::vector<std::uint8_t> image = eepromImage(upload);
        const sim::Bytes& memory = matrix.core.state().eeprom.bytes();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()))
            << run.protocol << " " << run.sources;
        EXPECT_TRUE(std::all_of(memory.begin() + static_cast<std::ptrdiff_t>(image.size()), memory.end(),
                                [](std::uint8_t byte) { return byte == 0xFF; }))
            << "nothing beyond the image";
    }
}

} // namespace
} // namespace rl4::test
