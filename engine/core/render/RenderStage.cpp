#include "engine/core/render/RenderStage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/core/MessageLogManager.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderAssets.h"
#include "engine/core/render/RenderProfile.h"

namespace Quorvex {

namespace {

const wchar_t kStatisticsSource[] = L"RenderStage";

template <class T>
T* ArgumentAs(UINT_PTR argument) {
    return reinterpret_cast<T*>(argument);
}

}  // namespace

void IRenderCommandList::Replay(const RenderCommand& command) {
    const UINT_PTR a = command.argument;
    const int n = static_cast<int>(static_cast<INT_PTR>(a));
    switch (command.operation) {
    case RenderCommand::SetVertexDeclaration: SetVertexDeclaration(ArgumentAs<IDirect3DVertexDeclaration9>(a)); break;
    case RenderCommand::SetStreamSource: SetStreamSource(static_cast<UINT>(a)); break;
    case RenderCommand::SetIndices: SetIndices(ArgumentAs<IDirect3DIndexBuffer9>(a)); break;
    case RenderCommand::SetTextures: SetTextures(ArgumentAs<MaterialUnit>(a)); break;
    case RenderCommand::ClearShader: ClearShader(); break;
    case RenderCommand::BeginDefaultShader: BeginDefaultShader(); break;
    case RenderCommand::SetShader: SetShader(ArgumentAs<IShader>(a)); break;
    case RenderCommand::SetPrimitiveType: SetPrimitiveType(n); break;
    case RenderCommand::AddBaseVertexIndex: AddBaseVertexIndex(n); break;
    case RenderCommand::AddMinVertexIndex: AddMinVertexIndex(n); break;
    case RenderCommand::SetVertexCount: SetVertexCount(n); break;
    case RenderCommand::AddVertexCount: AddVertexCount(n); break;
    case RenderCommand::AddStartIndex: AddStartIndex(n); break;
    case RenderCommand::AddPrimitiveCount: AddPrimitiveCount(n); break;
    case RenderCommand::DrawBatch: DrawBatch(ArgumentAs<IShader>(a)); break;
    case RenderCommand::DrawObject: DrawObject(ArgumentAs<RenderObject>(a)); break;
    case RenderCommand::CallFunction: CallFunction(reinterpret_cast<RenderStageFunction>(a)); break;
    case RenderCommand::SetViewMatrix: SetViewMatrix(ArgumentAs<const D3DXMATRIX>(a)); break;
    case RenderCommand::SetCamera: SetCamera(ArgumentAs<const CameraRecord>(a)); break;
    case RenderCommand::SetProjectionMatrix: SetProjectionMatrix(ArgumentAs<const D3DXMATRIX>(a)); break;
    case RenderCommand::SetRenderStatePreset: SetRenderStatePreset(n); break;
    default: break;
    }
}

void RenderStage::Figure::Age() {
    average = (static_cast<float>(value) + average) * 0.5f;
    if (value > maximum) maximum = value;
    value = 0;
}

RenderStage::RenderStage() {
    D3DXMatrixIdentity(&m_batchWorld);
    D3DXMatrixIdentity(&m_batchPrevious);
}

RenderStage::~RenderStage() {
    ClearShader();
    ReleaseDrawArray();
    ClearSourceGroups();
    for (;;) {
        RenderObject* object = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_setLock);
            if (m_objects.empty()) break;
            object = *m_objects.begin();
        }
        SubObject(object);
    }
    if (m_shaderManager) RenderAssets::Release(m_shaderManager);
    m_shaderManager = nullptr;
    SAFE_RELEASE(m_device);
}

int RenderStage::Initialize(ObjectManager* manager, const char* name, int capacity) {
    if (!manager) return -1;
    m_manager = manager;
    m_name = name ? name : "";
    m_capacity = std::max(capacity, 0);
    m_drawArray.reserve(static_cast<size_t>(std::min(m_capacity, 4096)));

    IDirect3DDevice9* device = manager->GetDevice();
    if (device) device->AddRef();
    SAFE_RELEASE(m_device);
    m_device = device;
    ShaderManager* shaders = manager->GetShaderManager();
    if (shaders) RenderAssets::AddRef(shaders);
    if (m_shaderManager) RenderAssets::Release(m_shaderManager);
    m_shaderManager = shaders;

    if (m_device) {
        m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        ApplyBlendPreset(2);
        m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
        m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Objects

int RenderStage::AddObject(RenderObject* object) {
    if (!object) return -1;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        if (m_objects.count(object)) return 1;
        if (m_drawCount >= m_capacity) return -1;
        m_objects.insert(object);
        object->AddRef();
    }
    object->SetRenderStage(this);
    return 0;
}

int RenderStage::SubObject(RenderObject* object) {
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        m_pending.erase(object);
        if (m_objects.erase(object) == 0) return 1;
    }
    // An object moved on to another stage keeps that one.
    if (object->GetRenderStage() == this) object->SetRenderStage(nullptr);
    object->Release();
    return 0;
}

