#include "game/screen/Pause_SelectListBase.h"

#include <utility>

#include "engine/assets/devices/InputManager.h"
#include "engine/core/render/ObjectManager.h"
#include "game/screen/Pause_SelectUnit.h"

using namespace Quorvex;

namespace {

// DirectInput key codes and pad inputs of the menu commands.
constexpr InputManager::KeyBinding kBindings[] = {
    {"SelectUp", 200, 1},    {"SelectUp", 17, -1},    {"SelectDown", 208, 3},  {"SelectDown", 31, -1},
    {"SelectLeft", 203, 0},  {"SelectLeft", 30, -1},  {"SelectRight", 205, 2}, {"SelectRight", 32, -1},
    {"SelectEnter", 28, 4},  {"SelectCancel", 54, 5},
};

}  // namespace

Pause_SelectListBase::SelectUnitSet::SelectUnitSet(Pause_SelectUnit* unit, Callback function)
    : item(unit), callback(std::move(function)) {
    if (item) item->AddRef();
}

Pause_SelectListBase::SelectUnitSet::~SelectUnitSet() {
    callback = nullptr;
    if (item) item->Release();
}

Pause_SelectListBase::Pause_SelectListBase(ObjectManager* manager, InputManager* input)
    : Object(manager, CreateRegister), m_pInput(input) {
    if (m_pInput) m_pInput->AddRef();
}

Pause_SelectListBase::~Pause_SelectListBase() {
    Unbind();
    ReleaseEntries();
    if (m_pInput) m_pInput->Release();
}

int Pause_SelectListBase::Initialize(int) {
    if (!m_pInput) return -1;
    if (!m_bound) {
        m_pInput->BindTable(kBindings);
        m_bound = true;
    }
    return 0;
}

void Pause_SelectListBase::Finalize() {
    Close();
    // The items belong to this list: they leave the object manager with it.
    for (SelectUnitSet* entry : m_entries)
        if (entry->item) entry->item->RequestRemove(true);
    ReleaseEntries();
    Unbind();
}

void Pause_SelectListBase::Unbind() {
    if (!m_bound || !m_pInput) return;
    m_pInput->UnbindTable(kBindings);
    m_bound = false;
}

void Pause_SelectListBase::ReleaseEntries() {
    std::vector<SelectUnitSet*> entries;
    entries.swap(m_entries);
    for (SelectUnitSet* entry : entries) delete entry;
    m_cursor = 0;
}

bool Pause_SelectListBase::AppendItem(Pause_SelectUnit* item, Callback callback, float x, float y) {
    if (!item) return false;
    auto* entry = new SelectUnitSet(item, std::move(callback));
    const D3DXVECTOR2 position(x, y);
    if (item->Initialize(&position) < 0) {
        item->RequestRemove(true);
        delete entry;
        return false;
    }
    m_entries.push_back(entry);
    return true;
}

Pause_SelectUnit* Pause_SelectListBase::GetItem(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_entries[index]->item;
}

bool Pause_SelectListBase::IsEnabledAt(int index) const {
    Pause_SelectUnit* item = GetItem(index);
    return item && item->IsEnabled();
}

void Pause_SelectListBase::StepCursor(int direction) {
    const int count = GetCount();
    if (count == 0) return;
    // One full turn at most: a list without an enabled item keeps its cursor
    // instead of searching forever.
    for (int step = 0; step < count; ++step) {
        m_cursor += direction;
        if (m_cursor < 0) m_cursor = count - 1;
        if (m_cursor >= count) m_cursor = 0;
        if (IsEnabledAt(m_cursor)) return;
    }
}

void Pause_SelectListBase::Update(float) {
    if (m_state != m_activeState || m_fired || !m_pInput || m_entries.empty()) return;
    if (m_cursor < 0 || m_cursor >= GetCount()) m_cursor = 0;
    const int old = m_cursor;
    if (m_pInput->IsCommandPressed("SelectUp")) StepCursor(-1);
    if (m_pInput->IsCommandPressed("SelectDown") || !IsEnabledAt(m_cursor)) StepCursor(1);
    if (m_cursor != old) {
        if (Pause_SelectUnit* item = GetItem(old)) item->SetSelected(false);
        if (Pause_SelectUnit* item = GetItem(m_cursor)) item->SetSelected(true);
    }
    if (m_pInput->IsCommandPressed("SelectEnter") && IsEnabledAt(m_cursor)) {
        // A copy: the callback may close or rebuild this list.
        const Callback callback = m_entries[m_cursor]->callback;
        if (callback) callback();
        m_fired = true;
    }
}

void Pause_SelectListBase::Open(int state) {
    SetState(state);
    if (state != m_activeState) return;
    for (SelectUnitSet* entry : m_entries)
        if (entry->item) entry->item->Show();
    m_cursor = 0;
    if (Pause_SelectUnit* first = GetItem(0)) first->SetSelected(true);
    m_fired = false;
}

void Pause_SelectListBase::Close() {
    if (m_state != m_activeState) return;
    for (SelectUnitSet* entry : m_entries)
        if (entry->item) entry->item->Hide();
}

void Pause_SelectListBase::SetState(int state) {
    m_state = state;
    for (SelectUnitSet* entry : m_entries)
        if (entry->item) entry->item->SetType(state);
}
