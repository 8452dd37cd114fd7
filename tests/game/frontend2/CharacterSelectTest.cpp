// The character select's choices: availability, the pages' cursors and what
// the commit writes and asks for.
#include <gtest/gtest.h>

#include "SceneFlowFixture.h"
#include "game/frontend/SceneCharacterSelect.h"

using frontend2_test::kFrame;

namespace {

using Commands = SceneCharacterSelect::Commands;

// The scene without its set: no models, windows or camera, only the paths
// and the choice logic.
class SelectUnderTest : public SceneCharacterSelect {
public:
    SelectUnderTest() { BuildPaths(); }
};

class CharacterSelectTest : public frontend2_test::SceneFlowTest {
protected:
    void SetUp() override {
        SceneFlowTest::SetUp();
        select = new SelectUnderTest();
        select->AddRef();
    }
    void TearDown() override {
        select->Release();
        SceneFlowTest::TearDown();
    }

    void Frames(int count, Commands commands = {}) {
        for (int i = 0; i < count; ++i) select->Step(commands, kFrame);
    }
    // A press in one frame and the release in the next.
    void Press(Commands commands) {
        Frames(1, commands);
        Frames(1);
    }
    void PressUp() { Press(Commands{true, false, false, false}); }
    void PressDown() { Press(Commands{false, true, false, false}); }
    void PressNext() { Press(Commands{false, false, true, false}); }
    void PressBack() { Press(Commands{false, false, false, true}); }
    // Frames until the camera settles on a page (at most ten seconds).
    void WaitForState(int state) {
        for (int i = 0; i < 600 && select->GetCameraState() != state; ++i) Frames(1);
        ASSERT_EQ(select->GetCameraState(), state);
    }

    SelectUnderTest* select = nullptr;
};

struct Fighters {
    int velrinA, velrinB, toska, bramel;
};

struct ChoiceCase {
    const char* name;
    Fighters fighters;
    int characterDowns;
    int equipmentDowns;
    int outputSteps;  // negative: up presses
    int fighter;
    int difficulty;
    float attackLevel;
};

const ChoiceCase kChoices[] = {
    // Only the first set is unlocked (the default): every push stays put.
    {"DefaultStaysOnTheFirstFighter", {1, 0, 0, 0}, 1, 1, 0, 1, 2, 0.45f},
    {"HeavySet", {1, 1, 0, 0}, 0, 1, 1, 2, 3, 0.7f},
    {"SecondCharacterEitherSet", {1, 0, 1, 0}, 1, 1, 2, 3, 4, 1.0f},
    {"ThirdCharacter", {1, 1, 1, 1}, 2, 0, -1, 4, 1, 0.0f},
    // A locked character is stepped over.
    {"LockedCharacterIsSkipped", {1, 0, 0, 1}, 1, 0, 3, 4, 1, 0.0f},
};

}  // namespace

TEST_F(CharacterSelectTest, CommitWritesTheChosenFighterDifficultyAndAttackLevel) {
    for (const ChoiceCase& c : kChoices) {
        SCOPED_TRACE(c.name);
        select->Release();
        select = new SelectUnderTest();
        select->AddRef();
        state->active_velrin_a = c.fighters.velrinA;
        state->active_velrin_b = c.fighters.velrinB;
        state->active_toska = c.fighters.toska;
        state->active_bramel = c.fighters.bramel;
        state->singleStage = 1;
        state->damageFactor = 1.5f;
        state->bossTimeLimit = 30.0f;

        WaitForState(SceneCharacterSelect::kCameraCharacter);
        for (int i = 0; i < c.characterDowns; ++i) PressDown();
        PressNext();
        WaitForState(SceneCharacterSelect::kCameraEquipment);
        for (int i = 0; i < c.equipmentDowns; ++i) PressDown();
        PressNext();
        WaitForState(SceneCharacterSelect::kCameraOutput);
        for (int i = 0; i < c.outputSteps; ++i) PressDown();
        for (int i = 0; i < -c.outputSteps; ++i) PressUp();
        PressNext();

        EXPECT_EQ(state->fighter, c.fighter);
        EXPECT_EQ(state->difficulty, c.difficulty);
        EXPECT_FLOAT_EQ(state->attackLevel, c.attackLevel);
        EXPECT_EQ(state->singleStage, 0);
        EXPECT_EQ(state->damageFactor, 1.0f);
        EXPECT_EQ(state->bossTimeLimit, -1.0f);
    }
}

