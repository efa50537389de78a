// The EEPROM image an assignment makes, byte by byte, and its upload through the engine and the link to the
// software matrix held in memory: what it leaves in the matrix's EEPROM and what the operator sees.

#include "assign/assignments.h"
#include "eeprom/eeprom_bytes.h"
#include "eeprom/eeprom_dump.h"
#include "eeprom/eeprom_image.h"
#include "engine/engine.h"
#include "engine/main_commands.h"
#include "engine/menu_ids.h"
#include "sim/matrix_core.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <array>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace rl4::test {
namespace {

// Sources 1..sources and destinations 1..destinations, all applied: object n is on connector n of every
// layer (connectors past 127 stay unassigned, as the tables cannot hold them) and named "S n" or "D n";
// sources take touches 0, 1, ... and destinations the touches after them.
Assignments eepromAssignments(int sources, int destinations) {
    Assignments a;
    a.setFixedSpecialNames();
    a.editTable.sourceCount = sources;
    a.editTable.destinationCount = destinations;
    for (int s = 1; s <= sources; ++s) {
        Source& source = a.editTable.sources[static_cast<std::size_t>(s)];
        source.name = "S " + std::to_string(s);
        source.Vin = source.Ain = source.Rin = source.YWi = s <= 127 ? s : NotAssigned;
        source.Kin = s - 1;
    }
    for (int d = 1; d <= destinations; ++d) {
        Destination& destination = a.editTable.destinations[static_cast<std::size_t>(d)];
        destination.name = "D " + std::to_string(d);
        destination.Vou = destination.Aou = destination.Rou = destination.YWo = d <= 127 ? d : NotAssigned;
        destination.Kou = sources + d - 1;
    }
    a.ApplyEditTable();
    return a;
}

// Indexes of the address messages of an upload, by line (-1 for a line not addressed).
std::vector<int> addressMessages(const EepromUpload& upload) {
    std::vector<int> byLine(static_cast<std::size_t>(eepromImageLines(upload.layout)), -1);
    for (std::size_t i = 0; i < upload.messages.size(); ++i) {
        const EepromMessage& m = upload.messages[i];
        if (m.action != EepromAction::SetAddress)
            continue;
        const int address = m.code != 0 ? m.data2 * 256 + m.data1 : m.data1 * 256 + m.data2;
        byLine[static_cast<std::size_t>(address / kEepromLineBytes)] = static_cast<int>(i);
    }
    return byLine;
}

// What goes on the wire: letter, code, machine, first and second data value.
std::vector<int> wire(const EepromMessage& m) {
    return {m.letter, m.code, m.machine, m.data1, m.data2};
}

// The three texts of the progress window: "SECTION | OBJECT | PERCENTAGE".
std::string labels(const EepromUpload& upload, const EepromProgress& p) {
    return std::string(upload.text(p.lblproeeprom)) + " | " + std::string(upload.text(p.lblprotexte)) +
           " | " + std::string(upload.text(p.pourcenteeprom));
}

using Bytes = std::vector<std::uint8_t>;

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
    const std::pair<std::string, std::string> names[] = {
        {"ôàçîèùéñïòÉ", std::string{'\xF4'} + "acieuenio\xC9  "},
        {"Camera of studio 4", "Camera of stu"},
    };
    for (const auto& [name, bytes] : names) {
        const auto written = nameBytes(name);
        EXPECT_EQ(std::string(written.begin(), written.end()), bytes) << name;
    }
    EXPECT_EQ(shownName("Caméra du studio 4"), "Caméra du stu");
    for (auto [value, byte] : {std::pair{257, 255}, {256, 0}, {255, 255}, {0, 0}, {130, 130}})
        EXPECT_EQ(wireByte(value), byte) << value;
}

