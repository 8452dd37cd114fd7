// Base of everything the object manager updates.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/IObjectManager.h"
#include "engine/core/ReferCounter.h"

namespace Quorvex {

class Object;

// The operations of every updatable object; all are defined by Object.
class IObject : public virtual IUnknown {
public:
    ~IObject() override = default;

    virtual int Initialize(int param) = 0;
    virtual void Finalize() = 0;
    virtual void Update(float timeStep) = 0;
    virtual void PostUpdate() = 0;
    virtual void OnCollision(Object* other) = 0;
    virtual void PrintSystemInfo() = 0;
    virtual void SetManager(IObjectManager* manager) = 0;
    virtual IObjectManager* GetManager() const = 0;
    virtual DWORD SetFlag(DWORD mask) = 0;
    virtual DWORD ResetFlag(DWORD mask) = 0;
    virtual DWORD ChangeFlag(DWORD mask, bool on) = 0;
    virtual bool CheckFlag(DWORD mask) const = 0;
    virtual bool IsRemoveRequested() const = 0;
    virtual DWORD RequestRemove(bool remove) = 0;
    virtual void SetUpdatePriority(int priority) = 0;
    virtual int GetUpdatePriority() const = 0;
    virtual void SetGroupFlag(int index, bool on) = 0;
    virtual bool CheckGroupFlag(int index) const = 0;
    virtual IDirect3DDevice9* GetDevice() const = 0;
    virtual int GetRefCount() const = 0;
};

class Object : public IObject, public ReferCounter {
public:
    // Bits of the flag word that the engine itself uses; derived classes use
    // the others.
    static constexpr DWORD FlagRemoveRequested = 1;
    // Membership of the manager's object set follows SetManager and ends in
    // Finalize.
    static constexpr DWORD FlagFollowManager = 2;

    // Construction flags.
    static constexpr DWORD CreateRegister = 1;   // manager->AddObject(this) at once
    static constexpr DWORD CreateGroupBits = 2;  // one group bit per manager group

    // The manager may be null only when flags is 0.
    explicit Object(IObjectManager* manager = nullptr, DWORD flags = 0);
    ~Object() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    int Initialize(int param) override;
    void Finalize() override;
    void Update(float timeStep) override;
    void PostUpdate() override;
    void OnCollision(Object* other) override;
    void PrintSystemInfo() override;
    void SetManager(IObjectManager* manager) override;
    IObjectManager* GetManager() const override;
    DWORD SetFlag(DWORD mask) override;
    DWORD ResetFlag(DWORD mask) override;
    DWORD ChangeFlag(DWORD mask, bool on) override;
    bool CheckFlag(DWORD mask) const override;
    bool IsRemoveRequested() const override;
    DWORD RequestRemove(bool remove) override;
    void SetUpdatePriority(int priority) override;
    int GetUpdatePriority() const override;
    void SetGroupFlag(int index, bool on) override;
    bool CheckGroupFlag(int index) const override;
    IDirect3DDevice9* GetDevice() const override;
    int GetRefCount() const override;

private:
    // One bit per object group of the manager: bit i in word i/32.
    struct GroupBits {
        int count = 0;
        std::vector<uint32_t> words;
    };

    bool GroupBit(int index) const;
    void ReportGroups(IObjectManager* manager, bool on);

    // Flags are set from job threads (removal requests) and read on the main
    // thread.
    std::atomic<DWORD> m_flags{0};
    int m_updatePriority = 0;
    IObjectManager* m_manager = nullptr;  // not counted
    std::unique_ptr<GroupBits> m_groupBits;
};

}  // namespace Quorvex
