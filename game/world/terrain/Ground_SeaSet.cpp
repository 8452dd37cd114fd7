#include "game/world/terrain/Ground_SeaSet.h"

#include <algorithm>
#include <cstring>

#include "engine/assets/MaterialUnit.h"
#include "engine/assets/MeshUnit_CalcData.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_Water.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/render/CalcVertexSet.h"
#include "engine/core/render/RenderCommand.h"
#include "engine/core/render/RenderStage.h"
#include "game/state/Environment2.h"
#include "game/world/terrain/GroundGenerator.h"

using Quorvex::AreaPos;

namespace {

constexpr float kTimeWrapAt = 1499.9999f;
constexpr float kTimeWrapBy = 999.99994f;

D3DXVECTOR3 DriftVelocity() { return g_pEnvironment2 ? g_pEnvironment2->sharedVector : D3DXVECTOR3(0, 0, 0); }

}  // namespace

Ground_SeaSet::WaterParamUnit::WaterParamUnit(const AreaPos& position_, float width_, float depth_)
    : position(position_), width(width_), depth(depth_) {}

Ground_SeaSet::Ground_Sea::Ground_Sea(GroundGenerator* owner, const AreaPos& position,
                                      Quorvex::IObjectManager* objectManager, Quorvex::IAreaManager* areaManager)
    : Object3D(objectManager, areaManager, position), m_pOwner(owner) {}

Ground_SeaSet::Ground_Sea::~Ground_Sea() {
    std::set<WaterParamUnit*> units;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        units.swap(m_units);
    }
    for (WaterParamUnit* unit : units) unit->Release();
    if (m_pShader) m_pShader->Release();
    if (m_pNormalMap) m_pNormalMap->Release();
    if (m_pReserved) m_pReserved->Release();
    if (m_pVertexBuffer) m_pVertexBuffer->Release();
}

int Ground_SeaSet::Ground_Sea::Initialize(int capacity) {
    SetUpdatePriority(100);
    Quorvex::ObjectManager* manager = GetObjectManager();
    if (manager) {
        if (Quorvex::RenderStage* stage = manager->GetRenderStage("SolidModelBg")) AttachStage(stage);
    }
    m_capacity = capacity;

    Quorvex::ShaderManager* shaders = manager ? manager->GetShaderManager() : nullptr;
    m_pShader = shaders ? dynamic_cast<Quorvex::Shader_WideWater*>(shaders->GetShader("WideWater")) : nullptr;
    if (!m_pShader) return -1;
    m_pShader->AddRef();

    IDirect3DDevice9* device = GetDevice();
    const HRESULT loaded =
        Quorvex::MaterialUnit::LoadNormalMap(0, L"./data/texture/water.bmp", device, 0, 1.0f, &m_pNormalMap);
    if (FAILED(loaded) || !m_pNormalMap) {
        Quorvex::MessageLogManager::Instance().Log(L"Error", L"Normalテクスチャ作成に失敗");
        return FAILED(loaded) ? static_cast<int>(loaded) : -1;
    }
    if (!device || capacity <= 0) return 0;
    const HRESULT created = device->CreateVertexBuffer(static_cast<UINT>(capacity) * BytesPerRectangle,
                                                       D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &m_pVertexBuffer, nullptr);
    return FAILED(created) ? static_cast<int>(created) : 0;
}

float Ground_SeaSet::Ground_Sea::AdvanceTime(float time, float timeStep) {
    time += timeStep;
    if (time >= kTimeWrapAt) time -= kTimeWrapBy;
    return time;
}

void Ground_SeaSet::Ground_Sea::Update(float timeStep) {
    Object3D::Update(timeStep);
    const D3DXVECTOR3 move = DriftVelocity() * timeStep;
    if (move.x != 0.0f || move.y != 0.0f || move.z != 0.0f) ShiftWaterParams(move);
    m_time = AdvanceTime(m_time, timeStep);
}

bool Ground_SeaSet::Ground_Sea::AddWaterParam(WaterParamUnit* unit) {
    if (!unit) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    if (static_cast<int>(m_units.size()) >= m_capacity) return false;
    if (m_units.erase(unit)) unit->Release();
    unit->AddRef();
    m_units.insert(unit);
    return true;
}

void Ground_SeaSet::Ground_Sea::RemoveWaterParam(WaterParamUnit* unit) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_units.erase(unit)) return;
    }
    unit->Release();
}

void Ground_SeaSet::Ground_Sea::ShiftWaterParams(const D3DXVECTOR3& shift) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (WaterParamUnit* unit : m_units) unit->position.Add(shift);
}

