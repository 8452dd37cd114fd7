// The stage's dialogue overlay: two portraits and two speech windows, the
// spell cut-in, the full-screen flash and fades, and the spell title banner.
// The action scene creates one; the game state names it while it lives.
#pragma once
#include <cstdint>
#include <string>

#include "engine/core/Object.h"

namespace Quorvex {
class FontManager;
class ObjectManager;
}  // namespace Quorvex
class GraphicObject;
class GraphicObject_Spell;

class GraphicManager : public Quorvex::Object {
public:
    // One line of dialogue, built by a stage's speak callback.
    struct SpeakSet {
        std::string leftKey;   // portrait of the left speaker, may be empty
        std::string rightKey;  // portrait of the right speaker, may be empty
        std::wstring text;
        int leftSpeaks = 0;    // 1: the left speaker says the line
        // kSpeakerColor takes the speaker's colour from the key table.
        uint32_t textColor = kSpeakerColor;
    };

    static constexpr uint32_t kSpeakerColor = 0x00FF00FF;
    static constexpr int kUpdatePriority = 2200;
    static constexpr int kWindowCount = 8;
    // Window roles.
    enum Window {
        LeftPortrait = 0,
        RightPortrait = 1,
        LeftText = 2,
        RightText = 3,
        CutIn = 5,
        ScreenEffect = 6,
    };

    // Registered with the object manager at once; the windows are made on it.
    explicit GraphicManager(Quorvex::ObjectManager* objects);
    // ReleaseAll.
    ~GraphicManager() override;

    // Update priority 2200, the dialogue font, the eight windows and the
    // banner; publishes itself in the game state. 0, or -1 when no dialogue
    // font (or banner font) can be made.
    int Initialize(int param) override;
    // Releases the banner, the windows (7 down to 0) and the font, and clears
    // the game state's dialogue manager when it names this one.
    void ReleaseAll();

    // One dialogue line onto windows 0 to 3; an empty set hides the speech
    // windows.
    void ApplySpeakSet(const SpeakSet& set);
    // ARGB of a speaker key; opaque white for keys outside the table.
    static uint32_t GetSpeakerTextColor(const std::string& key);

    GraphicObject* GetWindow(int index) const;
    GraphicObject_Spell* GetSpellBanner() const { return m_pSpell; }
    Quorvex::FontManager* GetFont() const { return m_pFont; }

private:
    Quorvex::FontManager* m_pFont = nullptr;         // counted
    GraphicObject* m_pWindows[kWindowCount] = {};    // counted
    GraphicObject_Spell* m_pSpell = nullptr;         // counted
};
