#include "game/world/effects/FlashManager.h"

#include "game/state/Environment2.h"
#include "game/world/effects/BlurManager.h"

using Quorvex::IFactoryProduct;

// ---------------------------------------------------------------------------
// FlashObject

FlashObject::FlashObject(Quorvex::IObjectManager* manager) : Quorvex::Object(manager, 0) {}

int FlashObject::Initialize(int) {
    SetUpdatePriority(2100);
    return 0;
}

int FlashObject::ApplySetParam(ISetParam* param) {
    auto* record = dynamic_cast<FlashParam*>(param);
    if (!record) return 0;
    RequestRemove(false);
    if (record->manager) {
        if (GetManager() != record->manager) SetManager(record->manager);
        record->manager->AddObject(this);
    }
    m_c0 = record->c0;
    m_c1 = record->c1;
    m_c2 = record->c2;
    m_t1 = record->t1;
    m_t2 = record->t2;
    m_elapsed = 0.0f;
    m_weight = 0.0f;
    m_scale = record->p;
    return 0;
}

void FlashObject::ReturnToFactory() {
    RequestRemove(true);
    FactoryProductAdapter::ReturnToFactory();
}

void FlashObject::Update(float timeStep) {
    m_elapsed += timeStep;
    if (m_elapsed >= m_t2) {
        ReturnToFactory();
        return;
    }
    if (m_elapsed < m_t1)
        m_weight = m_elapsed / m_t1 * m_scale;
    else
        m_weight = (m_elapsed - m_t1) / (m_t2 - m_t1) * m_scale;
}

D3DXVECTOR4 FlashObject::GetColor() const {
    if (m_elapsed >= m_t1) {
        const float f = (m_elapsed - m_t1) / (m_t2 - m_t1);
        return m_c1 + (m_c2 - m_c1) * f;
    }
    const float f = m_elapsed / m_t1;
    return m_c0 + (m_c1 - m_c0) * f;
}

// ---------------------------------------------------------------------------
// FlashManager

FlashManager::FlashManager(Quorvex::IObjectManager* manager) : Quorvex::Object(manager, CreateRegister) {}

FlashManager::~FlashManager() {
    if (g_pEnvironment2 && g_pEnvironment2->flashManager == this) g_pEnvironment2->flashManager = nullptr;
}

int FlashManager::Initialize(int) {
    SetUpdatePriority(2200);
    if (g_pEnvironment2) g_pEnvironment2->flashManager = this;
    return 0;
}

IFactoryProduct* FlashManager::CreateProduct() { return NewProduct<FlashObject>(0, GetManager()); }

void FlashManager::StartFlash(const D3DXVECTOR4& c0, const D3DXVECTOR4& c1, const D3DXVECTOR4& c2, float t1,
                              float t2, float p) {
    FlashParam record;
    record.c0 = c0;
    record.c1 = c1;
    record.c2 = c2;
    record.t1 = t1;
    record.t2 = t2;
    record.p = p;
    record.manager = GetManager();
    // The pool and the object manager keep the flash; the caller's reference
    // from the acquisition is not kept.
    if (IFactoryProduct* flash = AcquireProduct(&record)) flash->Release();
}

void FlashManager::Update(float) {
    float best = -1.0f;
    D3DXVECTOR4 color(1.0f, 1.0f, 1.0f, 1.0f);
    ForEachInUse([&](IFactoryProduct* product) {
        auto* flash = dynamic_cast<FlashObject*>(product);
        if (flash && flash->GetWeight() > best) {
            best = flash->GetWeight();
            color = flash->GetColor();
        }
    });
    m_bestWeight = best;
    m_bestColor = color;
    if (g_pBlurManager) {
        g_pBlurManager->m_flashWeight = best;
        g_pBlurManager->m_flashColor = color;
    }
}
