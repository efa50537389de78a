#include "eeprom/eeprom_bytes.h"
#include "eeprom/eeprom_dump.h"
#include "eeprom/eeprom_image.h"
#include "eeprom_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes repeat(std::uint8_t byte, int count) {
    return Bytes(static_cast<std::size_t>(count), byte);
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The bytes a line of the image holds, up to `count`.
Bytes lineBytes(const Bytes& image, int line, int count = kEepromLineBytes) {
    const auto start = image.begin() + line * kEepromLineBytes;
    return Bytes(start, start + count);
}

EepromUpload build(const Assignments& a, int protocol, int language = kLanguageEnglish) {
    MessageTable messages;
    messages.setLanguage(language);
    return buildEepromUpload(a, protocol, messages);
}

TEST(EepromBytes, NamesAndWireValues) {
    const struct {
        std::string name;
        Bytes bytes;
    } names[] = {
        {"Cam", join({{0x43, 0x61, 0x6D}, repeat(0x20, 10)})},
        {"Télé", join({{0x54, 0x65, 0x6C, 0x65}, repeat(0x20, 9)})},
        {"ôàçîèùéñïòÉ", join({{0xF4, 'a', 'c', 'i', 'e', 'u', 'e', 'n', 'i', 'o', 0xC9}, repeat(0x20, 2)})},
        {"Camera of studio 4", {'C', 'a', 'm', 'e', 'r', 'a', ' ', 'o', 'f', ' ', 's', 't', 'u'}},
        {"", repeat(0x20, 13)},
    };
    for (const auto& [name, bytes] : names) {
        const auto written = nameBytes(name);
        EXPECT_EQ(Bytes(written.begin(), written.end()), bytes) << name;
    }
    EXPECT_EQ(shownName("Caméra du studio 4"), "Caméra du stu");
    for (auto [value, byte] : {std::pair{257, 255}, {256, 0}, {255, 255}, {0, 0}, {130, 130}})
        EXPECT_EQ(wireByte(value), byte) << value;
}

TEST(EepromFourByte, CamRecordDestinationAndSpecialRecords) {
    Assignments a = eepromAssignments(0, 1);
    a.editTable.sourceCount = 1;
    Source& cam = a.editTable.sources[1];
    cam = {.name = "Cam", .Kin = 5, .Vin = 1, .Ain = 1};
    a.editTable.specials[3].Ksp = 9;
    a.ApplyEditTable();
    const EepromUpload upload = build(a, 4);
    ASSERT_EQ(upload.layout, EepromLayout::FourByte80);

    const EepromMessage& address = upload.messages[0];
    EXPECT_EQ(address.action, EepromAction::SetAddress);
    EXPECT_EQ((std::array{address.code, address.machine, address.data1, address.data2}),
              (std::array{32, 16, 0, 0}));
    Bytes record;
    for (int i = 1; i <= 27; ++i) {
        const EepromMessage& m = upload.messages[static_cast<std::size_t>(i)];
        EXPECT_EQ(
            (std::array{m.action == EepromAction::WriteByte, m.code == 32, m.machine == 17, m.data2 == 0}),
            (std::array{true, true, true, true}))
            << i;
        record.push_back(static_cast<std::uint8_t>(m.data1));
    }
    EXPECT_EQ(record, join({{0x8F, 0x01, 0x01, 0xFF, 0xFF, 0x05, 0xFF, 0xFF, 0x43, 0x61, 0x6D},
                            repeat(0x20, 10),
                            repeat(0x30, 6)}));

    // Destination and special-function records open with 0, marked by a second data value of 10.
    const std::vector<int> lines = addressMessages(upload);
    for (int line : {80, 159, 160, 177}) {
        const EepromMessage& opening = upload.messages[static_cast<std::size_t>(lines[line] + 1)];
        EXPECT_EQ(opening.data1, 0) << line;
        EXPECT_EQ(opening.data2, 10) << line;
        EXPECT_EQ(upload.messages[static_cast<std::size_t>(lines[line] + 2)].data2, 0) << line;
    }
    const Bytes image = eepromImage(upload);
    EXPECT_EQ(lineBytes(image, 80, 8), (Bytes{0, 1, 1, 1, 1, 0, 0xFF, 0xFF})) << "destination 1, touch 0";
    EXPECT_EQ(lineBytes(image, 162, 7), (Bytes{0, 2, 0xFF, 0xFF, 0xFF, 9, 0xFF})) << "special 3";
    EXPECT_EQ(lineBytes(image, 178), repeat(0xFF, 32)) << "lines 178..255 are not written";
}