int Ground_SeaSet::Ground_Sea::GetWaterParamCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_units.size());
}

void Ground_SeaSet::Ground_Sea::BuildVertices(const std::set<WaterParamUnit*>& units, const D3DXVECTOR3& worldOffset,
                                              std::vector<WaterVertex>& out) {
    out.resize(units.size() * VerticesPerRectangle);
    const Quorvex::WorldGridTables& grid = Quorvex::g_WorldGrid;
    WaterVertex* v = out.data();
    for (const WaterParamUnit* unit : units) {
        // Only the cells place a rectangle, so neighbouring rectangles meet
        // exactly whatever their offsets.
        const float px = grid.cellSize[0] * static_cast<float>(unit->position.x.cell - grid.centerCell[0]) + worldOffset.x;
        const float py = grid.cellSize[1] * static_cast<float>(unit->position.y.cell - grid.centerCell[1]) + worldOffset.y;
        const float pz = grid.cellSize[2] * static_cast<float>(unit->position.z.cell - grid.centerCell[2]) + worldOffset.z;
        const float w = unit->width, d = unit->depth;
        const float corners[6][4] = {
            {px, pz, 0, 0}, {px + w, pz, 1, 0}, {px, pz + d, 0, 1},
            {px, pz + d, 0, 1}, {px + w, pz, 1, 0}, {px + w, pz + d, 1, 1},
        };
        for (const auto& c : corners) *v++ = WaterVertex{c[0], py, c[1], 0, 1, 0, 1, 0, 0, c[2], c[3]};
    }
}

void Ground_SeaSet::Ground_Sea::Render(Quorvex::CalcVertexSet* list) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const D3DXVECTOR3 offset = g_pEnvironment2 ? g_pEnvironment2->worldOffset : D3DXVECTOR3(0, 0, 0);
        BuildVertices(m_units, offset, m_staging);
        m_stagedRectangles = static_cast<int>(m_units.size());
    }
    if (!list || !m_pShader) return;
    if (!list->HasRoom(0, 0, 3)) return;
    if (list->batchOpen) Quorvex::PushRenderCommand(list, Quorvex::RenderCommand::DrawBatch, 0);
    list->batchOpen = false;
    list->batchTextureSet = nullptr;
    if (list->batchShader != m_pShader) {
        Quorvex::PushRenderCommand(list, Quorvex::RenderCommand::SetShader, static_cast<Quorvex::IShader*>(m_pShader));
        list->batchShader = m_pShader;
    }
    Quorvex::PushRenderCommand(list, Quorvex::RenderCommand::DrawObject, static_cast<Quorvex::RenderObject*>(this));
}

void Ground_SeaSet::Ground_Sea::Draw() {
    Quorvex::ObjectManager* manager = GetObjectManager();
    IDirect3DDevice9* device = GetDevice();
    if (!manager || !device || !m_pShader || !m_pVertexBuffer) return;
    Quorvex::IResourceManager* resources = manager->GetResourceManager();
    Quorvex::RenderParameter* parameters = resources ? resources->GetRenderParameter() : nullptr;
    if (parameters && parameters->m_shadowMapMode == 1) return;

    // The upload happens here, on the main thread that owns the device.
    const int count = std::min(m_stagedRectangles, m_capacity);
    if (count > 0) {
        void* data = nullptr;
        if (FAILED(m_pVertexBuffer->Lock(0, 0, &data, 0)) || !data) return;
        std::memcpy(data, m_staging.data(), static_cast<size_t>(count) * BytesPerRectangle);
        m_pVertexBuffer->Unlock();
    }
    m_drawnRectangles = count;

    m_pShader->m_waveOffset = m_time;
    m_pShader->SetNormalMap(m_pNormalMap);
    if (Quorvex::ShaderManager* shaders = manager->GetShaderManager()) shaders->SetBlendMode(2);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetStreamSource(0, m_pVertexBuffer, 0, sizeof(WaterVertex));
    m_pShader->Apply(&m_surface, -1, -1);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void Ground_SeaSet::Ground_Sea::DrawSubset(int) {
    IDirect3DDevice9* device = GetDevice();
    if (!device || m_drawnRectangles <= 0) return;
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(2 * m_drawnRectangles));
}

void Ground_SeaSet::SetLevel(float level) {
    GroundGenerator* generator = GroundGenerator::GetCurrent();
    if (generator && generator->GetSea()) generator->GetSea()->SetLevel(level);
}