// The dump list shows each line's address and bytes, so it reads the records as the matrix gets them.
TEST(EepromFourByte, RecordsOfTheSmallerLayoutAndTheirDump) {
    Assignments a = eepromAssignments(0, 1);
    a.editTable.sourceCount = 1;
    a.editTable.sources[1] = {.name = "Cam", .Kin = 5, .Vin = 1, .Ain = 1};
    a.editTable.specials[3].Ksp = 9;
    a.ApplyEditTable();
    const EepromUpload upload = build(a, 4);
    ASSERT_EQ(upload.layout, EepromLayout::FourByte80);
    EXPECT_EQ(wire(upload.messages[1]), (std::vector{0, 32, 17, 0x8F, 0}));

    // The window test holds the dump's length and its last line.
    const std::vector<std::string> dump = eepromDumpList(upload);
    EXPECT_EQ(dump[1],
              "  0 0000 8F 01 01 FF FF 05 FF FF 43 61 6D 20 20 20 20 20 20 20 20 20 20 30 30 30 30 30 30 ");
    EXPECT_EQ(dump[81].substr(0, 33), " 80 0A00 00 01 01 01 01 00 FF FF ");
    EXPECT_EQ(dump[163], "162 1440 00 02 FF FF FF 09 ");
}

// The labels are those of the line before until the record starts.
TEST(EepromFourByte, LineStartProgressInBothLanguages) {
    const EepromUpload upload = build(eepromAssignments(3, 3), 4);
    const EepromUpload french = build(eepromAssignments(3, 3), 4, kLanguageFrench);
    const auto at = [](const EepromUpload& run, int line, int byte) -> const EepromMessage& {
        return run.messages[static_cast<std::size_t>(addressMessages(run)[line] + byte)];
    };
    const EepromProgress& p = at(upload, 100, 0).progress;
    EXPECT_EQ(wire(at(upload, 100, 0)), (std::vector{0, 32, 16, 128, 12}));
    EXPECT_EQ((std::vector<int>{p.proeeprom, p.protexte, p.protexteMin, p.protexteMax, upload.proeepromMax}),
              (std::vector{100, 100, 80, 159, 327}));
    const std::tuple<const EepromUpload*, int, int, const char*> shown[] = {
        {&upload, 100, 0, "as destination N° 20 |  | 30% EEprom written"},
        {&french, 100, 1, "comme destination N° 21 |  | 30% EEprom remplie"},
        {&upload, 0, 1, "as source N° 1 | S 1 | 0% EEprom written"},
        {&upload, 161, 1, "as special function N° 2 | Recall setup 1 | 49% EEprom written"},
        {&upload, 256, 3, "as sync for video source | 2 correspond to 1 | 78% EEprom written"},
        {&upload, 287, 32, "as sync for Y/C destination | 127 correspond to 255 | 87% EEprom written"},
        {&upload, 327, 32, "as sync for keyboard | 255 correspond to 255 | 100% EEprom written"},
        {&french, 320, 1, "comme synchro du clavier | 0 correspond à 0 | 97% EEprom remplie"},
    };
    for (const auto& [run, line, byte, text] : shown)
        EXPECT_EQ(labels(*run, at(*run, line, byte).progress), text) << line;
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
    const std::tuple<int, EepromLayout, int, std::size_t> cases[] = {
        {111, EepromLayout::FourByte80, 159, 6984},
        // Source 128 and destination 128 have no connector: a record of one byte.
        {112, EepromLayout::FourByte128, 240, 127 * 28 + 2 + 112 * 28 + 2 + 72 * 33 + 2},
        {256, EepromLayout::FourByte128, 255, 127 * 28 + 2 + 127 * 28 + 2 + 72 * 33 + 2},
    };
    for (const auto& [destinations, layout, lastDestinationLine, messages] : cases) {
        const EepromUpload upload = build(eepromAssignments(128, destinations), 4);
        EXPECT_EQ(upload.layout, layout) << destinations;
        EXPECT_EQ(upload.messages.size(), messages) << destinations;
        const std::vector<int> lines = addressMessages(upload);
        for (int line = 0; line < 328; ++line) {
            const bool written = line <= lastDestinationLine || line >= 256 ||
                                 (layout == EepromLayout::FourByte80 && line < 178);
            EXPECT_EQ(lines[static_cast<std::size_t>(line)] >= 0, written)
                << destinations << " line " << line;
        }
        EXPECT_EQ(upload.messages.back().code, 57);
        EXPECT_EQ(upload.messages[upload.messages.size() - 2].machine, 18);
    }
    const EepromUpload upload = build(eepromAssignments(0, 112), 4);
    const Bytes image = eepromImage(upload);
    EXPECT_EQ(lineBytes(image, 239, 2), (Bytes{0x8F, 112})) << "destination 112";
    EXPECT_EQ(lineBytes(image, 240, 2), (Bytes{0, 0xFF})) << "destination 113 is empty";
    EXPECT_EQ(lineBytes(image, 0, 2), (Bytes{0, 0xFF})) << "no source 1";
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
    EXPECT_EQ(wire(upload.messages.front()), (std::vector<int>{'[', 0, 0, 0, 0}));

    const Bytes image = eepromImage(upload);
    EXPECT_EQ(lineBytes(image, 0, 24),
              join({{0x5F, 1, 1, 1, 'S', ' ', '1'}, Bytes(10, 0x20), Bytes(6, 0x7F), {0xFF}}));
    EXPECT_EQ(lineBytes(image, 3, 24),
              join({{0x20, 2, 2, 2, 'D', ' ', '2'}, Bytes(10, 0x20), {1, 2, 3, 4, 5, 6}, {0xFF}}));
    EXPECT_EQ(lineBytes(image, 1, 2), (Bytes{0, 0xFF})) << "a touch without object: its kind byte only";
    EXPECT_EQ(lineBytes(image, 127, 8), (Bytes{0x5F, 2, 2, 2, 0x54, 0x65, 0x6C, 0x65}));

    const EepromMessage& last = upload.messages[static_cast<std::size_t>(addressMessages(upload)[127])];
    EXPECT_EQ(wire(last), (std::vector<int>{'[', 0, 0, 15, 224}));
    EXPECT_EQ(upload.messages.back().letter, '\\');
    EXPECT_EQ(upload.messages.back().action, EepromAction::Close);
}

