// The title menu: start, extra start (once the extra level is reached on
// some difficulty), stage select, score, option and game end, stacked right
// of the screen centre. Cursor, highlight and confirmation are the list
// base's; this adds the items and what each choice does.
#pragma once
#include "game/screen/Pause_SelectListBase.h"
#include "game/screen/Pause_SelectUnit.h"

class SceneTitle;

// The title menu's items differ from the base item only in their picture on
// "matHud2", drawn unrotated from its top-left corner.
class Pause_SelectTitleItem : public Pause_SelectUnit {
public:
    // Width in screen-height units (the height is the same for all), the u
    // range and the v of the picture's top and bottom edges.
    struct Picture {
        float width;
        float u0, u1;
        float vTop, vBottom;
    };
    Pause_SelectTitleItem(Quorvex::ObjectManager* manager, const Picture& picture);
    void SetType(int type) override;

private:
    Picture m_picture;
};
class Pause_SelectStart : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectStart(Quorvex::ObjectManager* manager);
};
class Pause_SelectExStart : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectExStart(Quorvex::ObjectManager* manager);
};
class Pause_SelectStageSelect : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectStageSelect(Quorvex::ObjectManager* manager);
};
class Pause_SelectScore : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectScore(Quorvex::ObjectManager* manager);
};
class Pause_SelectOption : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectOption(Quorvex::ObjectManager* manager);
};
class Pause_SelectGameEnd : public Pause_SelectTitleItem {
public:
    explicit Pause_SelectGameEnd(Quorvex::ObjectManager* manager);
};

class Pause_SelectListTitle : public Pause_SelectListBase {
public:
    // The list shows and takes input only once opened with state 4.
    static constexpr int kActiveState = 4;
    // Item n stands at (940, 400 + 45 n) of the 1280 x 720 layout.
    static constexpr float kItemX = 940.0f / 720.0f;
    static float ItemY(int n) { return (400.0f + 45.0f * static_cast<float>(n)) / 720.0f; }
    // The level of the extra stage: reached on any difficulty, the extra start
    // is offered.
    static constexpr int kExtraLevel = 6;

    // The owner is not counted.
    Pause_SelectListTitle(Quorvex::InputManager* input, Quorvex::ObjectManager* manager, SceneTitle* owner);

    // The base's bindings, then the items: 0, or -1 when the base failed. An
    // item that fails to initialise ends the list there.
    int Initialize(int param) override;
    // The base's cursor and confirmation; cancel does nothing here.
    void Update(float timeStep) override;

    // Whether the game state has reached the extra level on some difficulty.
    static bool IsExtraUnlocked();

    // The choices.
    void OnStart(void* ignored);
    void OnExStart(void* ignored);
    void OnStageSelect(void* ignored);
    void OnOption(void* ignored);
    void OnScore(void* ignored);
    void OnGameEnd(void* ignored);

private:
    SceneTitle* m_pOwner;
};
