// The settings file as anything may have left it: every value read is within its range or the start
// value, and what the program writes back reads as the same settings.

#include "fuzz_support.h"
#include "sheet/settings.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = rl4::fuzz::scratch().folder();
    const std::string path = rl4::fuzz::writeInput("routelane4.set", data, size);

    rl4::SilentPrompt prompt;
    rl4::Settings read = rl4::startSettings(folder);
    rl4::ReadSettings(path, read, prompt);
    RL4_FUZZ_CHECK(read.protocolLength == 4 || read.protocolLength == 5);
    RL4_FUZZ_CHECK(read.port >= 0 && read.port <= rl4::kHighestPort);
    RL4_FUZZ_CHECK(read.language == rl4::kLanguageEnglish || read.language == rl4::kLanguageFrench);

    rl4::FakeClock clock;
    rl4::test::MemoryPortOpener opener{clock};
    rl4::Link link{clock, opener};
    link.setProtocolLength(read.protocolLength);
    link.setPortNumber(read.port);
    RL4_FUZZ_CHECK(rl4::WriteSettings(path, read, link).empty());
    rl4::Settings again = rl4::startSettings(folder);
    rl4::ReadSettings(path, again, prompt);
    RL4_FUZZ_CHECK(again == read);
    return 0;
}
