#include "assign/size_dialog_model.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>
#include <optional>

namespace rl4 {
namespace {

constexpr int N = NotAssigned;

struct Built {
    std::vector<Source> sources;
    std::vector<Destination> destinations;
    NewAssignmentNotes notes;
};

// Builds into a table as the editor leaves it when the size dialog opens: cleared, counts untouched.
Built build(const NewAssignmentRequest& request) {
    Assignments assignments;
    assignments.ClearEditTable();
    AssignmentTable& table = assignments.editTable;
    Built built;
    built.notes = buildNewAssignment(request, table);
    built.sources.assign(table.sources.begin() + 1, table.sources.begin() + 1 + table.sourceCount);
    built.destinations.assign(table.destinations.begin() + 1,
                              table.destinations.begin() + 1 + table.destinationCount);
    return built;
}

Destination destination(const std::string& name, std::array<int, 4> outputs, int touch = N) {
    Destination d{.name = name,
                  .Kou = touch,
                  .Vou = outputs[0],
                  .Aou = outputs[1],
                  .Rou = outputs[2],
                  .YWo = outputs[3]};
    d.Shw = -1;
    return d;
}

TEST(NewAssignmentTest, GlobalNamingAddsTheExtrasAndSeparateNamingInterleavesTheLayers) {
    NewAssignmentRequest request;
    request.sizes = {.videoIn = 3, .videoOut = 1, .audioIn = 2};
    Built built = build(request);
    EXPECT_EQ(built.sources, (std::vector<Source>{{"Source 1", N, 1, 1, N, N},
                                                  {"Source 2", N, 2, 2, N, N},
                                                  {"Source 3", N, 3, N, N, N},
                                                  {"Disconnect", N, 0, 0, N, N}}));
    EXPECT_EQ(built.destinations, (std::vector<Destination>{destination("Dest 1", {1, N, N, N}),
                                                            destination("All Dest", {0, N, N, N})}));

    request.naming = NamingMode::Separate;
    request.sizes = {.videoIn = 2, .audioIn = 2, .ycOut = 1};
    built = build(request);
    EXPECT_EQ(built.sources, (std::vector<Source>{{"Video in 1", N, 1, N, N, N},
                                                  {"Audio in 1", N, N, 1, N, N},
                                                  {"Video in 2", N, 2, N, N, N},
                                                  {"Audio in 2", N, N, 2, N, N}}));
    EXPECT_EQ(built.destinations, (std::vector<Destination>{destination("YC-YUV out 1", {N, N, N, 1})}));
}

// A frame carries connectors up to 255: numbered from 1 a layer stops there, numbered from 0 it holds 256.
TEST(NewAssignmentTest, ConnectorsStopAt255AndObjectsOnConnector0AreNoted) {
    struct Case {
        bool fromOne;
        bool extras; // Disconnect and All Dest
        int size;    // video inputs and outputs alike
        std::size_t objects;
        Source lastSource;
        bool cut;
        bool zeroShared;
    };
    const Case cases[] = {
        {true, true, 300, 256, {"Disconnect", N, 0, N, N, N}, true, false},
        {true, true, 256, 256, {"Disconnect", N, 0, N, N, N}, true, false},
        {true, false, 255, 255, {"Source 255", N, 255, N, N, N}, false, false},
        {false, true, 256, 256, {"Source 255", N, 255, N, N, N}, false, false},
        {false, false, 257, 256, {"Source 255", N, 255, N, N, N}, true, false},
        {false, true, 4, 5, {"Disconnect", N, 0, N, N, N}, false, true},
        {false, false, 4, 4, {"Source 3", N, 3, N, N, N}, false, false},
        {false, true, 0, 1, {"Disconnect", N, N, N, N, N}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.fromOne ? " from 1" : " from 0") +
                     (c.extras ? " extras" : ""));
        NewAssignmentRequest request;
        request.numberFromOne = c.fromOne;
        request.addDisconnect = request.addAllDest = c.extras;
        request.sizes = {.videoIn = c.size, .videoOut = c.size};
        const Built built = build(request);
        ASSERT_EQ(built.sources.size(), c.objects);
        EXPECT_EQ(built.sources.back(), c.lastSource);
        EXPECT_EQ(built.destinations.size(), c.size == 0 ? 1u : c.objects);
        EXPECT_EQ(built.notes.sizesCut, c.cut);
        EXPECT_EQ(built.notes.sizes.videoIn, std::min(c.size, c.fromOne ? 255 : 256));
        EXPECT_EQ(built.notes.sizes.videoOut, built.notes.sizes.videoIn);
        EXPECT_EQ(built.notes.connectorZeroShared, c.zeroShared);
    }

