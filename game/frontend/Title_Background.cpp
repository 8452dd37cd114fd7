#include "game/frontend/Title_Background.h"

#include "engine/core/AreaPos.h"
#include "engine/core/render/DrawBuilders.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicUnits.h"

using namespace Quorvex;

Title_Background::Title_Background(ObjectManager* manager) : RenderObject(manager, 1) {}

Title_Background::~Title_Background() = default;

int Title_Background::Initialize(int) {
    Init();
    SetMaterial(FindGraphicMaterial(GetManager(), "matTitleBG"));
    color = 0xFFFFFFFF;
    x = 0.0f;
    y = 0.0f;
    width = g_Aspect;
    height = 1.0f;
    uv[0] = D3DXVECTOR2(0.0f, 1.0f);
    uv[1] = D3DXVECTOR2(1.0f, 1.0f);
    uv[2] = D3DXVECTOR2(0.0f, 0.0f);
    uv[3] = D3DXVECTOR2(1.0f, 0.0f);
    angle = 0.0f;
    centered = 0;
    SetDrawPriority(0.1f);
    return 0;
}

void Title_Background::Render(CalcVertexSet* list) {
    PushRenderStatePreset(list, 2);
    if (material) PushSprite2D(list, *this);
}

void Title_Background::Show() {
    JoinSprite2DStage(this);
}

void Title_Background::Hide() {
    if (RenderStage* stage = GetRenderStage()) stage->SubObject(this);
}
