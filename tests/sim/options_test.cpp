#include "sim/console_command.h"
#include "sim/eeprom_file.h"
#include "sim/sim_options.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <tuple>

namespace rl4::sim::test {
namespace {

// The words of a command line; none holds a blank.
ParsedOptions parse(const std::string& line) {
    std::vector<std::string> args;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        args.push_back(word);
    return parseSimOptions(args);
}

TEST(Options, DefaultsAndEveryOption) {
    const ParsedOptions none = parse("");
    ASSERT_TRUE(none.options);
    const FaultOptions& d = none.options->faults;
    EXPECT_FALSE(d.random() || d.delayMillis || d.refuseEvery || d.seed);

    const ParsedOptions all =
        parse("--tcp 7001 --protocol 4 --video 256x1 --rgb 0x0 --identity a,FF --baud 0 "
              "--log l.txt --eeprom e.bin --silent-refusals --drop 0.05 --nak 1 --garble=0.5 "
              "--split 1e-1 --delay 250 --refuse-every 3 --seed 4294967295");
    ASSERT_TRUE(all.options) << all.error;
    const SimOptions& o = *all.options;
    EXPECT_EQ(std::tuple(o.port.kind, o.port.tcpPort, o.matrix.protocol, o.baud, o.logPath, o.eepromPath),
              std::tuple(PortChoice::Kind::Tcp, 7001, ProtocolChoice::Four, 0, "l.txt", "e.bin"));
    EXPECT_EQ(o.matrix.sizes[layerIndex(Layer::Video)], (LayerSize{256, 1}));
    EXPECT_FALSE(o.matrix.sizes[layerIndex(Layer::Rgb)].present());
    EXPECT_EQ(o.matrix.identity, (std::array<std::uint8_t, 2>{0x0A, 0xFF}));
    EXPECT_TRUE(o.matrix.silentRefusals);
    const FaultOptions& f = o.faults;
    EXPECT_EQ(std::tuple(f.drop, f.nak, f.garble, f.split, f.delayMillis, f.refuseEvery, f.seed),
              std::tuple(0.05, 1.0, 0.5, 0.1, 250, 3, std::optional(4294967295u)));
}

TEST(Options, BadOptionsAreRefusedWithAMessage) {
    // The messages stay in our words, whatever the option library would say ("": any message).
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"--video 16x0", ""}, {"--video 257x1", ""}, {"--audio 16", ""}, {"--yc 8x8x8", ""}, {"--rgb -1x4", ""},
        {"--protocol 3", ""}, {"--identity 1234", ""}, {"--identity 92,3G", ""}, {"--identity 123,4", ""},
        {"--baud -1", ""}, {"--baud 9k", ""}, {"--tcp 65536", ""}, {"--nak -0.1", ""}, {"--garble nan", ""},
        {"--split half", ""}, {"--delay -1", ""}, {"--delay 60001", ""}, {"--refuse-every -3", ""},
        {"--seed 4294967296", ""}, {"--seed -1", ""}, {"stray", ""}, {"--drop 1.5", ""},
        {"--baud", "option --baud needs a value"},
        {"--video 16x8 --log", "option --log needs a value"},
        {"--frobnicate 1", "unknown option --frobnicate"},
        {"-h", "unknown option -h"},
        {"stray --frobnicate", "unexpected argument 'stray'"},
        {"--pty a --tcp 1", "choose one of --pty and --tcp, once"},
        {"--tcp 1 --tcp 2", "choose one of --pty and --tcp, once"},
        {"--drop 2", "bad value '2' for --drop (a probability 0..1)"},
        {"--video=16x0", "bad value '16x0' for --video (OUTPUTSxINPUTS, each 1..256, or 0x0)"},
        {"--baud x --delay y", "bad value 'x' for --baud (0..1000000)"},
        {"--silent-refusals=maybe", "option --silent-refusals takes no value"},
        {"-- a", "unexpected argument 'a'"},
    };
    // clang-format on
    for (const auto& [line, message] : cases) {
        const ParsedOptions parsed = parse(line);
        EXPECT_TRUE(!parsed.options && !parsed.error.empty()) << line;
        EXPECT_TRUE(!*message || parsed.error == message) << line << ": " << parsed.error;
    }
    EXPECT_EQ(parseSimOptions({"--pty", ""}).error, "bad value '' for --pty");
    EXPECT_TRUE(parse("--help --baud x").help) << "help comes first when it comes first";
    EXPECT_FALSE(parse("--baud x --help").help);
    EXPECT_EQ(parse("--baud 1 --baud 2").options->baud, 2) << "the last one counts";
}

TEST(ConsoleCommands, ParsedOrExplained) {
    for (const auto& [line, layer, output, input] : {std::tuple{"  panel   A 0 16 \r", Layer::Audio, 0, 16},
                                                     std::tuple{"panel Y 255 1", Layer::Yc, 255, 1}}) {
        const auto panel = std::get<PanelCommand>(parseConsoleCommand(line));
        EXPECT_EQ(std::tuple(panel.layer, panel.output, panel.input), std::tuple(layer, output, input))
            << line;
    }
    EXPECT_FALSE(std::get<OnLineCommand>(parseConsoleCommand("offline")).onLine);
    EXPECT_FALSE(std::get<FaultsCommand>(parseConsoleCommand("faults off")).on);
    EXPECT_TRUE(std::get<FaultsCommand>(parseConsoleCommand("faults on")).on);
    EXPECT_TRUE(std::holds_alternative<StateCommand>(parseConsoleCommand("state")));
    EXPECT_TRUE(std::holds_alternative<BlankLine>(parseConsoleCommand(" \t")));
    for (const char* line :
         {"panel X 1 1", "panel v 1 1", "panel V 1", "panel V 1 256", "panel V one 2", "panel VA 1 2",
          "quit now", "reboot", "unplug 1", "faults", "faults 0", "state V", "\x01\xFF"}) {
        EXPECT_TRUE(std::holds_alternative<BadCommand>(parseConsoleCommand(line))) << line;
    }
}

TEST(EepromFile, LoadSaveAndWrongSize) {
    rl4::test::TempFolder folder;
    const std::string path = folder.path("image.bin");

    Eeprom missing;
    EXPECT_FALSE(loadEepromFile(path, missing)) << "a missing file leaves the memory erased";
    EXPECT_EQ(missing.bytes().at(123), 0xFF);

    Eeprom written;
    written.writeAt(0, 0x11);
    written.writeAt(Eeprom::kSize - 1, 0x22);
    EXPECT_FALSE(saveEepromFile(path, written));
    EXPECT_EQ(std::filesystem::file_size(path), 32768u);
    Eeprom loaded;
    EXPECT_FALSE(loadEepromFile(path, loaded));
    EXPECT_EQ(loaded.bytes(), written.bytes());

    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
    const std::optional<std::string> error = loadEepromFile(path, loaded);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("5 bytes"), std::string::npos) << *error;
    EXPECT_EQ(loaded.bytes(), written.bytes()) << "a bad file changes nothing";
    // A huge file is refused by its size, unread; a save that cannot be made says so and leaves nothing.
    std::filesystem::resize_file(path, std::uintmax_t{1} << 32);
    EXPECT_NE(loadEepromFile(path, loaded).value_or("").find("4294967296 bytes"), std::string::npos);
    EXPECT_NE(saveEepromFile(folder.path("absent/image.bin"), written).value_or("").find("No such file"),
              std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

} // namespace
} // namespace rl4::sim::test