TEST(EepromFourByte, LineStartProgressInBothLanguages) {
    for (auto [language, percent] : {std::pair{kLanguageEnglish, "30% EEprom written"},
                                     std::pair{kLanguageFrench, "30% EEprom remplie"}}) {
        const EepromUpload upload = build(eepromAssignments(3, 3), 4, language);
        const EepromMessage& m = upload.messages[static_cast<std::size_t>(addressMessages(upload)[100])];
        EXPECT_EQ((std::array{m.data1, m.data2}), (std::array{128, 12}));
        EXPECT_EQ(upload.text(m.progress.pourcenteeprom), percent);
        EXPECT_EQ((std::array{m.progress.proeeprom, m.progress.protexte, m.progress.protexteMin,
                              m.progress.protexteMax, upload.proeepromMax}),
                  (std::array{100, 100, 80, 159, 327}));
        // The labels are those of the line before until the record starts.
        EXPECT_EQ(upload.text(m.progress.lblproeeprom), "as destination N° 20");
        const EepromMessage& next =
            upload.messages[static_cast<std::size_t>(addressMessages(upload)[100] + 1)];
        EXPECT_EQ(upload.text(next.progress.lblproeeprom), "as destination N° 21");
        EXPECT_EQ(upload.text(next.progress.lblprotexte), "");
    }
    const EepromUpload upload = build(eepromAssignments(3, 3), 4);
    const auto shown = [&upload](int line, int byte) {
        const EepromProgress& p =
            upload.messages[static_cast<std::size_t>(addressMessages(upload)[line] + byte)].progress;
        return labels(upload, p);
    };
    EXPECT_EQ(shown(0, 1), "as source N° 1 | S 1 | 0% EEprom written");
    EXPECT_EQ(shown(161, 1), "as special function N° 2 | Recall setup 1 | 49% EEprom written");
    EXPECT_EQ(shown(256, 3), "as sync for video source | 2 correspond to 1 | 78% EEprom written");
    EXPECT_EQ(shown(287, 32), "as sync for Y/C destination | 127 correspond to 255 | 87% EEprom written");
    EXPECT_EQ(shown(320, 1), "as sync for keyboard | 0 correspond to 0 | 97% EEprom written");
    EXPECT_EQ(shown(327, 32), "as sync for keyboard | 255 correspond to 255 | 100% EEprom written");
}

TEST(EepromFourByte, TablesNameTheFirstObject) {
    for (int destinations : {3, 120}) {
        Assignments a = eepromAssignments(3, destinations);
        a.editTable.sources[3].Vin = 2;       // the video table names source 2
        a.editTable.sources[3].Kin = 40;      // and the keyboard map source 3 for touch 40 ...
        a.editTable.destinations[2].Kou = 40; // ... not destination 2
        a.editTable.destinations[3].Vou = 1;  // destination 1 keeps video output 1
        a.ApplyEditTable();
        const EepromUpload upload = build(a, 4);
        const auto fd = static_cast<std::uint8_t>(upload.layout == EepromLayout::FourByte80 ? 80 : 128);
        const Bytes image = eepromImage(upload);
        EXPECT_EQ(lineBytes(image, 256, 5), (Bytes{0xFF, 0, 1, 0xFF, 0xFF})) << "video sources";
        EXPECT_EQ(lineBytes(image, 260, 4), (Bytes{0xFF, fd, static_cast<std::uint8_t>(fd + 1), 0xFF}))
            << "video destinations";
        EXPECT_EQ(lineBytes(image, 264, 5), (Bytes{0xFF, 0, 1, 2, 0xFF})) << "audio sources";
        EXPECT_EQ(lineBytes(image, 288, 4), (Bytes{0xFF, 0, 1, 0xFF})) << "video source touches";
        EXPECT_EQ(lineBytes(image, 292, 4), (Bytes{0xFF, 3, 40, 0xFF})) << "video destination touches";
        EXPECT_EQ(lineBytes(image, 320, 6), (Bytes{0, 1, 0xFF, fd, 0xFF, static_cast<std::uint8_t>(fd + 2)}))
            << "touches 0..5: sources 1, 2, then destinations 1 and 3";
        EXPECT_EQ(image[321 * 32 + 8], 2) << "touch 40: source 3 before destination 2";
    }
}

