// The ranking screen's rules: score digits, glyph ids, the entry cursor, name
// editing and where a run's score enters a list.
#include <gtest/gtest.h>

#include <string>

#include "FrontendTestSupport.h"
#include "game/app/GameManager.h"
#include "game/frontend/SceneScore.h"
#include "game/state/Environment2.h"

using frontend_test::Held;

TEST(ScoreRows, ScoresAreRightAlignedWithASingleZeroForNone) {
    std::string ids[SceneScore::kScoreDigits];
    SceneScore::ScoreDigitIds(0, ids);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(ids[k], "scr_space") << k;
    EXPECT_EQ(ids[15], "scr_0");

    SceneScore::ScoreDigitIds(1234, ids);
    for (int k = 0; k < 12; ++k) EXPECT_EQ(ids[k], "scr_space") << k;
    EXPECT_EQ(ids[12] + ids[13] + ids[14] + ids[15], "scr_1scr_2scr_3scr_4");

    SceneScore::ScoreDigitIds(3000000000LL, ids);
    EXPECT_EQ(ids[6], "scr_3");
    EXPECT_EQ(ids[15], "scr_0");
}

TEST(ScoreRows, GlyphIdsFollowTheGridAndShowOthersAsEmpty) {
    EXPECT_EQ(SceneScore::GlyphId(0), "scr_ch 0 0");
    EXPECT_EQ(SceneScore::GlyphId(515), "scr_ch 515");
    EXPECT_EQ(SceneScore::GlyphId(712), "scr_ch 712");
    for (CharacterCode bad : {-1, -100, 816, 9999, 16})
        EXPECT_EQ(SceneScore::GlyphId(bad), "scr_ch 515") << bad;
}

TEST(ScoreEntryCursor, WrapsAroundTheGridAndTheOkItem) {
    struct Case {
        int column, row;
        bool up, down, left, right;
        int toColumn, toRow;
    };
    const Case cases[] = {
        {15, 0, false, false, false, true, 0, 0},   // right wraps within rows 0..6
        {15, 7, false, false, false, true, -1, 7},  // ... and reaches OK from row 7
        {-1, 7, false, false, true, false, 14, 7},  // left from OK: column 14
        {-1, 7, false, false, false, true, 0, 7},
        {-1, 7, true, false, false, false, 15, 6},  // up or down from OK: column 15
        {-1, 7, false, true, false, false, 15, 0},
        {0, 0, true, false, false, false, 0, 7},
        {3, 2, true, true, true, true, 2, 1},  // up and left win
    };
    for (const Case& c : cases) {
        int column = c.column, row = c.row;
        EXPECT_TRUE(SceneScore::StepEntryCursor(&column, &row, c.up, c.down, c.left, c.right));
        EXPECT_EQ(column, c.toColumn) << c.column << "," << c.row;
        EXPECT_EQ(row, c.toRow) << c.column << "," << c.row;
    }
    int column = 4, row = 4;
    EXPECT_FALSE(SceneScore::StepEntryCursor(&column, &row, false, false, false, false));
}

namespace {
// Name editing without panels: the cursor is placed by hand.
class EntryUnderTest : public SceneScore {
public:
    void PlaceCursor(int column, int row) {
        m_column = column;
        m_cursorRow = row;
    }
};
}  // namespace

TEST(ScoreNameEntry, EightCharactersReachOkAndANinthReplacesTheLast) {
    EntryUnderTest entry;
    entry.DeleteCharacter();
    EXPECT_EQ(entry.GetNameLength(), 0);

    entry.PlaceCursor(1, 0);
    entry.EnterCharacter();
    entry.PlaceCursor(2, 3);
    entry.EnterCharacter();
    entry.EnterCharacter();
    entry.DeleteCharacter();
    EXPECT_EQ(entry.GetNameLength(), 2);
    EXPECT_EQ(entry.GetName()[2], -1);
    entry.PlaceCursor(5, 1);
    entry.EnterCharacter();
    EXPECT_EQ(entry.GetName()[2], 105) << "the next character takes the freed slot";

    for (int i = 3; i < 8; ++i) entry.EnterCharacter();
    EXPECT_EQ(entry.GetNameLength(), 8);
    EXPECT_EQ(entry.GetCursorColumn(), SceneScore::kOkColumn);
    EXPECT_EQ(entry.GetCursorRow(), 7);

    entry.PlaceCursor(9, 4);
    entry.EnterCharacter();
    EXPECT_EQ(entry.GetNameLength(), 8);
    EXPECT_EQ(entry.GetName()[7], 409);
    EXPECT_EQ(entry.GetName()[0], 1);
}

TEST(ScoreRanking, ARunEntersBelowEqualScoresAndPushesTheLastOut) {
    flow_test::FreshEnvironment state;
    Environment2& g = *g_pEnvironment2;
    g.fighter = 1, g.difficulty = 2;
    int64_t* scores = g.rankingScore[1][2][3];
    int32_t(*names)[SceneScore::kNameLength] = g.rankingName[1][2][3];
    for (int r = 0; r < SceneScore::kRankCount; ++r) scores[r] = 1000 - 10 * r;

    Held<Quorvex::ObjectManager> objects(frontend_test::NewObjectManager());
    Held<GameManager> manager(new GameManager(objects.get(), nullptr));
    struct Case {
        int64_t run;
        int rank;
    };
    // 970 ties rank 3 and enters at 4; 860 ties rank 14 and does not enter.
    const Case cases[] = {{970, 4}, {5000, 0}, {861, 14}, {860, -1}};
    for (const Case& c : cases) {
        g.runScore[1][2][3] = c.run;
        int out[GameManager::kLevelSlots];
        manager->CheckHighScore(out);
        EXPECT_EQ(out[3], c.rank) << c.run;
    }

    const CharacterCode name[SceneScore::kNameLength] = {1, 2, 3, 4, 5, 6, 7, -1};
    const int32_t lastName0 = names[13][0];
    SceneScore::InsertRankEntry(scores, names, 0, 5000, name);
    EXPECT_EQ(scores[0], 5000);
    EXPECT_EQ(scores[1], 1000);
    EXPECT_EQ(scores[14], 870) << "the old rank 14 (860) dropped out";
    EXPECT_EQ(names[0][6], 7);
    EXPECT_EQ(names[0][7], -1);
    EXPECT_EQ(names[14][0], lastName0);

    SceneScore::InsertRankEntry(scores, names, 14, 1, name);
    EXPECT_EQ(scores[14], 1);
    EXPECT_EQ(scores[13], 880);
}

TEST(ScoreView, LevelsAreKeptInsideTheTables) {
    flow_test::FreshEnvironment state;
    Environment2& g = *g_pEnvironment2;
    g.activeStage[0] = 6, g.activeStage[1] = 42, g.activeStage[2] = 0;
    EXPECT_EQ(SceneScore::MaxLevelOf(1), 6);
    EXPECT_EQ(SceneScore::MaxLevelOf(2), 6);
    EXPECT_EQ(SceneScore::MaxLevelOf(3), 1);
}
