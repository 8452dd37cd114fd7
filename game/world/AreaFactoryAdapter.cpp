#include "game/world/AreaFactoryAdapter.h"

#include <cstdlib>

#include "engine/core/MessageLogManager.h"
#include "game/world/Area.h"

AreaFactoryAdapter::AreaFactoryAdapter(Quorvex::IAreaManager* areaManager, int kind)
    : m_pAreaManager(areaManager), m_kind(kind) {}

HRESULT STDMETHODCALLTYPE AreaFactoryAdapter::QueryInterface(REFIID, void** object) {
    if (object) *object = static_cast<IAreaFactory*>(this);
    return S_OK;
}

ULONG STDMETHODCALLTYPE AreaFactoryAdapter::AddRef() { return IncrementReference(); }

ULONG STDMETHODCALLTYPE AreaFactoryAdapter::Release() {
    const int count = GetReferenceCount();
    if (count >= 0 && count < 2) Quorvex::DebugPrint(L"エリア生産クラスRelease()削除\r\n");
    return DecrementReference();
}

int AreaFactoryAdapter::Init(int) { return 0; }

int AreaFactoryAdapter::CreateArea(Area** out, const Quorvex::Int3& cell) {
    if (!out) return -1;
    *out = nullptr;
    Area* area = new Area(m_pAreaManager, cell);
    area->AddRef();
    if (area->Init(0) < 0) {
        area->Release();
        return -1;
    }
    *out = area;
    return 0;
}

void AreaFactoryAdapter::OnRemoveArea(Area*) {}

float AreaFactoryAdapter::GetPriority(const Quorvex::Int3& cell) {
    if (!m_pAreaManager) return 0.0f;
    const Quorvex::Int3 center = m_pAreaManager->GetCentralPoint();
    // In 64 bits: the centre starts at INT_MIN.
    const long long d = std::llabs(static_cast<long long>(cell.x) - center.x) +
                        std::llabs(static_cast<long long>(cell.y) - center.y) +
                        std::llabs(static_cast<long long>(cell.z) - center.z);
    return static_cast<float>(d);
}

float AreaFactoryAdapter::GetCost(const Quorvex::Int3&) { return 1.0f; }