TEST(EepromFiveByte, ProgressAndTouchWarning) {
    Assignments a = eepromAssignments(1, 1);
    a.editTable.destinations[1].Kou = 200;
    a.ApplyEditTable();
    const EepromUpload upload = build(a, 5, kLanguageFrench);
    EXPECT_EQ(upload.text(upload.messages[1].warning),
              "Le nombre de touches dépasse 127. Seules les 127 premières seront utilisées.");
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
    EXPECT_EQ(at(25), "1 17/0..18 Touche de source | Ecriture de S 1 | 0% EEprom remplie");
    EXPECT_EQ(at(26), "1 0/0..18 Aucune écriture | Recherche... | 0% EEprom remplie");
    EXPECT_EQ(at(upload.messages.size() - 1),
              "127 1/0..18 Remplissage des zones vides | Fermeture de l'EEPROM... | 99% EEprom remplie");

    a.editTable.destinations[1].Kou = 255;
    a.ApplyEditTable();
    const EepromUpload unassigned = build(a, 5);
    EXPECT_EQ(unassigned.messages[1].warning, 0) << "255 is an unassigned touch";
}

// The presence test, an address and a kind byte per touch, the rest of the three objects' lines, the close.
constexpr int kFiveByteMessages = 1 + 128 * 2 + 3 * 22 + 1;