void RenderStage::RequestSubObject(RenderObject* object) {
    std::lock_guard<std::mutex> lock(m_setLock);
    m_pending.insert(object);
}

void RenderStage::CancelSubObject(RenderObject* object) {
    std::lock_guard<std::mutex> lock(m_setLock);
    m_pending.erase(object);
}

int RenderStage::GetObjectCount() const {
    std::lock_guard<std::mutex> lock(m_setLock);
    return static_cast<int>(m_objects.size());
}

void RenderStage::AddSourceGroup(RenderStage* group) {
    if (!group || group == this) return;
    if (m_sourceGroups.count(group->GetName())) return;
    group->AddRef();
    m_sourceGroups[group->GetName()] = group;
}

void RenderStage::SubSourceGroup(const char* name) {
    auto it = m_sourceGroups.find(name ? name : "");
    if (it == m_sourceGroups.end()) return;
    RenderStage* group = it->second;
    m_sourceGroups.erase(it);
    group->Release();
}

void RenderStage::ClearSourceGroups() {
    while (!m_sourceGroups.empty()) {
        const std::string name = m_sourceGroups.begin()->first;
        SubSourceGroup(name.c_str());
    }
}

// ---------------------------------------------------------------------------
// Frame

void RenderStage::ReleaseDrawArray() {
    for (int i = 0; i < m_drawCount; ++i) m_drawArray[i]->Release();
    m_drawArray.clear();
    m_drawCount = 0;
}

void RenderStage::AppendToDrawArray(RenderObject* object) {
    object->AddRef();
    m_drawArray.push_back(object);
    ++m_drawCount;
}

void RenderStage::Reset() {
    std::set<RenderObject*> pending;
    {
        std::lock_guard<std::mutex> lock(m_setLock);
        pending.swap(m_pending);
    }
    for (RenderObject* object : pending) SubObject(object);

    ReleaseDrawArray();
    for (auto& entry : m_sourceGroups) {
        RenderStage* source = entry.second;
        source->Reset();
        for (int i = 0; i < source->m_drawCount && m_drawCount < m_capacity; ++i)
            AppendToDrawArray(source->m_drawArray[i]);
    }
    std::lock_guard<std::mutex> lock(m_setLock);
    for (RenderObject* object : m_objects) {
        if (m_drawCount >= m_capacity) break;
        AppendToDrawArray(object);
    }
}

void RenderStage::DealSlices(const std::vector<JobRecord*>& jobs) {
    const int count = m_drawCount;
    const int jobCount = static_cast<int>(jobs.size());
    const int slice = count / jobCount + (count % jobCount ? 1 : 0);
    int start = 0;
    for (JobRecord* job : jobs) {
        const int take = std::min(slice, count - start);
        if (static_cast<int>(job->renderList.size()) < take) job->renderList.resize(take);
        for (int i = 0; i < take; ++i) job->renderList[i] = m_drawArray[start + i];
        job->renderCount = take;
        start += take;
    }
}