TEST(EepromFourByte, LayoutByDestinationCount) {
    const struct {
        int destinations;
        EepromLayout layout;
        int lastDestinationLine;
        std::size_t messages;
    } cases[] = {
        {111, EepromLayout::FourByte80, 159, 6984},
        // Source 128 and destination 128 have no connector: a record of one byte.
        {112, EepromLayout::FourByte128, 240, 127 * 28 + 2 + 112 * 28 + 2 + 72 * 33 + 2},
        {127, EepromLayout::FourByte128, 255, 127 * 28 + 2 + 127 * 28 + 2 + 72 * 33 + 2},
        {256, EepromLayout::FourByte128, 255, 127 * 28 + 2 + 127 * 28 + 2 + 72 * 33 + 2},
    };
    for (const auto& c : cases) {
        const EepromUpload upload = build(eepromAssignments(128, c.destinations), 4);
        EXPECT_EQ(upload.layout, c.layout) << c.destinations;
        EXPECT_EQ(upload.messages.size(), c.messages) << c.destinations;
        const std::vector<int> lines = addressMessages(upload);
        for (int line = 0; line < 328; ++line) {
            const bool written = line <= c.lastDestinationLine || line >= 256 ||
                                 (c.layout == EepromLayout::FourByte80 && line < 178);
            EXPECT_EQ(lines[static_cast<std::size_t>(line)] >= 0, written)
                << c.destinations << " line " << line;
        }
        EXPECT_EQ(upload.messages.back().code, 57);
        EXPECT_EQ(upload.messages[upload.messages.size() - 2].machine, 18);
    }
    const Bytes image = eepromImage(build(eepromAssignments(0, 112), 4));
    EXPECT_EQ(lineBytes(image, 239, 2), (Bytes{0x8F, 112})) << "destination 112";
    EXPECT_EQ(lineBytes(image, 240, 2), (Bytes{0, 0xFF})) << "destination 113 is empty";
    EXPECT_EQ(lineBytes(image, 0, 2), (Bytes{0, 0xFF})) << "no source 1";
}

TEST(EepromFourByte, EmptyRecordLabels) {
    const EepromUpload upload = build(eepromAssignments(0, 112), 4);
    const EepromMessage& source = upload.messages[1];
    EXPECT_EQ(upload.text(source.progress.lblprotexte), "Empty source");
    EXPECT_EQ(upload.text(source.progress.lblproeeprom), "no source at 1");
    const EepromMessage& destination =
        upload.messages[static_cast<std::size_t>(addressMessages(upload)[240] + 1)];
    EXPECT_EQ(upload.text(destination.progress.lblprotexte), "Empty destination");
    EXPECT_EQ(upload.text(destination.progress.lblproeeprom), "no dest at 113");
}

TEST(EepromDump, HeaderThenOneEntryPerLine) {
    Assignments a = eepromAssignments(1, 1);
    a.editTable.sources[1] = {.name = "Cam", .Kin = 5, .Vin = 1, .Ain = 1};
    a.ApplyEditTable();
    const std::vector<std::string> dump = eepromDumpList(build(a, 4));
    ASSERT_EQ(dump.size(), 1u + 328u - 78u);
    EXPECT_EQ(dump[0], EepromDump::kHeader);
    EXPECT_EQ(dump[1],
              "  0 0000 8F 01 01 FF FF 05 FF FF 43 61 6D 20 20 20 20 20 20 20 20 20 20 30 30 30 30 30 30 ");
    EXPECT_EQ(dump[161], "160 1400 00 00 FF FF FF FF ");
    EXPECT_EQ(dump.back().substr(0, 9), "327 28E0 ") << "the close ends the last entry";
    EXPECT_EQ(dump.back().size(), 9u + 32u * 3u);

    EepromDump other;
    other.record(1, 1, 3, 1);
    other.record(57, 2, 0, 0);
    EXPECT_TRUE(other.lbloadeeprom().empty()) << "only EEPROM instructions are dumped";
}

