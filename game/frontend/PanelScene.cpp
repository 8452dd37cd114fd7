#include "game/frontend/PanelScene.h"

#include "engine/assets/RenderGroups.h"
#include "engine/assets/devices/InputManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/frontend/PanelSprSet.h"
#include "game/screen/SceneObjectParam.h"
#include "game/state/SceneRequests.h"

using namespace Quorvex;

PanelScene::PanelScene(const char* name) {
    m_name = name;
    m_objectManagerCreation = CreateOwn;
    m_areaManagerCreation = CreateNone;
    m_objectManagerParam = OneJobObjects(4);
}

PanelScene::~PanelScene() {
    Unbind();
    if (m_pGameManager) m_pGameManager->Release();
    m_pGameManager = nullptr;
}

int PanelScene::StartPanel(void* param, const char* groupName) {
    SceneRequests* manager = param ? static_cast<SceneRequests::StartParam*>(param)->gameManager : nullptr;
    if (manager) manager->AddRef();
    if (m_pGameManager) m_pGameManager->Release();
    m_pGameManager = manager;

    ObjectManager* objects = GetObjectManager();
    if (!objects) return -1;
    auto* group = new RenderGroupSprite2D();
    group->AddRef();
    const int result = group->Initialize(objects, groupName, 6000, 0);
    group->Release();
    return result < 0 ? -1 : 0;
}

void PanelScene::BindCommands(std::span<const Binding> table) {
    Unbind();
    InputManager* input = GetInputManager();
    if (!input) return;
    input->BindTable(table);
    m_bindings = table;
}

void PanelScene::Unbind() {
    if (InputManager* input = GetInputManager()) input->UnbindTable(m_bindings);
    m_bindings = {};
}

void PanelScene::Finish() {
    SetFinished(true);
    if (SceneBase* parent = GetParent()) parent->RequestSubScene(this);
}

int PanelScene::Wrap(int value, int low, int high) {
    if (value < low) return high;
    if (value > high) return low;
    return value;
}

int PanelScene::StepRow(int row, int count, bool up, bool down) {
    if (up) return Wrap(row - 1, 1, count);
    if (down) return Wrap(row + 1, 1, count);
    return row;
}

int PanelScene::StepRowByInput(int row, int count, Quorvex::RenderObjectSpr2D* const* labels) {
    InputManager* input = GetInputManager();
    if (!input) return row;
    const int next = StepRow(row, count, input->IsCommandPressed("opUp"), input->IsCommandPressed("opDown"));
    if (next != row && labels) PanelSprSet::MoveHighlight(labels[row], labels[next]);
    return next;
}

void PanelScene::Render() {
    if (IDirect3DDevice9* device = GetDevice()) {
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    }
    SceneBase::Render();
}

bool PanelScene::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool handled = SceneBase::MsgProc(window, message, wParam, lParam);
    if (m_consumeEscape && message == WM_KEYDOWN && wParam == VK_ESCAPE) return true;
    return handled;
}
