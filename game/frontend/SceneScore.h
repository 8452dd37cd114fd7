// The ranking screen. In view mode the player picks a difficulty, a level and
// a fighter and sees that list's 15 scores and names; in name-entry mode,
// after a run that placed, the player spells a name of up to 8 characters on
// a 16 x 8 glyph grid and confirms it with OK, which enters the run into
// every list it reached and turns the screen into the view.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "game/frontend/PanelScene.h"
#include "game/frontend/PanelSprSet.h"

// A character of a name: its cell in the glyph grid, row x 100 + column; -1
// for an empty character.
typedef int32_t CharacterCode;

class SceneScore : public PanelScene {
public:
    enum Mode { kModeView = 1, kModeEntry = 2 };
    enum Row { kRowDifficulty = 1, kRowLevel = 2, kRowFighter = 3, kRowClose = 4 };
    static constexpr int kRowCount = 4;
    static constexpr int kDifficultyCount = 4;
    static constexpr int kFighterCount = 4;
    static constexpr int kMaxLevel = 6;
    static constexpr int kRankCount = 15;
    static constexpr int kNameLength = 8;
    static constexpr int kScoreDigits = 16;
    static constexpr int kGridColumns = 16;
    static constexpr int kGridRows = 8;
    // The OK item counts as this column.
    static constexpr int kOkColumn = -1;
    // The glyph shown for an empty character in the ranking lists.
    static constexpr CharacterCode kEmptyGlyph = 515;

    // The base of both panels.
    class SprSet : public PanelSprSet {
    public:
        SprSet(Quorvex::ObjectManager* objects, Quorvex::IResourceManager* resources);
        // Both panels put their origin at the client centre + (156, -256).
        void PlaceAtOrigin();
    };

    // The view: row labels, difficulties, levels, fighters, close and the 15
    // ranking rows of 8 name glyphs and 16 score digits.
    class SprSetTotal : public SprSet {
    public:
        using SprSet::SprSet;
        void Build();
        void SetRankRow(int row, const CharacterCode* name, int64_t score);

        Quorvex::RenderObjectSpr2D* rowLabel[kRowCount + 1] = {};
        Quorvex::RenderObjectSpr2D* difficulty[kDifficultyCount + 1] = {};
        Quorvex::RenderObjectSpr2D* level[kMaxLevel + 1] = {};  // [6] only once the extra level is reached
        Quorvex::RenderObjectSpr2D* fighter[kFighterCount + 1] = {};
        Quorvex::RenderObjectSpr2D* nameGlyph[kRankCount][kNameLength] = {};
        Quorvex::RenderObjectSpr2D* scoreDigit[kRankCount][kScoreDigits] = {};
    };

    // The name entry: the glyph grid, OK, the 8 name slots and the cursor.
    class SprSetInput : public SprSet {
    public:
        using SprSet::SprSet;
        void Build();
        // The cursor under the cell, or blank on OK.
        void SetCursor(int column, int row);
        void SetName(const CharacterCode* name);

        Quorvex::RenderObjectSpr2D* glyph[kGridRows * kGridColumns] = {};
        Quorvex::RenderObjectSpr2D* ok = nullptr;
        Quorvex::RenderObjectSpr2D* nameSlot[kNameLength] = {};
        Quorvex::RenderObjectSpr2D* cursor = nullptr;
    };

    // Named "stagescore"; its own object manager (one job record), no area
    // manager.
    SceneScore();
    // Deletes the panels.
    ~SceneScore() override;

    // start: a SceneRequests::StartParam whose value is the mode. -1 when the
    // render group cannot be registered, else 0.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    void OnRender() override {}
    // After a run: cleared to black first; then the panel render.
    void Render() override;

    void SetMode(int mode);
    void RefreshRanking();
    void ChangeDifficulty(bool left, bool right);
    void ChangeStage(bool left, bool right);
    void ChangeFighter(bool left, bool right);
    void CheckClose(bool enter);
    void UpdateInputCursor();
    void EnterCharacter();
    void DeleteCharacter();
    void CommitRankEntry();

    // The cut-out id of a character's glyph ("scr_ch" + row and column, each
    // right-aligned in two places); codes outside the grid give the empty
    // glyph.
    static std::string GlyphId(CharacterCode code);
    // The 16 digit ids of a ranking score, rightmost last.
    static void ScoreDigitIds(int64_t score, std::string ids[kScoreDigits]);
    // One step of the entry cursor; answers false when nothing moved.
    static bool StepEntryCursor(int* column, int* row, bool up, bool down, bool left, bool right);
    // Puts {score, name} at `rank` of one list, the entries from there down
    // moving one rank lower and the last one dropping out.
    static void InsertRankEntry(int64_t* scores, int32_t (*names)[kNameLength], int rank, int64_t score,
                                const CharacterCode* name);
    // The unlocked level of a difficulty, kept within 1..6.
    static int MaxLevelOf(int difficulty);

    int GetMode() const { return m_mode; }
    int GetRow() const { return m_row; }
    int GetDifficulty() const { return m_difficulty; }
    int GetLevel() const { return m_level; }
    int GetFighter() const { return m_fighter; }
    int GetCursorColumn() const { return m_column; }
    int GetCursorRow() const { return m_cursorRow; }
    int GetNameLength() const { return m_nameLength; }
    const CharacterCode* GetName() const { return m_entryName; }

    // Registers the panel's picture cut-outs with the object manager's
    // resource manager.
    static void RegisterCells(Quorvex::ObjectManager* objects);

protected:
    void UpdateView();
    void UpdateEntry();
    void SetLevelCursor(int level);

    float m_time = 0.0f;
    int m_mode = 0;
    bool m_startedForEntry = false;
    std::unique_ptr<SprSetTotal> m_pView;
    std::unique_ptr<SprSetInput> m_pEntry;
    int m_row = kRowDifficulty;
    int m_difficulty = 2;
    int m_level = 1;
    int m_fighter = 1;
    int m_maxLevel = 1;
    Quorvex::RenderObjectSpr2D* m_pHighlighted = nullptr;  // a sprite of the entry panel
    int m_column = 0;
    int m_cursorRow = 0;
    int m_nameLength = 0;
    CharacterCode m_entryName[kNameLength] = {-1, -1, -1, -1, -1, -1, -1, -1};
};