// An engine on port 1, where a software matrix answers as the line carries the bytes; the rig listens
// to the upload's notices.
class UploadRig : public EngineListener {
public:
    explicit UploadRig(int protocol, sim::MatrixConfig config = {}, int destinations = 3) : matrix(config) {
        MemoryChannel& channel = opener.channel(1);
        channel.onWrite = [this, &channel](std::uint8_t byte) {
            ++bytesWritten;
            for (const sim::SimEvent& event : matrix.feed({&byte, 1}, clock.nowMicros()))
                if (event.kind == sim::SimEvent::Kind::Sent)
                    channel.deliver(event.bytes);
        };
        engine.link().setProtocolLength(protocol);
        engine.link().setPortNumber(1);
        engine.link().OpenPort();
        AssignmentTable& table = engine.assignments().editTable;
        table.sourceCount = 2;
        table.sources[1] = {.name = "Caméra", .Kin = 5, .Vin = 1, .Ain = 1};
        // A connector above 127 sets a flag bit of the 4-byte frame.
        table.sources[2] = {.name = "Tape è ô ñ", .Kin = 6, .Vin = 200, .Ain = 2};
        table.destinationCount = destinations;
        table.destinations[1] = {.name = "Monitor", .Kou = 7, .Vou = 1, .Aou = 1};
        table.destinations[3] = {.name = "Studio", .Kou = 5, .Vou = 3, .Rou = 3, .ad = {0, 3, 127, 64, 2, 1}};
        engine.assignments().ApplyEditTable();
    }

    void eepromWindowChanged() override {
        ++notices;
        heldThroughout = heldThroughout && engine.busy();
        const std::string& percent = engine.eeprom().window().pourcenteeprom;
        if (const auto end = percent.find('%'); end != std::string::npos)
            percentages.push_back(std::stoi(percent.substr(0, end)));
    }

    sim::MatrixCore matrix;
    TempFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    Engine engine{folder.folder(), clock, opener, prompt, *this};
    long bytesWritten = 0;
    int notices = 0;
    bool heldThroughout = true;
    std::vector<int> percentages;
};

// More than 111 destinations take the larger 4-byte layout.
TEST(EepromUploadRun, TheMatrixHoldsTheImageAndTheWindowFollowsEveryMessage) {
    const std::tuple<int, int, std::size_t, std::size_t, std::size_t> runs[] = {
        {4, 3, 328, 1, 78}, {5, 3, 128, 6, 101}, {4, 120, 328, 1, 99}};
    for (const auto& [protocol, destinations, imageLines, tapeLine, percentages] : runs) {
        SCOPED_TRACE(destinations);
        UploadRig rig(protocol, {}, destinations);
        rig.prompt.answer(kAnswerYes);
        rig.prompt.answer(kAnswerYes);
        EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Succeeded);

        const EepromUpload upload =
            buildEepromUpload(rig.engine.assignments(), protocol, rig.engine.messages());
        const Bytes image = eepromImage(upload);
        // Nothing beyond the image: the rest of the memory stays erased.
        Bytes expected = image;
        expected.resize(rig.matrix.state().eeprom.bytes().size(), 0xFF);
        EXPECT_EQ(rig.matrix.state().eeprom.bytes(), expected);
        const std::vector<std::string> text = eepromImageText(image);
        EXPECT_EQ(text.size(), imageLines);
        EXPECT_EQ(text[tapeLine].substr(0, 6), protocol == 4 ? "8F C8 " : "5F C8 ");
        EXPECT_EQ(rig.engine.eeprom().messagesSent(), static_cast<int>(upload.messages.size()));
        EXPECT_EQ(rig.engine.eeprom().messagesFailed(), 0);

        // One notice per message and one for the end report, each while the link is held; the percentage
        // never goes back and passes through every value but those of the lines a layout leaves out.
        EXPECT_EQ(rig.notices, rig.engine.eeprom().messagesSent() + 1);
        EXPECT_TRUE(rig.heldThroughout);
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_TRUE(std::is_sorted(rig.percentages.begin(), rig.percentages.end()));
        EXPECT_EQ(std::set(rig.percentages.begin(), rig.percentages.end()).size(), percentages);
        const EepromWindowState& window = rig.engine.eeprom().window();
        EXPECT_EQ(window.lblloadeeprom, "Load Complete");
        EXPECT_EQ(window.pourcenteeprom, "100% EEprom written");
    }
}

