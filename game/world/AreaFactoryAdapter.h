// Makers of Areas. The area manager asks the stage's factory for the Area of a
// cell, and for the priority and cost that order and pace its creation.
#pragma once
#include "engine/core/AreaPos.h"
#include "engine/core/ReferCounter.h"
#include "game/world/AreaManager.h"

class Area;

class IAreaFactory : public virtual IUnknown {
public:
    ~IAreaFactory() override = default;

    // Prepares what the factory's Areas share: 0, negative on failure.
    virtual int Init(int param) = 0;
    // A new initialised Area for the cell with one reference for the caller:
    // 0, or negative (out stays null) on failure.
    virtual int CreateArea(Area** out, const Quorvex::Int3& cell) = 0;
    // Told when the manager removes an Area the factory made.
    virtual void OnRemoveArea(Area* area) = 0;
    // Lower first.
    virtual float GetPriority(const Quorvex::Int3& cell) = 0;
    // Seconds of frame time that making the cell's Area uses up.
    virtual float GetCost(const Quorvex::Int3& cell) = 0;
    virtual int GetRefCount() const = 0;
};

// Base of the stage factories: makes plain Areas, ordered by the Manhattan
// distance to the centre, at a cost of one second each.
class AreaFactoryAdapter : public IAreaFactory, public Quorvex::ReferCounter {
public:
    explicit AreaFactoryAdapter(Quorvex::IAreaManager* areaManager, int kind = 0);
    ~AreaFactoryAdapter() override = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // The last reference traces the deletion.
    ULONG STDMETHODCALLTYPE Release() override;

    int Init(int param) override;
    int CreateArea(Area** out, const Quorvex::Int3& cell) override;
    void OnRemoveArea(Area* area) override;
    float GetPriority(const Quorvex::Int3& cell) override;
    float GetCost(const Quorvex::Int3& cell) override;
    int GetRefCount() const override { return GetReferenceCount(); }

    Quorvex::IAreaManager* GetAreaManager() const { return m_pAreaManager; }
    // The area kind the stage selects; each factory reads it per new cell.
    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }

protected:
    Quorvex::IAreaManager* m_pAreaManager = nullptr;  // not counted
    int m_kind = 0;
};

namespace Quorvex {
using ::AreaFactoryAdapter;
using ::IAreaFactory;
}
