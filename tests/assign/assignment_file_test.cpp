#include "assign/assignment_file.h"
#include "platform/text_file.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

namespace fs = std::filesystem;

const std::string kSeparatorLine = std::string(41, '-') + "\r\n";

// Pads to 20 characters, counting those of UTF-8 or single bytes of Windows-1252 alike.
std::string pad20(const std::string& name) {
    const auto characters =
        std::count_if(name.begin(), name.end(), [](char c) { return (c & 0xC0) != 0x80; });
    return name + std::string(static_cast<std::size_t>(20 - characters), ' ');
}

class AssignmentFileTest : public testing::Test {
protected:
    AssignmentFileTest() {
        assignments.editFileName = path;
        assignments.activeFileName = path;
    }
    std::string bytes() const { return fileBytes(path); }
    // Lines as a Windows editor would save them.
    void writeFile(const std::vector<std::string>& lines) const {
        std::string all;
        for (const std::string& line : lines)
            all += toWindows1252(line) + "\r\n";
        writeBytes(path, all);
    }
    void read() { ReadAssignmentFile(assignments, messages, prompt); }

    TempFolder folder;
    std::string path = folder.path("routelane4.agn");
    Assignments assignments;
    MessageTable messages;
    ScriptedPrompt prompt;
};

TEST_F(AssignmentFileTest, WrittenColumnsAndReadBack) {
    AssignmentTable& table = assignments.activeTable;
    table.sourceCount = 3;
    table.sources[1] = {"Caméra 1", 1, 0, NotAssigned, 12, 255};
    table.sources[2] = {"A name much longer than twenty", NotAssigned, 7, 3, NotAssigned, NotAssigned};
    table.sources[3] = {"  Ünicode ✓ ", 64, NotAssigned, NotAssigned, NotAssigned, NotAssigned};
    table.destinationCount = 2;
    table.destinations[1] = {"Moniteur é", 9, 1, 2, NotAssigned, 3, -1, {127, 0, 1, 2, 3, 64}};
    table.destinations[2].name = "Rec";
    table.specials[1].Ksp = 5;
    table.specials[18].Ksp = 0;
    assignments.sizes = {16, 8, 4, 2, 0, 0, 1, 1};
    assignments.setAssignmentsChanged(true);

    ASSERT_TRUE(WriteAssignmentFile(assignments, messages, prompt));
    EXPECT_FALSE(assignments.assignmentsChanged());
    std::string expected = "Video In = 16\r\nVideo Out = 8\r\nAudio In = 4\r\nAudio Out = 2\r\n"
                           "RVB In = 0\r\nRVB Out = 0\r\nYW In = 1\r\nYW Out = 1\r\n" +
                           kSeparatorLine + "SOURCES             |Kin|Vin|Ain|Rin|YWi|\r\n";
    expected += pad20("Cam\xE9ra 1") + "|  1|  0|   | 12|255|\r\n";
    expected += "A name much longer t|   |  7|  3|   |   |\r\n";
    expected += pad20("  \xDCnicode ? ") + "| 64|   |   |   |   |\r\n";
    expected +=
        kSeparatorLine + "DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|\r\n";
    expected += pad20("Moniteur \xE9") + "|  9|  1|  2|   |  3| -1| -1|127|  0|  1|  2|  3| 64|\r\n";
    expected += pad20("Rec") + "|   |   |   |   |   |  0|  0|127|127|127|127|127|127|\r\n";
    expected += kSeparatorLine + "SPECIAL             |Ksp|\r\n";
    expected += pad20("Take") + "|  5|\r\n";
    for (int i = 1; i <= 15; ++i)
        expected += pad20("Recall setup " + std::to_string(i)) + "|   |\r\n";
    expected += pad20("VCA-") + "|   |\r\n" + pad20("VCA+") + "|  0|\r\n" + kSeparatorLine;
    EXPECT_EQ(bytes(), expected);

    assignments.specialNames = {};
    read();
    EXPECT_TRUE(prompt.questions.empty());
    const AssignmentTable& edit = assignments.editTable;
    ASSERT_EQ(edit.sourceCount, 3);
    ASSERT_EQ(edit.destinationCount, 2);
    AssignmentTable cut = table;
    cut.sources[2].name = "A name much longer t";
    cut.sources[3].name = "Ünicode ?";
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(edit.sources[i], cut.sources[i]) << i;
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(edit.destinations[i], cut.destinations[i]) << i;
    EXPECT_EQ(edit.specials, table.specials);
    EXPECT_EQ(assignments.specialNames[1], "Take");
    const MatrixSizes& sizes = assignments.sizes;
    EXPECT_EQ((std::array{sizes.videoIn, sizes.audioIn, sizes.rgbIn, sizes.ycIn}),
              (std::array{7, 3, 12, 255}));
    EXPECT_EQ((std::array{sizes.videoOut, sizes.audioOut, sizes.rgbOut, sizes.ycOut}),
              (std::array{1, 2, 0, 3}));
}

