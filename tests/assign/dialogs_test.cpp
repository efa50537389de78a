// The change dialog's and the size dialog's models, and the new assignment the size dialog builds.

#include "assign/change_dialog_model.h"
#include "assign/size_dialog_model.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>
#include <optional>

namespace rl4::test {
namespace {

constexpr int N = NotAssigned;

// Sources 1 "Camera 1" (video 1, touch 5), 2 "Camera 2" (video 3), 3 "Player" (video 3, audio 2),
// 4 "Mic 12"; destinations "Dest 1".."Dest 4" on outputs 1..4 of every layer, "Dest 3" on touch 12;
// special function 5 ("Recall setup 4") on touch 12 too.
class ChangeDialogTest : public testing::Test {
protected:
    ChangeDialogTest() {
        AssignmentTable& edit = assignments.editTable;
        edit.sourceCount = 4;
        edit.sources[1] = {.name = "Camera 1", .Kin = 5, .Vin = 1};
        edit.sources[2] = {.name = "Camera 2", .Vin = 3};
        edit.sources[3] = {.name = "Player", .Vin = 3, .Ain = 2};
        edit.sources[4] = {.name = "Mic 12"};
        edit.destinationCount = 4;
        for (int d = 1; d <= 4; ++d)
            edit.destinations[static_cast<std::size_t>(d)] = {
                .name = "Dest " + std::to_string(d), .Vou = d, .Aou = d, .Rou = d, .YWo = d, .Shw = -1};
        edit.destinations[3].Kou = 12;
        edit.specials[5].Ksp = 12;
        fixture = edit;
    }

    ChangeDialogModel& open(int view, int row) {
        dialog.emplace(assignments, messages, prompt, view, row,
                       [this](bool accepted) { closedWith = accepted; });
        return *dialog;
    }
    const AssignmentTable& edit() const { return assignments.editTable; }