void RenderStage::Execute() {
    if (!m_manager) return;
    const std::vector<JobRecord*>& jobs = m_manager->GetJobRecords();

    // Descending draw priority; equal keys keep the draw array's order. Each
    // key is read once (a 3D object computes its view depth), and a key that
    // is not a number sorts last instead of breaking the ordering.
    m_phase = PhaseSorting;
    m_sortKeys.resize(static_cast<size_t>(m_drawCount));
    for (int i = 0; i < m_drawCount; ++i) {
        float key = m_drawArray[i]->GetDrawPriority();
        if (std::isnan(key)) key = -std::numeric_limits<float>::infinity();
        m_sortKeys[i] = {key, i};
    }
    std::stable_sort(m_sortKeys.begin(), m_sortKeys.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    m_sortScratch.assign(m_drawArray.begin(), m_drawArray.begin() + m_drawCount);
    for (int i = 0; i < m_drawCount; ++i) m_drawArray[i] = m_sortScratch[m_sortKeys[i].second];

    try {
        if (m_drawCount > 0 && !jobs.empty()) {
            using Clock = std::chrono::steady_clock;
            RenderProfile* profile = GetRenderProfile();
            const Clock::time_point written = profile ? Clock::now() : Clock::time_point();
            DealSlices(jobs);
            m_phase = PhaseWriting;
            m_manager->SetJobsMode(JobRecord::ModeRender);
            m_manager->SetJobsParked(false);
            m_manager->RunRenderSlice(jobs[0]);
            m_manager->WaitJobs();
            m_manager->SetJobsParked(true);

            const Clock::time_point replayed = profile ? Clock::now() : Clock::time_point();
            m_phase = PhaseReplaying;
            for (JobRecord* job : jobs) ReplayJob(*job);
            if (profile) {
                profile->writeSeconds += std::chrono::duration<double>(replayed - written).count();
                profile->replaySeconds += std::chrono::duration<double>(Clock::now() - replayed).count();
            }
        }
    } catch (...) {
        m_phase = PhaseIdle;
        throw;
    }

    m_statistics.drawCalls.Age();
    m_statistics.primitives.Age();
    m_statistics.vertices.Age();
    m_statistics.indices.Age();
    m_phase = PhaseIdle;
}

void RenderStage::ReplayJob(JobRecord& job) {
    CalcVertexSet& list = job.commands;
    IObjectManager::VertexSet& set = m_manager->GetVertexSet();
    // A manager without a device writes commands but has nothing to replay
    // them on.
    if (!m_device || !set.vertexBuffer || !set.indexBuffer) return;

    if (list.vertexBytes > 0) {
        void* data = nullptr;
        if (FAILED(set.vertexBuffer->Lock(0, static_cast<UINT>(list.vertexBytes), &data, D3DLOCK_DISCARD)))
            throw L"頂点バッファのロックに失敗";
        std::memcpy(data, list.vertexScratch.data(), static_cast<size_t>(list.vertexBytes));
        set.vertexBuffer->Unlock();
        if (list.indexBytes > 0) {
            if (FAILED(set.indexBuffer->Lock(0, static_cast<UINT>(list.indexBytes), &data, D3DLOCK_DISCARD)))
                throw L"インデックスバッファのロックに失敗";
            std::memcpy(data, list.indexScratch.data(), static_cast<size_t>(list.indexBytes));
            set.indexBuffer->Unlock();
        }
    }

    set.primitiveType = D3DPT_TRIANGLELIST;
    set.baseVertexIndex = 0;
    set.minVertexIndex = 0;
    set.numVertices = 0;
    set.startIndex = 0;
    set.primitiveCount = 0;

    for (int i = 0; i < list.commandCount; ++i) Replay(list.commands[i]);
    if (set.startIndex < static_cast<UINT>(list.GetIndexCount())) DrawBatch(nullptr);

    m_statistics.vertices.value += list.vertexBytes / CalcVertexSet::VertexSize;
    m_statistics.indices.value += list.indexBytes / CalcVertexSet::IndexSize;
}

void RenderStage::PrintStatistics() {
    MessageLogManager& log = MessageLogManager::Instance();
    const Statistics& s = m_statistics;
    log.Log(kStatisticsSource, L"RenderSystemInformation");
    log.Log(kStatisticsSource,
            FormatW(L"DrawPrimitiveCommandCnt Ave %f / Max %d", s.drawCalls.average, s.drawCalls.maximum).c_str());
    log.Log(kStatisticsSource,
            FormatW(L"PrimitiveCnt            Ave %f / Max %d", s.primitives.average, s.primitives.maximum).c_str());
    log.Log(kStatisticsSource,
            FormatW(L"VertexCnt               Ave %.2f(%.2fB) / Max %d(%dB)", s.vertices.average,
                    s.vertices.average * 24.0f, s.vertices.maximum, s.vertices.maximum * 24)
                .c_str());
    log.Log(kStatisticsSource,
            FormatW(L"VertexIndexCnt          Ave %.2f(%.2fB) / Max %d(%dB)", s.indices.average,
                    s.indices.average * 2.0f, s.indices.maximum, s.indices.maximum * 2)
                .c_str());
}

// ---------------------------------------------------------------------------
// Replay operations

void RenderStage::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
    if (!m_device || !m_manager) return;
    m_device->SetVertexDeclaration(declaration ? declaration : m_manager->GetVertexSet().declaration);
}

void RenderStage::SetStreamSource(UINT stream) {
    if (!m_device || !m_manager) return;
    m_device->SetStreamSource(stream, m_manager->GetVertexSet().vertexBuffer, 0, CalcVertexSet::VertexSize);
}

void RenderStage::SetIndices(IDirect3DIndexBuffer9* indices) {
    if (!m_device || !m_manager) return;
    m_device->SetIndices(indices ? indices : m_manager->GetVertexSet().indexBuffer);
}

void RenderStage::SetTextures(MaterialUnit* textureSet) {
    if (IsEffectFlag())
        m_batchTextureSet = textureSet;
    else
        BindTextureSet(textureSet);
}

void RenderStage::ClearShader() {
    if (m_device) {
        m_device->SetVertexShader(nullptr);
        m_device->SetPixelShader(nullptr);
    }
    SetEffectFlag(false);
    if (m_currentEffect) ReleaseEffect(m_currentEffect);
    m_currentEffect = nullptr;
}