    NewAssignmentRequest request;
    request.naming = NamingMode::Separate;
    request.sizes = {.videoIn = 200, .audioIn = 200};
    const Built separate = build(request);
    EXPECT_EQ(separate.sources.size(), 256u);
    EXPECT_EQ(separate.sources.back(), (Source{"Audio in 128", N, N, 128, N, N}));
}

TEST(NewAssignmentTest, DestinationTouchesStartOnTheNextKeyboardRow) {
    NewAssignmentRequest request;
    request.giveTouches = true;
    request.numberFromOne = false;
    request.sizes = {.videoIn = 10, .videoOut = 3};
    const Built built = build(request);
    EXPECT_EQ(built.sources[9].Kin, 9) << "touches count from 0 too";
    EXPECT_EQ(built.destinations[0].Kou, 16);

    struct Case {
        int last;
        bool fromOne;
        int first;
    };
    const Case cases[] = {{0, true, 1},   {8, true, 9},   {33, true, 49}, {64, true, 65},
                          {65, true, 66}, {-1, false, 0}, {8, false, 16}, {63, false, 64}};
    for (const Case& c : cases)
        EXPECT_EQ(firstDestinationTouch(c.last, c.fromOne), c.first)
            << c.last << (c.fromOne ? " from 1" : " from 0");
}

// Names that would end a section of the file are refused before anything changes; what the matrix cannot
// take or tell apart is told once the table is built.
TEST(SizeDialogTest, RefusesPrefixesThatEndASectionAndTellsWhatItCut) {
    struct Case {
        std::string globalPrefix;
        std::string videoPrefix; // separate naming when not empty
        bool fromOne;
        std::string videoIn;
        std::vector<int> messages;
    };
    const Case cases[] = {
        {"----------", "", true, "2", {kMessageNameEndsSection}},
        {"  ----------Cam", "", true, "2", {kMessageNameEndsSection}},
        {"---------", "", true, " 2 inputs", {}}, // a leading number counts
        {"----------", "Video in", true, "2", {}},
        {"Source", "----------", true, "2", {kMessageNameEndsSection}},
        {"Source", "----------", true, "0", {}},
        {"Source", "", true, "256", {kMessageConnectorsCut}},
        {"Source", "", false, "4", {kMessageConnectorZeroShared}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.globalPrefix + " / " + c.videoPrefix + " / " + c.videoIn);
        Assignments assignments;
        assignments.ClearEditTable();
        MessageTable messages;
        messages.setLanguage(kLanguageFrench);
        test::ScriptedPrompt prompt;
        SizeDialogModel dialog(assignments, messages, prompt, "/data", nullptr);
        dialog.edsizeinglobal = c.globalPrefix;
        dialog.edsizeinvradix = c.videoPrefix;
        if (!c.videoPrefix.empty())
            dialog.optradixseparate_Click();
        dialog.chkorigin = c.fromOne;
        dialog.edsizeinvideonumber = c.videoIn;
        dialog.edsizeoutvideonumber = "1";
        dialog.cmdsizecreate_Click();

        std::vector<std::string> told;
        for (const test::AskedQuestion& question : prompt.questions)
            told.push_back(question.text);
        std::vector<std::string> expected;
        for (int message : c.messages)
            expected.push_back(messages.text(message));
        EXPECT_EQ(told, expected);
        const bool refused = c.messages == std::vector<int>{kMessageNameEndsSection};
        EXPECT_EQ(dialog.isOpen(), refused);
        EXPECT_EQ(assignments.assignmentsChanged(), !refused);
        EXPECT_EQ(assignments.editFileName, refused ? "" : "/data/newassign.agn");
    }
}

} // namespace
} // namespace rl4