TEST(EepromFiveByte, TouchLines) {
    Assignments a = eepromAssignments(2, 2); // touches 0, 1 sources; 2, 3 destinations
    a.editTable.sources[2].Kin = 127;
    a.editTable.sources[2].name = "Télé";
    a.editTable.destinations[1].Kou = 127; // the source keeps touch 127
    a.editTable.destinations[2].ad = {1, 2, 3, 4, 5, 6};
    a.ApplyEditTable();
    const EepromUpload upload = build(a, 5);
    ASSERT_EQ(upload.layout, EepromLayout::FiveByte);
    const EepromMessage& presence = upload.messages.front();
    EXPECT_EQ((std::array{presence.letter, presence.data1, presence.data2}), (std::array{int{'['}, 0, 0}));
    EXPECT_EQ(presence.action, EepromAction::PresenceTest);
    EXPECT_EQ(upload.messages.size(), 1u + 128u * 2u + 3u * 22u + 1u);

    const Bytes image = eepromImage(upload);
    ASSERT_EQ(image.size(), 128u * 32u);
    EXPECT_EQ(lineBytes(image, 0, 24),
              join({{0x5F, 1, 1, 1, 'S', ' ', '1'}, repeat(0x20, 10), repeat(0x7F, 6), {0xFF}}));
    EXPECT_EQ(lineBytes(image, 3, 24),
              join({{0x20, 2, 2, 2, 'D', ' ', '2'}, repeat(0x20, 10), {1, 2, 3, 4, 5, 6}, {0xFF}}));
    EXPECT_EQ(lineBytes(image, 1, 2), (Bytes{0, 0xFF})) << "a touch without object: its kind byte only";
    EXPECT_EQ(lineBytes(image, 127, 8), (Bytes{0x5F, 2, 2, 2, 0x54, 0x65, 0x6C, 0x65}));

    const EepromMessage& last = upload.messages[static_cast<std::size_t>(addressMessages(upload)[127])];
    EXPECT_EQ((std::array{last.data1, last.data2}), (std::array{15, 224}));
    EXPECT_EQ(upload.messages.back().letter, '\\');
    EXPECT_EQ(upload.messages.back().action, EepromAction::Close);
    for (const EepromMessage& m : upload.messages)
        EXPECT_EQ(m.warning, 0);
}

TEST(EepromFiveByte, ProgressAndTouchWarning) {
    Assignments a = eepromAssignments(1, 1);
    a.editTable.destinations[1].Kou = 200;
    a.ApplyEditTable();
    const EepromUpload upload = build(a, 5, kLanguageFrench);
    EXPECT_EQ(upload.text(upload.messages[1].warning),
              "The number of touches is more than 127. The only 127 first will be used.");
    for (std::size_t i = 2; i < upload.messages.size(); ++i)
        ASSERT_EQ(upload.messages[i].warning, 0) << i;

    const auto at = [&upload](std::size_t i) {
        const EepromProgress& p = upload.messages[i].progress;
        return std::to_string(p.proeeprom) + " " + std::to_string(p.protexte) + "/" +
               std::to_string(p.protexteMin) + ".." + std::to_string(p.protexteMax) + " " + labels(upload, p);
    };
    // 0 presence, 1 "[" of touch 0, 2 its kind, 3..5 connectors, 6..18 name, 19..24 masks, 25 "[" of touch 1.
    EXPECT_EQ(at(1), "0 0/0..18  |  | 0% EEprom remplie");
    EXPECT_EQ(at(2), "0 0/0..18 Touche de source | Ecriture de S 1 | 0% EEprom remplie");
    EXPECT_EQ(at(18), "0 16/0..18 Touche de source | Ecriture de S 1 | 0% EEprom remplie");
    EXPECT_EQ(at(24), "0 17/0..18 Touche de source | Ecriture de S 1 | 0% EEprom remplie");
    EXPECT_EQ(at(25), "1 17/0..18 Touche de source | Ecriture de S 1 | 0% EEprom remplie");
    EXPECT_EQ(at(26), "1 0/0..18 Aucune écriture | Recherche... | 0% EEprom remplie");
    EXPECT_EQ(at(upload.messages.size() - 1),
              "127 1/0..18 Remplissage des zones vides | Fermeture de l'EEPROM... | 99% EEprom remplie");

    a.editTable.destinations[1].Kou = 255;
    a.ApplyEditTable();
    const EepromUpload unassigned = build(a, 5);
    EXPECT_EQ(unassigned.messages[1].warning, 0) << "255 is an unassigned touch";
}

TEST(EepromImage, TextForm) {
    const EepromUpload upload = build(eepromAssignments(1, 1), 4);
    const std::vector<std::string> text = eepromImageText(eepromImage(upload));
    ASSERT_EQ(text.size(), 328u);
    EXPECT_EQ(text[0].substr(0, 12), "8F 01 01 01 ");
    std::string erased = "FF";
    for (int i = 1; i < 32; ++i)
        erased += " FF";
    EXPECT_EQ(text[200], erased);
    EXPECT_EQ(eepromImageText(eepromImage(build(eepromAssignments(1, 1), 5))).size(), 128u);
}

} // namespace
} // namespace rl4::test