// A refused instruction leaves the rest to write: the failure is told at the end, in the operator's
// language. A matrix without the 5-byte form does not answer the presence test: nothing more is sent.
TEST(EepromUploadRun, AMatrixThatRefusesEndsWithTheFailureReport) {
    // Title, then the window's labels, then the report, in English and in French.
    const std::array<std::string, 3> texts[] = {
        {"Load 3 destinations to matrix EEPROM",
         "EEPROM error | Load Error | EEPROM failure! | Closing eeprom...", "ERROR on Upload procedure|Quit"},
        {"Chargement de 3 destinations dans l'EEPROM de la matrice",
         "Erreur EEPROM | Erreur lors du téléchargement | EEPROM défectueuse! | Fermeture de l'EEPROM...",
         "ERREUR dans la procedure de téléchargement|Quitter"}};
    const std::tuple<int, sim::ProtocolChoice, int, int, int, int> cases[] = {
        {4, sim::ProtocolChoice::Both, 1000, 6984, 6, kLanguageEnglish},
        {5, sim::ProtocolChoice::Both, 50, kFiveByteMessages, kFiveByteMessages / 50, kLanguageFrench},
        {5, sim::ProtocolChoice::Four, 0, 1, 1, kLanguageEnglish}};
    for (const auto& [protocol, speaks, refuseEvery, sent, failed, language] : cases) {
        SCOPED_TRACE(sent);
        UploadRig rig(protocol, {.protocol = speaks});
        rig.engine.messages().setLanguage(language);
        int instructions = 0;
        if (refuseEvery != 0)
            rig.matrix.setRefusals(
                [&instructions, every = refuseEvery] { return ++instructions % every == 0; });
        for (int answer : {kAnswerYes, kAnswerYes, 1})
            rig.prompt.answer(answer);
        EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Failed);
        EXPECT_EQ(rig.engine.eeprom().messagesSent(), sent);
        EXPECT_EQ(rig.engine.eeprom().messagesFailed(), failed);
        const EepromWindowState& window = rig.engine.eeprom().window();
        EXPECT_EQ(window.pourcenteeprom + " | " + window.lblloadeeprom + " | " + window.lblproeeprom + " | " +
                      window.lblprotexte,
                  texts[language - 1][1]);
        EXPECT_EQ(rig.prompt.questions[0].title, texts[language - 1][0]);
        EXPECT_EQ(rig.prompt.questions.back().text, texts[language - 1][2]);
        if (sent == 1) {
            EXPECT_EQ(rig.prompt.questions[2].text,
                      "Warning! There is no EEPROM in the matrix. Please, verify");
        }
    }
}

// Nothing is sent unless both questions are answered Yes and the link is free; while the link is held the
// main window's commands are refused too.
TEST(EepromUploadRun, RefusalsSendNothing) {
    const std::tuple<bool, std::vector<int>, std::size_t, bool> cases[] = {
        {true, {}, 0, false},
        {false, {kAnswerNo}, 1, false},
        {false, {kAnswerYes, kAnswerNo}, 2, true},
    };
    for (const auto& [held, answers, questions, windowOpen] : cases) {
        SCOPED_TRACE(questions);
        UploadRig rig(4);
        for (int answer : answers)
            rig.prompt.answer(answer);
        MainCommands commands(rig.engine, [] { return MainWindowGeometry{}; });
        const std::unique_ptr<LongOperation::Guard> hold(
            held ? new LongOperation::Guard(rig.engine.holdLink()) : nullptr);
        EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Refused);
        commands.frm1_MenuEvent(menu_id::kStoreStatus);
        EXPECT_EQ(rig.bytesWritten, held ? 0 : 4);
        EXPECT_EQ(rig.prompt.questions.size(), questions);
        EXPECT_EQ(rig.engine.eeprom().window().open, windowOpen);
    }
}

} // namespace
} // namespace rl4::test