void RenderStage::BeginDefaultShader() {
    IShader* effect = FindEffect("Spr3DDefaultShader");
    if (!effect) return;
    if (effect != m_currentEffect) {
        AddRefEffect(effect);
        if (m_currentEffect) ReleaseEffect(m_currentEffect);
        m_currentEffect = effect;
    }
    SetEffectFlag(true);
}

void RenderStage::SetShader(IShader* effect) {
    if (effect == m_currentEffect) return;
    if (effect) AddRefEffect(effect);
    if (m_currentEffect) ReleaseEffect(m_currentEffect);
    m_currentEffect = effect;
    SetEffectFlag(true);
}

void RenderStage::SetPrimitiveType(int type) {
    if (m_manager) m_manager->GetVertexSet().primitiveType = type;
}
void RenderStage::AddBaseVertexIndex(int n) {
    if (m_manager) m_manager->GetVertexSet().baseVertexIndex += n;
}
void RenderStage::AddMinVertexIndex(int n) {
    if (m_manager) m_manager->GetVertexSet().minVertexIndex += static_cast<UINT>(n);
}
void RenderStage::SetVertexCount(int n) {
    if (m_manager) m_manager->GetVertexSet().numVertices = static_cast<UINT>(n);
}
void RenderStage::AddVertexCount(int n) {
    if (m_manager) m_manager->GetVertexSet().numVertices += static_cast<UINT>(n);
}
void RenderStage::AddStartIndex(int n) {
    if (m_manager) m_manager->GetVertexSet().startIndex += static_cast<UINT>(n);
}
void RenderStage::AddPrimitiveCount(int n) {
    if (m_manager) m_manager->GetVertexSet().primitiveCount += static_cast<UINT>(n);
}

int RenderStage::DrawBatch(IShader* effect) {
    if (!m_manager) return 0;
    IObjectManager::VertexSet& set = m_manager->GetVertexSet();
    if (set.numVertices == 0) return 0;
    IShader* drawWith = effect ? effect : m_currentEffect ? m_currentEffect : FindEffect("Spr3DDefaultShader");
    if (drawWith) DrawWithEffect(drawWith);
    const int primitives = static_cast<int>(set.primitiveCount);
    ++m_statistics.drawCalls.value;
    m_statistics.primitives.value += primitives;
    set.minVertexIndex += set.numVertices;
    set.startIndex += 3 * set.primitiveCount;
    set.numVertices = 0;
    set.primitiveCount = 0;
    return primitives;
}

void RenderStage::DrawIndexedBatch() {
    if (!m_device || !m_manager) return;
    const IObjectManager::VertexSet& set = m_manager->GetVertexSet();
    m_device->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(set.primitiveType), set.baseVertexIndex,
                                   set.minVertexIndex, set.numVertices, set.startIndex, set.primitiveCount);
}

void RenderStage::DrawObject(RenderObject* object) {
    if (object) object->Draw();
}

void RenderStage::CallFunction(RenderStageFunction function) {
    if (function) function(this);
}

void RenderStage::SetViewMatrix(const D3DXMATRIX* matrix) {
    if (m_manager && matrix) m_manager->SetViewMatrix(*matrix);
}

void RenderStage::SetCamera(const CameraRecord* camera) {
    if (!m_manager || !camera) return;
    m_manager->SetCamera(*camera);
    m_manager->UpdateMatrices();
}

void RenderStage::SetProjectionMatrix(const D3DXMATRIX* matrix) {
    if (m_manager && matrix) m_manager->SetProjectionMatrix(*matrix);
}

void RenderStage::SetRenderStatePreset(int preset) { ApplyBlendPreset(preset); }

// ---------------------------------------------------------------------------
// The shader-manager side

IShader* RenderStage::FindEffect(const char* name) const {
    return m_shaderManager ? RenderAssets::FindShader(m_shaderManager, name) : nullptr;
}

void RenderStage::SetEffectFlag(bool on) {
    if (m_shaderManager) RenderAssets::SetShaderInUse(m_shaderManager, on);
}

bool RenderStage::IsEffectFlag() const {
    return m_shaderManager ? RenderAssets::IsShaderInUse(m_shaderManager) : false;
}

void RenderStage::ApplyBlendPreset(int preset) {
    if (m_shaderManager) RenderAssets::SetBlendMode(m_shaderManager, preset);
}

void RenderStage::DrawWithEffect(IShader* effect) { RenderAssets::DrawBatch(effect, this, m_batchTextureSet); }

void RenderStage::BindTextureSet(MaterialUnit* textureSet) {
    if (m_device && textureSet) RenderAssets::BindTextures(m_device, textureSet);
}

void RenderStage::AddRefEffect(IShader* effect) { RenderAssets::AddRef(effect); }
void RenderStage::ReleaseEffect(IShader* effect) { RenderAssets::Release(effect); }

}  // namespace Quorvex
