#include "engine/core/Object.h"

namespace Quorvex {

Object::Object(IObjectManager* manager, DWORD flags) : m_manager(manager) {
    if ((flags & CreateGroupBits) && manager) {
        m_groupBits = std::make_unique<GroupBits>();
        m_groupBits->count = manager->GetGroupCount();
        if (m_groupBits->count < 0) m_groupBits->count = 0;
        m_groupBits->words.assign((m_groupBits->count + 31) / 32, 0u);
    }
    if ((flags & CreateRegister) && manager) manager->AddObject(this);
}

Object::~Object() {
    // The base teardown, whatever a derived class made of Finalize.
    Object::Finalize();
}

int Object::Initialize(int) { return 0; }

void Object::Finalize() {
    if (m_manager && CheckFlag(FlagFollowManager)) {
        if (m_groupBits) {
            for (int i = 0; i < m_groupBits->count; ++i)
                if (GroupBit(i)) SetGroupFlag(i, false);
        }
        m_manager->SubObject(this);
    }
    m_groupBits.reset();
}

void Object::Update(float) {}
void Object::PostUpdate() {}
void Object::OnCollision(Object*) {}
void Object::PrintSystemInfo() {}

void Object::SetManager(IObjectManager* manager) {
    if (manager == m_manager) return;
    const bool follow = CheckFlag(FlagFollowManager);
    if (m_manager) {
        ReportGroups(m_manager, false);
        if (follow) {
            m_manager->SubObject(this);
            ResetFlag(FlagFollowManager);
        }
    }
    m_manager = manager;
    if (manager) {
        if (follow) {
            manager->AddObject(this);
            SetFlag(FlagFollowManager);
        }
        ReportGroups(manager, true);
    }
}

IObjectManager* Object::GetManager() const { return m_manager; }

DWORD Object::SetFlag(DWORD mask) {
    m_flags.fetch_or(mask, std::memory_order_acq_rel);
    return mask;
}

DWORD Object::ResetFlag(DWORD mask) {
    m_flags.fetch_and(~mask, std::memory_order_acq_rel);
    return ~mask;
}

DWORD Object::ChangeFlag(DWORD mask, bool on) { return on ? SetFlag(mask) : ResetFlag(mask); }

bool Object::CheckFlag(DWORD mask) const {
    return (m_flags.load(std::memory_order_acquire) & mask) != 0;
}

bool Object::IsRemoveRequested() const { return CheckFlag(FlagRemoveRequested); }

DWORD Object::RequestRemove(bool remove) {
    if (m_manager) {
        if (remove)
            m_manager->RequestSubObject(this);
        else
            m_manager->CancelSubObject(this);
    }
    return ChangeFlag(FlagRemoveRequested, remove);
}

void Object::SetUpdatePriority(int priority) { m_updatePriority = priority; }
int Object::GetUpdatePriority() const { return m_updatePriority; }

void Object::SetGroupFlag(int index, bool on) {
    // An index outside the manager's groups is ignored rather than written
    // past the bit set.
    if (!m_groupBits || index < 0 || index >= m_groupBits->count) return;
    const uint32_t bit = 1u << (index % 32);
    uint32_t& word = m_groupBits->words[index / 32];
    word = on ? (word | bit) : (word & ~bit);
    if (m_manager) m_manager->SetObjectGroup(this, index, on);
}

bool Object::CheckGroupFlag(int index) const { return GroupBit(index); }

IDirect3DDevice9* Object::GetDevice() const { return m_manager ? m_manager->GetDevice() : nullptr; }

int Object::GetRefCount() const { return GetReferenceCount(); }

bool Object::GroupBit(int index) const {
    if (!m_groupBits || index < 0 || index >= m_groupBits->count) return false;
    return (m_groupBits->words[index / 32] >> (index % 32)) & 1u;
}

void Object::ReportGroups(IObjectManager* manager, bool on) {
    if (!m_groupBits) return;
    for (int i = 0; i < m_groupBits->count; ++i)
        if (GroupBit(i)) manager->SetObjectGroup(this, i, on);
}

}  // namespace Quorvex
