// routelane4ctl upload-eeprom against matrixsim on a pseudo-terminal: the matrix's EEPROM file after the
// upload holds exactly the image that --image writes.

#include "ctl/ctl_program.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace rl4::test {
namespace {

struct UploadRun {
    int status;
    std::string out, err;
};

UploadRun runUpload(const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = runRoutelane4ctl(args);
    return {status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

// The image file's bytes, read back from its hexadecimal text.
std::string imageBytes(const std::string& path) {
    std::istringstream text(fileBytes(path));
    std::string bytes;
    for (std::string byte; text >> byte;)
        bytes += static_cast<char>(std::stoi(byte, nullptr, 16));
    return bytes;
}

TEST(CtlUploadEeprom, TheMatrixHoldsTheImage) {
    TempFolder dir;
    writeCrLf(dir.path("routelane4.agn"), sampleAssignmentLines());
    writeCrLf(dir.path("routelane4.ports"), {"1=" + dir.path("matrix"), "2=" + dir.path("nothing")});
    SimProcess matrix({"--pty", dir.path("matrix"), "--baud", "0", "--eeprom", dir.path("eeprom.bin")});
    ASSERT_TRUE(matrix.waitReady());

    // No settings file: the 5-byte form, unless --protocol says otherwise.
    const std::string image4 = dir.path("image4.txt");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string outEnd, errPart;
    } runs[] = {
        {{"--protocol", "4", "upload-eeprom"}, 1, "", "nothing sent (--yes answers the questions)"},
        {{"--port", "2", "upload-eeprom", "--yes"}, 1, "", "no port, nothing sent"},
        {{"--protocol", "4", "upload-eeprom", "--yes"}, 0, "\r100% EEprom written\n", "Upload successful"},
        {{"--protocol", "4", "upload-eeprom", "--image", image4}, 0, "wrote " + image4 + "\n", ""},
        {{"upload-eeprom", "--image"}, 64, "", "--image needs a file name"},
        {{"upload-eeprom", "--no"}, 64, "", "upload-eeprom takes only --yes and --image FILE"},
    };
    for (const auto& run : runs) {
        std::vector<std::string> args{"--data", dir.folder(), "--port", "1"};
        args.insert(args.end(), run.args.begin(), run.args.end());
        const UploadRun result = runUpload(args);
        SCOPED_TRACE(run.args.back() + "\n" + result.err);
        EXPECT_EQ(result.status, run.status);
        EXPECT_TRUE(result.out.ends_with(run.outEnd)) << result.out.substr(0, 100);
        EXPECT_NE(result.err.find(run.errPart), std::string::npos);
    }
    matrix.writeLine("quit");
    ASSERT_EQ(matrix.wait(), 0);
    const std::string image = imageBytes(image4);
    ASSERT_EQ(image.size(), 328u * 32u);
    EXPECT_EQ(fileBytes(dir.path("eeprom.bin")).substr(0, image.size()), image);
}

} // namespace
} // namespace rl4::test