TEST_F(AssignmentFileTest, OverlongSectionsAreCutWithAWarning) {
    std::vector<std::string> lines{"SOURCES      "};
    for (int i = 1; i <= 300; ++i)
        lines.push_back(pad20("S" + std::to_string(i)) + "|   |" + std::to_string(i));
    lines.push_back(std::string(10, '-'));
    lines.push_back("DESTINATIONS ");
    for (int i = 1; i <= 257; ++i)
        lines.push_back(pad20("D" + std::to_string(i)) + "|");
    lines.push_back(std::string(10, '-'));
    lines.push_back("SPECIAL      ");
    for (int k = 1; k <= 25; ++k)
        lines.push_back(pad20("") + "|" + std::to_string(k) + "|");
    writeFile(lines);
    messages.setLanguage(kLanguageFrench);
    read();

    const AssignmentTable& edit = assignments.editTable;
    EXPECT_EQ(edit.sourceCount, 256);
    EXPECT_EQ(edit.sources[256].name, "S256");
    EXPECT_EQ(edit.sources[256].Vin, NotAssigned) << "256 would reach the matrix as 0";
    EXPECT_EQ(assignments.sizes.videoIn, 255);
    EXPECT_EQ(edit.destinationCount, 256);
    EXPECT_EQ(edit.specials[18].Ksp, 18);
    ASSERT_EQ(prompt.questions.size(), 4u);
    // The count stops where the section is cut, however long it was.
    EXPECT_EQ(prompt.questions[0].text, path + " a trop de sources ( 257)");
    EXPECT_EQ(prompt.questions[1].text, path + " a trop de destinations ( 257)");
    EXPECT_EQ(prompt.questions[2].text, path + " a trop de sources ( 25)");
    EXPECT_EQ(prompt.questions[3].text,
              "Le fichier " + path +
                  " donne des connecteurs hors de 0..255, que la matrice ne peut pas recevoir ; ils sont lus "
                  "comme non assignés ( 1)");
}

