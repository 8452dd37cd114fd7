// The settings panel opened from the title menu beside the title scene: music
// and sound-effect volume, the pad buttons of four game commands and the
// reversed vertical axis. Leaving it saves the settings and hands the title
// menu back.
#pragma once
#include <memory>

#include "game/frontend/PanelScene.h"
#include "game/frontend/PanelSprSet.h"

class SceneOption : public PanelScene {
public:
    // Rows of the panel, top to bottom.
    enum Row {
        kRowMusic = 1,
        kRowSoundEffect = 2,
        kRowShot = 3,
        kRowMissile = 4,
        kRowAccel = 5,
        kRowBrake = 6,
        kRowReverseAxis = 7,
        kRowReturn = 8,
    };
    static constexpr int kRowCount = 8;
    // Pad inputs that the capture looks at: the first pad's buttons.
    static constexpr int kFirstCapturedInput = 4;
    static constexpr int kLastCapturedInput = 29;

    // The panel's sprites with a named slot for each one the scene changes.
    class SprSet : public PanelSprSet {
    public:
        SprSet(Quorvex::ObjectManager* objects, Quorvex::IResourceManager* resources);
        // Creates the panel's sprites in their order and places them.
        void Build();

        Quorvex::RenderObjectSpr2D* rowLabel[kRowCount + 1] = {};  // by row; [0] unused
        Quorvex::RenderObjectSpr2D* musicDigit[3] = {};
        Quorvex::RenderObjectSpr2D* effectDigit[3] = {};
        Quorvex::RenderObjectSpr2D* buttonDigit[4][2] = {};  // rows 3 to 6
        Quorvex::RenderObjectSpr2D* reverseAxisValue = nullptr;
    };

    // Named "option"; its own object manager (one job record), no area
    // manager.
    SceneOption();
    // Releases the panel.
    ~SceneOption() override;

    // start: a SceneRequests::StartParam. Registers "Spr2DOption" (-1 when that
    // fails), the picture cut-outs and the panel, binds the commands: 0.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    void OnRender() override {}

    // One step of 0.05 up or down (none when both), kept in 0..1 and on whole
    // hundredths.
    static float AdjustVolume(float value, bool up, bool down);
    // The row after "opUp" (wins) or "opDown", wrapping over 1..8.
    static int StepRow(int row, bool up, bool down);
    // Binds `heldInput` (a pad input, -1 for none) to the command in place of
    // its current pad button; nothing when none is held or it is already the
    // bound one. Answers whether the binding changed.
    static bool CapturePadButton(Quorvex::InputManager* input, const char* command, int heldInput);
    // The highest pad input 4..29 of the first pad held now, -1 when none is
    // held or no pad is attached.
    static int FindHeldPadInput(const Quorvex::InputManager* input);
    // The cut-out ids of a volume's three digits, and of a pad input's two
    // button digits ("%" twice when no button is bound).
    static void VolumeDigitIds(float volume, char ids[3][2]);
    static void ButtonDigitIds(int padInput, char ids[2][2]);
    // The command whose pad button a row sets; null outside rows 3 to 6.
    static const char* RowCommand(int row);

    int GetRow() const { return m_row; }

    // Registers the panel's picture cut-outs with the object manager's
    // resource manager.
    static void RegisterCells(Quorvex::ObjectManager* objects);

protected:
    void ShowVolume(int row);
    void ShowButton(int row);
    void ShowReverseAxis();

    std::unique_ptr<SprSet> m_pSprites;
    int m_row = 0;
};