    Assignments assignments;
    AssignmentTable fixture;
    MessageTable messages;
    ScriptedPrompt prompt;
    std::optional<ChangeDialogModel> dialog;
    std::optional<bool> closedWith;
};

// A field of the edit table named as "s3v": s(ource), d(estination) or special (p), record, then v(ideo),
// a(udio), r(gb), y(c) or k(ey).
int field(const AssignmentTable& t, const std::string& name) {
    const auto i = static_cast<std::size_t>(std::stoi(name.substr(1)));
    const char f = name.back();
    if (name[0] == 'p')
        return t.specials[i].Ksp;
    if (name[0] == 's') {
        const Source& s = t.sources[i];
        return f == 'v' ? s.Vin : f == 'a' ? s.Ain : f == 'r' ? s.Rin : f == 'y' ? s.YWi : s.Kin;
    }
    const Destination& d = t.destinations[i];
    return f == 'v' ? d.Vou : f == 'a' ? d.Aou : f == 'r' ? d.Rou : f == 'y' ? d.YWo : d.Kou;
}

// Who is asked about a connector or touch another object holds, and what each answer leaves after OK.
TEST_F(ChangeDialogTest, ConnectorsAndTouchesHeldElsewhereAreGivenUpOnlyWhenTheOperatorSays) {
    struct Case {
        const char* what;
        int view, row;
        void (ChangeDialogModel::*pick)(int); // a layer's list or a touch button
        int value, answer;
        std::string holder, kind, title; // no holder: nothing asked
        std::vector<std::string> fields;
        std::vector<int> after;
    };
    using D = ChangeDialogModel;
    const auto video = &D::cbvideoagn_Click, audio = &D::cbaudioagn_Click, rgb = &D::cbrgbagn_Click;
    const auto yc = &D::cbycagn_Click, touch = &D::key_Click;
    // clang-format off
    const Case cases[] = {
        {"two sources hold it: Yes takes it from the first only", kSourcesView, 1, video, 3, kAnswerYes,
         "Camera 2", "input video", "Input video connector N°3", {"s1v", "s2v", "s3v"}, {3, N, 3}},
        {"No shares the input after a caution", kSourcesView, 4, audio, 2, kAnswerNo,
         "Player", "input audio", "Input audio connector N°2", {"s4a", "s3a"}, {2, 2}},
        {"Cancel shares it without one", kSourcesView, 4, video, 1, kAnswerCancel,
         "Camera 1", "input video", "Input video connector N°1", {"s4v", "s1v"}, {1, 1}},
        {"a connector nobody holds", kSourcesView, 4, audio, 0, kAnswerYes, "", "", "", {"s4a"}, {0}},
        {"a destination's own output", kDestinationsView, 1, rgb, 1, kAnswerOk, "", "", "", {"d1r"}, {1}},
        {"outputs stay unique after Ok", kDestinationsView, 1, rgb, 2, kAnswerOk,
         "Dest 2", "output RGB", "Output RGB connector N°2", {"d1r", "d2r"}, {2, N}},
        {"unless the operator cancels", kDestinationsView, 1, yc, 4, kAnswerCancel,
         "Dest 4", "output Y/C", "Output Y/C connector N°4", {"d1y", "d4y"}, {4, 4}},
        {"a destination and a special function: the destination is asked about", kSourcesView, 1, touch, 12,
         kAnswerOk, "Dest 3", "", "Keyboard touch N°12", {"s1k", "d3k", "p5k"}, {12, N, 12}},
        {"a special function's own kind holds nothing against it", kSpecialsView, 5, touch, 12, kAnswerOk,
         "Dest 3", "", "Keyboard touch N°12", {"p5k", "d3k"}, {12, N}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        assignments.editTable = fixture;
        prompt.questions.clear();
        ChangeDialogModel& d = open(c.view, c.row);
        if (!c.holder.empty())
            prompt.answer(c.answer);
        (d.*c.pick)(c.value);
        std::vector<std::string> asked;
        for (const AskedQuestion& question : prompt.questions)
            asked.push_back(question.title + ": " + question.text);
        std::vector<std::string> expected;
        const std::string& h = c.holder;
        if (!h.empty() && c.pick == touch)
            expected.push_back(c.title + ": This touch is already used by  " + h +
                               " .  Do you want to remove  " + h + "  of the keyboard?");
        else if (!h.empty())
            expected.push_back(c.title + ": This " + c.kind + " connector is already used by  " + h +
                               " .  Do you want to remove  " + h + "  from this connector?");
        if (c.answer == kAnswerNo)
            expected.push_back("Caution: NOTA: Mic 12  and  Player  are plugged on the same input connector");
        EXPECT_EQ(asked, expected);
        if (!h.empty()) {
            EXPECT_EQ(prompt.questions[0].buttons, c.view == kSourcesView && c.pick != touch
                                                       ? PromptButtons::YesNoCancel
                                                       : PromptButtons::OkCancel);
        }
        d.validchangeagn_Click();
        std::vector<int> after;
        for (const std::string& name : c.fields)
            after.push_back(field(edit(), name));
        EXPECT_EQ(after, c.after);
    }
}

// What the operator took shows in the lists at once but reaches the edit table only with OK.
TEST_F(ChangeDialogTest, NothingReachesTheEditTableBeforeOk) {
    ChangeDialogModel& d = open(kSourcesView, 1);
    prompt.answer(kAnswerYes);
    d.cbvideoagn_Click(3);
    EXPECT_EQ(d.cbvideoagn.text, "  3");
    EXPECT_EQ(d.cbvideoagn.entries[3], "  3" + std::string(10, ' ') + "used by Player");
    prompt.answer(kAnswerOk);
    d.key_Click(12);
    EXPECT_EQ(d.cbkeyagn.text, " 12");
    EXPECT_EQ(edit().sources[2].Vin, 3);
    d.cancelchangeagn_Click();
    EXPECT_EQ(closedWith, false);
    EXPECT_EQ(edit().destinations[3].Kou, 12) << "Cancel gives the touch back";
    EXPECT_EQ(edit().sources[1].Kin, 5);
}

// A mask holds seven sources; the list stops at the 42 that six masks hold.
TEST_F(ChangeDialogTest, AdmittanceMasksFromAndToTheCheckList) {
    AssignmentTable& table = assignments.editTable;
    table.sourceCount = 50;
    table.destinations[3].ad = {85, 127, 127, 127, 127, 127};
    ChangeDialogModel& d = open(kDestinationsView, 3);
    ASSERT_EQ(d.lvinputadmittance.size(), 42u);
    EXPECT_EQ((std::array{d.lvinputadmittance[0].checked, d.lvinputadmittance[1].checked}),
              (std::array{true, false}))
        << "85 is 1010101";
    d.lvinputadmittance[41].checked = false;
    d.lvinputadmittance[1].checked = true;
    d.lvinputadmittance[2].checked = false;
    d.validchangeagn_Click();
    EXPECT_EQ(edit().destinations[3].ad, (std::array<int, 6>{101, 127, 127, 127, 127, 126}));
}

TEST_F(ChangeDialogTest, TypedValuesAreTakenAsTheyStandWithEnterAsOk) {
    ChangeDialogModel& d = open(kSourcesView, 2);
    d.cbnomagn.text = "  Camera 22";
    d.cbvideoagn.text = "   ";
    d.cbaudioagn.text = "abc";
    d.cbrgbagn.text = "12345";
    d.cbkeyagn.text = "";
    d.boxKeyPress('a');
    EXPECT_FALSE(closedWith);
    d.boxKeyPress(13);
    EXPECT_EQ(closedWith, true);
    EXPECT_EQ(edit().sources[2], (Source{"  Camera 22", N, N, 0, 123, N}));

    ChangeDialogModel& special = open(kSpecialsView, 18);
    special.cbnomagn.text = "Renamed";
    special.cbkeyagn.text = " 40";
    special.cbvideoagn_Click(0);
    special.key_Click(65);
    special.key_Click(0);
    special.cbkeyagn_Click(64);
    special.validchangeagn_Click();
    EXPECT_EQ(edit().specials[18].Ksp, 40);
    EXPECT_TRUE(prompt.questions.empty());
    for (auto [view, row] :
         {std::pair{kSourcesView, 5}, {kDestinationsView, 0}, {kSpecialsView, 19}, {4, 1}}) {
        ChangeDialogModel& refused = open(view, row);
        EXPECT_FALSE(refused.isOpen()) << view << " " << row;
        refused.validchangeagn_Click();
    }
    EXPECT_EQ(edit().sources[4], (Source{"Mic 12", N, N, N, N, N}));
}

// In the file such a name would end the list, losing every later object: it is refused, and the dialog
// stays open for the operator to correct it.
TEST_F(ChangeDialogTest, ANameThatReadsAsASectionEndIsRefused) {
    for (int view : {kSourcesView, kDestinationsView}) {
        ChangeDialogModel& d = open(view, 2);
        d.cbnomagn.text = "  ----------";
        d.boxKeyPress(13);
        EXPECT_TRUE(d.isOpen());
        d.cbnomagn.text = "--------- 2";
        d.validchangeagn_Click();
        EXPECT_FALSE(d.isOpen());
    }
    EXPECT_EQ(edit().sources[2].name, "--------- 2");
    EXPECT_EQ(edit().destinations[2].name, "--------- 2");
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[1].text, "A name cannot start with ten hyphens (----------): in the "
                                        "assignment file such a line ends the list.");
    EXPECT_EQ(prompt.questions[1].title, "Changing a Destination assignment");
}

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

Destination destination(const std::string& name, std::array<int, 4> o) {
    return {.name = name, .Vou = o[0], .Aou = o[1], .Rou = o[2], .YWo = o[3], .Shw = -1};
}

TEST(NewAssignmentTest, GlobalNamingAddsTheExtrasAndSeparateNamingInterleavesTheLayers) {
    Built built = build({.sizes = {.videoIn = 3, .videoOut = 1, .audioIn = 2}});
    EXPECT_EQ(built.sources, (std::vector<Source>{{"Source 1", N, 1, 1, N, N},
                                                  {"Source 2", N, 2, 2, N, N},
                                                  {"Source 3", N, 3, N, N, N},
                                                  {"Disconnect", N, 0, 0, N, N}}));
    EXPECT_EQ(built.destinations, (std::vector<Destination>{destination("Dest 1", {1, N, N, N}),
                                                            destination("All Dest", {0, N, N, N})}));

    built = build({.sizes = {.videoIn = 2, .audioIn = 2, .ycOut = 1}, .naming = NamingMode::Separate});
    EXPECT_EQ(built.sources, (std::vector<Source>{{"Video in 1", N, 1, N, N, N},
                                                  {"Audio in 1", N, N, 1, N, N},
                                                  {"Video in 2", N, 2, N, N, N},
                                                  {"Audio in 2", N, N, 2, N, N}}));
    EXPECT_EQ(built.destinations, (std::vector<Destination>{destination("YC-YUV out 1", {N, N, N, 1})}));
}

// A frame carries connectors up to 255: numbered from 1 a layer stops there, numbered from 0 it holds 256.
TEST(NewAssignmentTest, ConnectorsStopAt255AndObjectsOnConnector0AreNoted) {
    struct Case {
        bool fromOne, extras; // extras: Disconnect and All Dest
        int size;             // video inputs and outputs alike
        std::size_t objects;
        Source lastSource;
        bool cut, zeroShared;
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

    const Built separate = build({.sizes = {.videoIn = 200, .audioIn = 200}, .naming = NamingMode::Separate});
    EXPECT_EQ(separate.sources.size(), 256u);
    EXPECT_EQ(separate.sources.back(), (Source{"Audio in 128", N, N, 128, N, N}));
}

TEST(NewAssignmentTest, DestinationTouchesStartOnTheNextKeyboardRow) {
    const auto built =
        build({.sizes = {.videoIn = 10, .videoOut = 3}, .numberFromOne = false, .giveTouches = true});
    EXPECT_EQ(built.sources[9].Kin, 9) << "touches count from 0 too";
    EXPECT_EQ(built.destinations[0].Kou, 16);

    const std::tuple<int, bool, int> cases[] = {{0, true, 1},   {8, true, 9},   {33, true, 49},
                                                {64, true, 65}, {65, true, 66}, {-1, false, 0},
                                                {8, false, 16}, {63, false, 64}};
    for (const auto& [last, fromOne, first] : cases)
        EXPECT_EQ(firstDestinationTouch(last, fromOne), first) << last << (fromOne ? " from 1" : " from 0");
}

// Names that would end a section of the file are refused before anything changes; what the matrix cannot
// take or tell apart is told once the table is built.
TEST(SizeDialogTest, RefusesPrefixesThatEndASectionAndTellsWhatItCut) {
    struct Case {
        std::string globalPrefix, videoPrefix; // separate naming when the second is not empty
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
        ScriptedPrompt prompt;
        SizeDialogModel dialog(assignments, messages, prompt, "/data", nullptr);
        dialog.edsizeinglobal = c.globalPrefix;
        dialog.edsizeinvradix = c.videoPrefix;
        if (!c.videoPrefix.empty())
            dialog.optradixseparate_Click();
        dialog.chkorigin = c.fromOne;
        dialog.edsizeinvideonumber = c.videoIn;
        dialog.edsizeoutvideonumber = "1";
        dialog.cmdsizecreate_Click();

        const std::vector<std::string> told = prompt.texts();
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
} // namespace rl4::test