TEST_F(CharacterSelectTest, PlayModeChoosesTheFirstOrTheExtraStage) {
    for (int mode : {1, 2, 0}) {
        SCOPED_TRACE(mode);
        state->playMode = mode;
        state->level = 3;
        select->Commit();
        RunRequests();
        // The stage start writes the level of the stage it starts.
        EXPECT_EQ(state->level, mode == 2 ? 6 : 1);
    }
}

TEST_F(CharacterSelectTest, ALockedFighterCannotBeConfirmedThroughAnEarlierEquipmentChoice) {
    state->active_velrin_b = 0;
    state->active_toska = 1;
    WaitForState(SceneCharacterSelect::kCameraCharacter);
    PressDown();  // the second character
    PressNext();
    WaitForState(SceneCharacterSelect::kCameraEquipment);
    PressDown();  // its second set
    EXPECT_EQ(select->GetEquipmentCursor(), 2);
    PressBack();
    WaitForState(SceneCharacterSelect::kCameraCharacter);
    PressUp();  // back to the first character, whose second set is locked
    PressNext();
    EXPECT_EQ(select->GetEquipmentCursor(), 1);
    WaitForState(SceneCharacterSelect::kCameraEquipment);
    PressNext();
    WaitForState(SceneCharacterSelect::kCameraOutput);
    PressNext();
    EXPECT_EQ(state->fighter, 1);
}

TEST_F(CharacterSelectTest, NoAvailableChoiceLeavesTheCursorsWhereTheyAre) {
    state->active_velrin_a = 0;
    WaitForState(SceneCharacterSelect::kCameraCharacter);
    PressDown();
    PressUp();
    EXPECT_EQ(select->GetCharacterCursor(), 1);
}

TEST_F(CharacterSelectTest, InputBetweenPagesAndAHeldDirectionCountOnce) {
    WaitForState(SceneCharacterSelect::kCameraCharacter);
    PressBack();
    EXPECT_EQ(select->GetCameraState(), SceneCharacterSelect::kCameraCharacter) << "no way back from the first page";

    // The second press comes while the camera flies and is ignored.
    PressNext();
    PressNext();
    EXPECT_EQ(select->GetCameraState(), SceneCharacterSelect::kCameraToEquipment);
    WaitForState(SceneCharacterSelect::kCameraEquipment);
    PressNext();
    WaitForState(SceneCharacterSelect::kCameraOutput);

    // A stick held up moves the output once, until it is let go.
    Frames(30, Commands{true, false, false, false});
    EXPECT_EQ(select->GetOutputCursor(), 1);
    Frames(1);
    Frames(1, Commands{true, false, false, false});
    EXPECT_EQ(select->GetOutputCursor(), 4) << "up from the first output wraps to the last";
}

TEST_F(CharacterSelectTest, OutputValues) {
    const float throttle[] = {0.2f, 0.46666668f, 0.73333335f, 1.0f};
    const float shake[] = {0.0f, 0.0f, 0.5f, 1.0f};
    const float attack[] = {0.0f, 0.45f, 0.7f, 1.0f};
    for (int output = 1; output <= 4; ++output) {
        EXPECT_NEAR(SceneCharacterSelect::ThrottleFor(output), throttle[output - 1], 1e-6f);
        EXPECT_EQ(SceneCharacterSelect::ShakeFor(output), shake[output - 1]);
        EXPECT_EQ(SceneCharacterSelect::AttackLevelFor(output), attack[output - 1]);
    }
}
