#include "assign/change_dialog_model.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>
#include <optional>

namespace rl4::test {
namespace {

const std::string kGap(10, ' ');
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
        int value;
        int answer;
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
    EXPECT_EQ(d.cbvideoagn.entries[3], "  3" + kGap + "used by Player");
    prompt.answer(kAnswerOk);
    d.key_Click(12);
    EXPECT_EQ(d.cbkeyagn.text, " 12");
    EXPECT_EQ(edit().sources[2].Vin, 3);
    d.cancelchangeagn_Click();
    EXPECT_EQ(closedWith, false);
    EXPECT_EQ(edit().sources[2].Vin, 3);
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

} // namespace
} // namespace rl4::test
