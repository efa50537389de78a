// The upload through the engine and the link, against the software matrix held in memory: what it leaves
// in the matrix's EEPROM, what the operator sees meanwhile and at the end.

#include "eeprom/eeprom_image.h"
#include "engine/engine.h"
#include "engine/main_commands.h"
#include "engine/menu_ids.h"
#include "sim/matrix_core.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <set>

namespace rl4::test {
namespace {

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
    const struct {
        int protocol, destinations;
        std::size_t imageLines, tapeLine, percentages;
    } runs[] = {{4, 3, 328, 1, 78}, {5, 3, 128, 6, 101}, {4, 120, 328, 1, 99}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.destinations);
        UploadRig rig(run.protocol, {}, run.destinations);
        rig.prompt.answer(kAnswerYes);
        rig.prompt.answer(kAnswerYes);
        EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Succeeded);

        const EepromUpload upload =
            buildEepromUpload(rig.engine.assignments(), run.protocol, rig.engine.messages());
        const std::vector<std::uint8_t> image = eepromImage(upload);
        const sim::Bytes& memory = rig.matrix.state().eeprom.bytes();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
        EXPECT_TRUE(std::all_of(memory.begin() + static_cast<std::ptrdiff_t>(image.size()), memory.end(),
                                [](std::uint8_t byte) { return byte == 0xFF; }))
            << "nothing beyond the image";
        const std::vector<std::string> text = eepromImageText(image);
        EXPECT_EQ(text.size(), run.imageLines);
        EXPECT_EQ(text[run.tapeLine].substr(0, 6), run.protocol == 4 ? "8F C8 " : "5F C8 ");
        EXPECT_EQ(rig.engine.eeprom().messagesSent(), static_cast<int>(upload.messages.size()));
        EXPECT_EQ(rig.engine.eeprom().messagesFailed(), 0);

        // One notice per message and one for the end report, each while the link is held; the percentage
        // never goes back and passes through every value but those of the lines a layout leaves out.
        EXPECT_EQ(rig.notices, rig.engine.eeprom().messagesSent() + 1);
        EXPECT_TRUE(rig.heldThroughout);
        EXPECT_FALSE(rig.engine.busy());
        EXPECT_TRUE(std::is_sorted(rig.percentages.begin(), rig.percentages.end()));
        EXPECT_EQ(std::set(rig.percentages.begin(), rig.percentages.end()).size(), run.percentages);
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
    const struct {
        int protocol;
        sim::ProtocolChoice speaks;
        int refuseEvery, sent, failed, language;
    } cases[] = {
        {4, sim::ProtocolChoice::Both, 1000, 6984, 6, kLanguageEnglish},
        {5, sim::ProtocolChoice::Both, 50, kFiveByteMessages, kFiveByteMessages / 50, kLanguageFrench},
        {5, sim::ProtocolChoice::Four, 0, 1, 1, kLanguageEnglish}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        UploadRig rig(c.protocol, {.protocol = c.speaks});
        rig.engine.messages().setLanguage(c.language);
        int instructions = 0;
        if (c.refuseEvery != 0)
            rig.matrix.setRefusals([&] { return ++instructions % c.refuseEvery == 0; });
        rig.prompt.answer(kAnswerYes);
        rig.prompt.answer(kAnswerYes);
        rig.prompt.answer(1);
        EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Failed);
        EXPECT_EQ(rig.engine.eeprom().messagesSent(), c.sent);
        EXPECT_EQ(rig.engine.eeprom().messagesFailed(), c.failed);
        const EepromWindowState& window = rig.engine.eeprom().window();
        EXPECT_EQ(window.pourcenteeprom + " | " + window.lblloadeeprom + " | " + window.lblproeeprom + " | " +
                      window.lblprotexte,
                  texts[c.language - 1][1]);
        EXPECT_EQ(rig.prompt.questions[0].title, texts[c.language - 1][0]);
        EXPECT_EQ(rig.prompt.questions.back().text, texts[c.language - 1][2]);
        if (c.sent == 1) {
            EXPECT_EQ(rig.prompt.questions[2].text,
                      "Warning! There is no EEPROM in the matrix. Please, verify");
        }
    }
}

// Nothing is sent unless both questions are answered Yes and the link is free; while the link is held the
// main window's commands are refused too.
TEST(EepromUploadRun, RefusalsSendNothing) {
    const struct {
        bool held;
        std::vector<int> answers;
        std::size_t questions;
        bool windowOpen;
    } cases[] = {
        {true, {}, 0, false},
        {false, {kAnswerNo}, 1, false},
        {false, {kAnswerYes, kAnswerNo}, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.questions);
        UploadRig rig(4);
        for (int answer : c.answers)
            rig.prompt.answer(answer);
        MainCommands commands(rig.engine, [] { return MainWindowGeometry{}; });
        const auto attempt = [&] {
            EXPECT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Refused);
            commands.frm1_MenuEvent(menu_id::kStoreStatus);
        };
        if (c.held) {
            const LongOperation::Guard hold = rig.engine.holdLink();
            attempt();
        } else {
            attempt();
        }
        EXPECT_EQ(rig.bytesWritten, c.held ? 0 : 4);
        EXPECT_EQ(rig.prompt.questions.size(), c.questions);
        EXPECT_EQ(rig.engine.eeprom().window().open, c.windowOpen);
    }
}

} // namespace
} // namespace rl4::test