TEST_F(AssignmentFileTest, HandEditedLinesReadSoundly) {
    writeFile({"Video In = 99", "DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|",
               pad20("  Écran d'été") + "|12a|abc| -1|  4|  8| -1|  5|  1|  2|  3|  4|  5|  6|extra|columns",
               pad20("\tShort") + "|   |  1|   |   |  7", pad20("Cut") + "|  1|2",
               "---------- DESTINATIONS end", "SOURCES      ", pad20("Last") + "|   |  3"});
    assignments.editTable.specials[1].Ksp = 9;
    assignments.specialNames[1] = "kept";
    read();

    const AssignmentTable& edit = assignments.editTable;
    ASSERT_EQ(edit.destinationCount, 3);
    const auto fields = [](const Destination& d) {
        return std::vector<int>{d.Kou, d.Vou, d.Aou, d.Rou, d.YWo, d.Shw, d.ad[0], d.ad[5]};
    };
    EXPECT_EQ(edit.destinations[1].name, "Écran d'été");
    EXPECT_EQ(fields(edit.destinations[1]), (std::vector{12, 0, NotAssigned, 4, 8, -1, 1, 6}));
    EXPECT_EQ(edit.destinations[2].name, "Short")
        << "a control character reads as the blank it is written as";
    EXPECT_EQ(fields(edit.destinations[2]),
              (std::vector{NotAssigned, 1, NotAssigned, NotAssigned, 7, 0, 0, 0}));
    // Fewer than three blanks are a number, not a free field.
    EXPECT_EQ((std::array{edit.destinations[3].Vou, edit.destinations[3].Aou}), (std::array{2, 0}));

    ASSERT_EQ(edit.sourceCount, 1);
    EXPECT_EQ(edit.sources[1].Vin, 3);
    EXPECT_EQ(edit.specials[1].Ksp, NotAssigned);
    EXPECT_EQ(assignments.specialNames[1], "kept");
    const MatrixSizes& sizes = assignments.sizes;
    EXPECT_EQ((std::array{sizes.videoIn, sizes.videoOut, sizes.audioOut, sizes.ycOut}),
              (std::array{3, 2, 0, 8}));
    ASSERT_EQ(prompt.questions.size(), 1u) << "a Windows-1252 file is no UTF-8 file";
    EXPECT_TRUE(prompt.questions[0].text.ends_with("read as not assigned ( 1)")) << prompt.questions[0].text;
}

// A file that is not an assignment stays as it is: the program works on the default table and does not
// write the file unasked; only an explicit save does. (The command test reads a binary one.)
TEST_F(AssignmentFileTest, FilesThatAreNoAssignmentAreLeftAlone) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("SOURCES             |Kin|\r\nCam 1               |   |\r\n"))
        utf16 += std::string{c, '\0'};
    const std::string unreadable = folder.path("locked.agn");
    fs::create_symlink("/proc/self/mem", unreadable);
    struct Case {
        std::string what, bytes, path, message;
    };
    const Case cases[] = {
        {"UTF-16", utf16, path, "The file " + path + " is not an assignment file."},
        {"no section line", "Video In = 8\r\nCam 1               |   |  1|\r\n", path,
         "The file " + path + " is not an assignment file."},
        {"unreadable", "", unreadable, "Cannot read the file " + unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.path == path)
            writeBytes(path, c.bytes);
        prompt.questions.clear();
        assignments.editFileName = c.path;
        read();
        ASSERT_EQ(prompt.questions.size(), 1u);
        EXPECT_TRUE(prompt.questions[0].text.starts_with(c.message)) << prompt.questions[0].text;
        const AssignmentTable& edit = assignments.editTable;
        EXPECT_EQ(edit.sources[4].name, "Source 4");
        EXPECT_EQ(edit.sources[1].Vin, NotAssigned);

        assignments.ApplyEditTable();
        assignments.setAssignmentsChanged(true);
        EXPECT_FALSE(assignments.mayWriteUnasked());
        if (c.path == path) {
            EXPECT_EQ(bytes(), c.bytes);
        }
    }

    // A missing file gives the welcome table too, keeps the sizes, and leaves the protection where it was;
    // saving over the file ends it.
    assignments.sizes.videoIn = 9;
    assignments.editFileName = folder.path("other.agn");
    prompt.questions.clear();
    read();
    const AssignmentTable& edit = assignments.editTable;
    EXPECT_EQ((std::array{edit.sourceCount, edit.destinationCount}), (std::array{4, 4}));
    EXPECT_EQ(edit.destinations[4].name, "Dest 4");
    EXPECT_EQ(assignments.sizes.videoIn, 9);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, messages.text(96));
    assignments.ApplyEditTable();
    EXPECT_TRUE(assignments.mayWriteUnasked());
    assignments.editFileName = path;
    read();
    assignments.ApplyEditTable();
    ASSERT_FALSE(assignments.mayWriteUnasked());
    ASSERT_TRUE(WriteAssignmentFile(assignments, messages, prompt));
    EXPECT_TRUE(assignments.mayWriteUnasked());
    // The first file saved names the special functions as every later one will.
    EXPECT_TRUE(bytes().ends_with(pad20("Recall setup 15") + "|   |\r\n" + pad20("VCA-") + "|   |\r\n" +
                                  pad20("VCA+") + "|   |\r\n" + kSeparatorLine));
}

