// Base of the 2D panel screens beside the title (option, stage select,
// ranking): their own object manager without an area manager, the game
// manager from the start argument, a 2D render group of their own, their
// menu commands, point-sampled drawing, and the way they end.
#pragma once
#include <span>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/SceneBase.h"

namespace Quorvex {
class RenderObjectSpr2D;
}

class SceneRequests;

class PanelScene : public Quorvex::SceneBase {
public:
    // One command with a key (DirectInput code) and a pad input of the first
    // pad, -1 for none; a second key takes a row of its own.
    using Binding = Quorvex::InputManager::KeyBinding;

    // Point sampling for the panels' pixel art, then the normal render.
    void Render() override;
    // Consumes a key-down of Escape when the screen asks for it, so Escape
    // does not end the game while it is shown.
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // A value stepped past either end of low..high comes back at the other.
    static int Wrap(int value, int low, int high);
    // The row after "up" (which wins) or "down", wrapping over 1..count.
    static int StepRow(int row, int count, bool up, bool down);

protected:
    // The scene's name; one job record, 4 object groups, 20480 commands.
    explicit PanelScene(const char* name);
    // Undoes the bindings and releases the game manager.
    ~PanelScene() override;

    // Holds the game manager of the start argument (a SceneRequests::StartParam,
    // may be null) and registers a 2D sprite group of 6000 objects under the
    // name: 0, or -1 when the group cannot be registered.
    int StartPanel(void* param, const char* groupName);
    // Binds the commands of the table (kept until the scene ends).
    void BindCommands(std::span<const Binding> table);
    // The scene is finished and its parent removes it at its next update.
    void Finish();
    // The row after "opUp" or "opDown" pressed this frame; on a change the
    // highlight moves between the row labels (indexed by row; null entries
    // and a null table are allowed).
    int StepRowByInput(int row, int count, Quorvex::RenderObjectSpr2D* const* labels);

    SceneRequests* m_pGameManager = nullptr;  // counted
    bool m_consumeEscape = false;

private:
    void Unbind();

    std::span<const Binding> m_bindings;
};
