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
    }

    ChangeDialogModel& open(int view, int row) {
        dialog.emplace(assignments, messages, prompt, view, row,
                       [this](bool accepted) { closedWith = accepted; });
        return *dialog;
    }
    const AssignmentTable& edit() const { return assignments.editTable; }

    Assignments assignments;
    MessageTable messages;
    ScriptedPrompt prompt;
    std::optional<ChangeDialogModel> dialog;
    std::optional<bool> closedWith;
};

TEST_F(ChangeDialogTest, AnInputHeldByTwoSourcesAsksAboutTheFirstOnly) {
    ChangeDialogModel& d = open(kSourcesView, 1);
    prompt.answer(kAnswerYes);
    d.cbvideoagn_Click(3);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text,
              "This input video connector is already used by  Camera 2 .  Do you want to "
              "remove  Camera 2  from this connector?");
    EXPECT_EQ(prompt.questions[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(prompt.questions[0].title, "Input video connector N°3");
    EXPECT_EQ(d.cbvideoagn.text, "  3");
    EXPECT_EQ(d.cbvideoagn.entries[3], "  3" + kGap + "used by Player");
    EXPECT_EQ(edit().sources[2].Vin, 3) << "nothing reaches the edit table before OK";

    d.validchangeagn_Click();
    EXPECT_EQ(closedWith, true);
    EXPECT_EQ(edit().sources[1].Vin, 3);
    EXPECT_EQ(edit().sources[2].Vin, NotAssigned);
    EXPECT_EQ(edit().sources[3].Vin, 3);
}

TEST_F(ChangeDialogTest, SourcesMayShareAnInputAfterACaution) {
    ChangeDialogModel& d = open(kSourcesView, 4);
    d.cbaudioagn_Click(0);
    EXPECT_TRUE(prompt.questions.empty()) << "a connector nobody holds asks nothing";

    prompt.answer(kAnswerNo);
    d.cbaudioagn_Click(2);
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[1].text, "NOTA: Mic 12  and  Player  are plugged on the same input connector");
    EXPECT_EQ(prompt.questions[1].title, "Caution");
    prompt.answer(kAnswerCancel);
    d.cbvideoagn_Click(1);
    EXPECT_EQ(prompt.questions.size(), 3u) << "Cancel adds no caution";

    d.validchangeagn_Click();
    EXPECT_EQ(edit().sources[4].Ain, 2);
    EXPECT_EQ(edit().sources[3].Ain, 2);
    EXPECT_EQ(edit().sources[4].Vin, 1);
    EXPECT_EQ(edit().sources[1].Vin, 1);

    messages.setLanguage(kLanguageFrench);
    ChangeDialogModel& french = open(kSourcesView, 4);
    prompt.answer(kAnswerCancel);
    french.cbvideoagn_Click(1);
    EXPECT_EQ(prompt.questions.back().title, "Connecteur video d'entrée N°1");
    EXPECT_EQ(prompt.questions.back().text,
              "Cette fiche d'entrée video est déjà utilisée par  Camera 1 . Voulez-vous "
              "retirer  Camera 1  de ce connecteur?");
}

TEST_F(ChangeDialogTest, DestinationOutputsStayUniqueUnlessTheOperatorCancels) {
    ChangeDialogModel& d = open(kDestinationsView, 1);
    d.cbrgbagn_Click(1);
    EXPECT_TRUE(prompt.questions.empty()) << "its own output asks nothing";

    prompt.answer(kAnswerOk);
    d.cbrgbagn_Click(2);
    EXPECT_EQ(prompt.questions[0].text,
              "This output RGB connector is already used by  Dest 2 .  Do you want to "
              "remove  Dest 2  from this connector?");
    EXPECT_EQ(prompt.questions[0].title, "Output RGB connector N°2");
    EXPECT_EQ(prompt.questions[0].buttons, PromptButtons::OkCancel);
    d.validchangeagn_Click();
    EXPECT_EQ(edit().destinations[1].Rou, 2);
    EXPECT_EQ(edit().destinations[2].Rou, NotAssigned);

    ChangeDialogModel& again = open(kDestinationsView, 1);
    prompt.answer(kAnswerCancel);
    again.cbycagn_Click(4);
    again.validchangeagn_Click();
    EXPECT_EQ(edit().destinations[1].YWo, 4);
    EXPECT_EQ(edit().destinations[4].YWo, 4);
}

TEST_F(ChangeDialogTest, ATouchHeldByADestinationAndASpecialFunctionAsksAboutTheDestination) {
    ChangeDialogModel& d = open(kSourcesView, 1);
    prompt.answer(kAnswerOk);
    d.key_Click(12);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text,
              "This touch is already used by  Dest 3 .  Do you want to remove  Dest 3  of the keyboard?");
    EXPECT_EQ(prompt.questions[0].title, "Keyboard touch N°12");
    EXPECT_EQ(d.cbkeyagn.text, " 12");
    EXPECT_EQ(d.key[11].hint, "Camera 1 (as Input)");
    EXPECT_EQ(d.key[4].colour, kTouchFree);

    d.cancelchangeagn_Click();
    EXPECT_EQ(closedWith, false);
    EXPECT_EQ(edit().destinations[3].Kou, 12) << "Cancel gives the touch back";
    EXPECT_EQ(edit().sources[1].Kin, 5);

    ChangeDialogModel& again = open(kSourcesView, 1);
    prompt.answer(kAnswerOk);
    again.cbkeyagn_Click(11);
    again.validchangeagn_Click();
    EXPECT_EQ(edit().sources[1].Kin, 12);
    EXPECT_EQ(edit().destinations[3].Kou, NotAssigned);
    EXPECT_EQ(edit().specials[5].Ksp, 12);

    // The special function's own kind is free (it holds the touch itself), so the source is asked about.
    ChangeDialogModel& special = open(kSpecialsView, 5);
    prompt.answer(kAnswerCancel);
    special.key_Click(12);
    EXPECT_EQ(prompt.questions.back().text,
              "This touch is already used by  Camera 1 .  Do you want to remove  Camera 1  of the keyboard?");
    EXPECT_EQ(special.key[11].colour, kTouchOfSource);
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