// A file from a UTF-8 editor is read as such, and the operator told it will be saved in Windows-1252.
TEST_F(AssignmentFileTest, Utf8FilesAreReadWithANotice) {
    writeBytes(path, "SOURCES             |Kin|Vin|\r\nCaméra été          |  3|  1|\r\n");
    read();
    EXPECT_EQ(assignments.editTable.sources[1].name, "Caméra été");
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "The file " + path +
                                            " is in UTF-8. It was read as such and will be saved in "
                                            "Windows-1252, where the characters it lacks become \"?\".");
}

// A name that reads like a separator would end its section and lose every later object of it.
TEST_F(AssignmentFileTest, NamesThatLookLikeASectionEndAreWrittenSoThatTheyReadBack) {
    const std::pair<std::string, bool> names[] = {
        {"----------", true},       {"  ------------x", true}, {"---------", false},
        {"--------- -", false},     {"Cam ----------", false}, {std::string(11, ' ') + "---------", false},
        {"----------Camera", true},
    };
    AssignmentTable& table = assignments.activeTable;
    table.sourceCount = static_cast<int>(std::size(names)) + 1;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(nameEndsSection(names[i].first), names[i].second) << names[i].first;
        table.sources[i + 1].name = names[i].first;
        table.sources[i + 1].Vin = static_cast<int>(i);
    }
    table.sources[table.sourceCount].name = "Last";
    table.destinationCount = 1;
    table.destinations[1].name = "----------";
    ASSERT_TRUE(WriteAssignmentFile(assignments, messages, prompt));
    EXPECT_NE(bytes().find("\r\n  _-----------x     |   |  1|"), std::string::npos);

    read();
    const AssignmentTable& edit = assignments.editTable;
    ASSERT_EQ(edit.sourceCount, table.sourceCount);
    EXPECT_EQ(edit.sources[1].name, "_---------");
    EXPECT_EQ(edit.sources[7].name, "_---------Camera");
    EXPECT_EQ(edit.sources[table.sourceCount].name, "Last");
    ASSERT_EQ(edit.destinationCount, 1);
    EXPECT_EQ(edit.destinations[1].name, "_---------");
}

TEST(Assignments, ApplyMakesTheEditTableActive) {
    Assignments assignments;
    int rebuilds = 0;
    assignments.rebuildSheet = [&rebuilds] { ++rebuilds; };
    assignments.activeTable.sources[3].name = "stale";
    assignments.layerUsed = {true, true, true, true};
    assignments.ClearEditTable();
    AssignmentTable& edit = assignments.editTable;
    edit.sourceCount = 2;
    edit.destinationCount = 1;
    // Connector 0 is the matrix's no-source input: it uses the layer. Records beyond the counts do not.
    edit.sources[1] = {"Cam", 4, 0, NotAssigned, NotAssigned, NotAssigned};
    edit.destinations[1] = {"Mon", 7, NotAssigned, NotAssigned, NotAssigned, 5, 0, {1, 2, 3, 4, 5, 6}};
    edit.sources[3].Ain = 1;
    edit.destinations[2].Rou = 1;
    assignments.ApplyEditTable();

    const AssignmentTable& active = assignments.activeTable;
    EXPECT_EQ(assignments.layerUsed, (std::array{true, false, false, true}));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(active.destinations[1], edit.destinations[1]);
    // The edit table's unused records select every destination; the active table's select none.
    EXPECT_EQ(edit.destinations[2].Shw, -1);
    EXPECT_EQ(active.destinations[2], Destination{});
    EXPECT_EQ(active.sources[3], Source{});
}

} // namespace
} // namespace rl4::test
