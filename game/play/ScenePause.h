// The overlay that freezes a stage: the pause menu when "pause" is pressed and
// the continue menu when the machine is lost. It is a child of the scene it
// freezes (the action scene), which stops updating and drawing itself while
// the mode is not 0 and hands over the texture of its last finished frame.
// While a menu is up the pause scene draws that frame frozen and tinted, a wall
// of tiles spreading from the top-left corner, a title and the menu.
#pragma once
#include "engine/assets/shaders/RenderTargetSet.h"
#include "engine/core/SceneBase.h"

class SceneRequests;
class Pause_BackTileFactory;
class Pause_SelectList;
class Pause_SelectListDead;
class Pause_Title;

class ScenePause : public Quorvex::SceneBase {
public:
    enum Mode { ModeIdle = 0, ModePause = 1, ModeContinue = 2 };

    // Tiles: the wall's columns and rows, their size in reference pixels and
    // how fast the spread grows (columns per second).
    static constexpr int kTileColumns = 46;
    static constexpr int kTileRows = 23;
    static constexpr float kTilePixels = 32.0f;
    static constexpr float kSpreadRate = 184.0f;

    // Named "pause": an own object manager (4 groups, 1 job record, 1572768
    // vertex bytes, 196596 index bytes, 20480 commands) and no area manager.
    ScenePause();
    // Unbinds "pause", finalises and releases the lists, the title, the tile
    // pool and the game manager, clears the game state's pause scene
    // when it names this scene and releases the snapshot target.
    ~ScenePause() override;

    // The argument is the start record of the game (SceneRequests::StartParam,
    // or null); the scene keeps a reference to its game manager. Builds the
    // 2-D group,
    // tile pool, title, snapshot target and both lists, binds "pause" (Escape,
    // pad 12) and publishes itself in the game state. 0, or -1 at the first
    // failing step.
    int OnInitialize(void* param) override;
    void OnUpdate(float timeStep) override;
    void OnRender() override {}
    // Draws nothing in mode 0; else the frozen, tinted frame, then the own
    // objects (tiles, menu items, title).
    void Render() override;
    // After the children: a key-down of Escape is handled here, so that it
    // does not close the window while the pause scene exists.
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // A mode that is not above the current one is ignored unless forced (the
    // continue menu may replace the pause menu, not the other way round, and
    // 0 needs forcing).
    void SetMode(int mode, bool forced);
    int GetMode() const { return m_mode; }

    // The texture holding the last finished frame of the frozen scene
    // (counted; null clears).
    void SetSourceFrame(IDirect3DTexture9* texture);

    float GetTimer() const { return m_timer; }
    int GetTileCount() const { return m_tileCount; }
    bool IsTilesDone() const { return m_tilesDone; }
    Pause_Title* GetTitle() const { return m_pTitle; }
    // The handed-over game manager, else the game state's.
    SceneRequests* GetGameManager() const;

    // The tiles that the spread from count `previous` to `count` adds, each
    // (column, row) once over the whole spread: the square of `count`
    // columns by min(count, 23) rows less the square already covered. Calls
    // add(column, row).
    template <class Fn>
    static void ForEachNewTile(int previous, int count, Fn&& add) {
        const int rows = count < kTileRows ? count : kTileRows;
        const int oldRows = previous < kTileRows ? previous : kTileRows;
        for (int i = 0; i < count; ++i)
            for (int j = (i < previous ? oldRows : 0); j < rows; ++j) add(i, j);
    }
    // n = 1 + trunc(184 x t), at most 46.
    static int SpreadCount(float timer);

private:
    void SpreadTiles(int kind);
    void TakeSnapshot();
    // The CopyTexture pass over the whole target in the colour.
    void DrawFullScreen(IDirect3DTexture9* texture, float red, float green, float blue, float alpha);

    SceneRequests* m_pGameManager = nullptr;  // counted
    int m_mode = ModeIdle;
    Pause_BackTileFactory* m_pTileFactory = nullptr;  // counted
    Pause_Title* m_pTitle = nullptr;                  // counted
    float m_timer = 0.0f;
    bool m_snapshotTaken = false;
    IDirect3DTexture9* m_pSourceFrame = nullptr;  // counted
    Quorvex::RenderTargetSet m_snapshot;
    Pause_SelectList* m_pPauseList = nullptr;         // counted
    Pause_SelectListDead* m_pContinueList = nullptr;  // counted
    int m_tileCount = 0;
    bool m_tilesDone = false;
    bool m_bound = false;
};
