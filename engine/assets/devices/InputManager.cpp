#include "engine/assets/devices/InputManager.h"

#include <new>

#include "engine/assets/devices/InputDevice.h"
#include "engine/core/Environment.h"
#include "engine/core/MessageLogManager.h"
#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kCreateDeviceSource = L"InputManager::CreateInputDevice";
constexpr int kDirectionSlots = 4;  // left, up, right, down: directions 1, 2, 4, 8
constexpr int kButtonSlots = 32;

}  // namespace

InputManager::InputManager() = default;

InputManager::~InputManager() {
    while (!m_commands.empty()) {
        // SubCommand deletes at a count of 0 or below; force it.
        m_commands.begin()->second->refCount = 1;
        SubCommand(m_commands.begin()->first.c_str());
    }
    SAFE_RELEASE(m_pDevice);
}

int InputManager::Initialize(HWND window, HINSTANCE instance) {
    if (CreateInputDevice(instance, window) < 0) return -1;
    for (auto& slot : m_keySlots) slot.clear();
    for (auto& pad : m_padSlots)
        for (auto& slot : pad) slot.clear();
    return 0;
}

int InputManager::CreateInputDevice(HINSTANCE instance, HWND window) {
    InputDevice* device = new (std::nothrow) InputDevice();
    if (!device) return -1;
    device->AddRef();
    if (FAILED(device->Initialize(instance, window))) {
        MessageTable::Log(41, kCreateDeviceSource);
        device->Release();
        return -2;
    }
    SAFE_RELEASE(m_pDevice);
    m_pDevice = device;
    MessageTable::Log(42, kCreateDeviceSource);
    MessageLogManager::Instance().Log(kCreateDeviceSource,
                                      FormatW(L"有効パッド数 : %d", m_pDevice->GetPadCount()).c_str());
    return 0;
}

void InputManager::AddCommand(const char* name) {
    if (!name) return;
    auto it = m_commands.find(name);
    if (it != m_commands.end()) {
        ++it->second->refCount;
        return;
    }
    auto command = std::make_unique<InputCommand>();
    command->name = name;
    m_commands.emplace(command->name, std::move(command));
    DebugPrint(L"InputManager::AddCommand : コマンド \"%s\" を追加\r\n", name);
}

void InputManager::SubCommand(const char* name) {
    if (!name) return;
    auto it = m_commands.find(name);
    if (it == m_commands.end()) return;
    if (--it->second->refCount > 0) return;
    const std::string removed = it->first;
    m_commands.erase(it);
    DebugPrint(L"InputManager::SubCommand : コマンド \"%s\" を削除\r\n", removed);
}

void InputManager::Bind(BindingMap& bindings, const char* name) {
    if (!name) return;
    AddCommand(name);
    ++bindings[name];
}

void InputManager::Unbind(BindingMap& bindings, const char* name) {
    if (!name) return;
    auto it = bindings.find(name);
    if (it == bindings.end()) return;
    SubCommand(name);
    if (--it->second <= 0) bindings.erase(it);
}

void InputManager::BindKey(int keyCode, const char* name) {
    if (keyCode < 0 || keyCode >= kKeyCount) return;
    Bind(m_keySlots[keyCode], name);
}

void InputManager::UnbindKey(int keyCode, const char* name) {
    if (keyCode < 0 || keyCode >= kKeyCount) return;
    Unbind(m_keySlots[keyCode], name);
}

void InputManager::BindPadButton(int slot, const char* name) {
    if (slot < 0 || slot > kLastBindablePadSlot) return;
    Bind(m_padSlots[0][slot], name);
}

void InputManager::UnbindPadButton(int slot, const char* name) {
    if (slot < 0 || slot > kLastBindablePadSlot) return;
    Unbind(m_padSlots[0][slot], name);
}

void InputManager::BindTable(std::span<const KeyBinding> table) {
    for (const KeyBinding& row : table) {
        BindKey(row.key, row.command);
        BindPadButton(row.pad, row.command);
    }
}

void InputManager::UnbindTable(std::span<const KeyBinding> table) {
    for (const KeyBinding& row : table) {
        UnbindKey(row.key, row.command);
        UnbindPadButton(row.pad, row.command);
    }
}

int InputManager::FindPadButton(const char* name) const {
    if (!name) return -1;
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (m_padSlots[0][slot].count(name)) return slot;
    return -1;
}

const InputManager::InputCommand* InputManager::FindCommand(const char* name) const {
    if (!name) return nullptr;
    auto it = m_commands.find(name);
    return it == m_commands.end() ? nullptr : it->second.get();
}

bool InputManager::IsCommandOn(const char* name) const {
    const InputCommand* command = FindCommand(name);
    return command && command->history.test(command->position);
}

bool InputManager::IsCommandPressed(const char* name) const {
    const InputCommand* command = FindCommand(name);
    if (!command) return false;
    const int previous = (command->position + kHistoryFrames - 1) % kHistoryFrames;
    return command->history.test(command->position) && !command->history.test(previous);
}

void InputManager::ClearCommandStates() {
    for (auto& entry : m_commands) entry.second->history.reset(entry.second->position);
}

void InputManager::Fire(const BindingMap& bindings) {
    for (const auto& binding : bindings) {
        auto it = m_commands.find(binding.first);
        if (it == m_commands.end()) {
            AddCommand(binding.first.c_str());
            it = m_commands.find(binding.first);
        }
        it->second->history.set(it->second->position);
    }
}

void InputManager::Update() {
    for (auto& entry : m_commands) {
        InputCommand& command = *entry.second;
        command.position = (command.position + 1) % kHistoryFrames;
        command.history.reset(command.position);
    }
    if (m_ignoreWhenInactive && g_pEnvironment && !g_pEnvironment->IsWindowActive()) return;
    if (!m_pDevice) return;

    // Only pad 0 is read; the other pads' states stay zero.
    m_pDevice->PollPad(0);
    const InputDevice::PadRecord& record = m_pDevice->GetPadRecord();
    for (int pad = 0; pad < kPadCount; ++pad) {
        const DIJOYSTATE* state = m_pDevice->HasPad(pad) ? &record.states[pad] : nullptr;
        for (int slot = 0; slot < kPadSlots; ++slot) {
            const BindingMap& bindings = m_padSlots[pad][slot];
            if (bindings.empty()) continue;
            const bool down =
                slot < kDirectionSlots
                    ? TestPadAxisDirection(state, record.deadZoneX, record.deadZoneY, 1 << slot)
                    : state && slot - kDirectionSlots < kButtonSlots &&
                          (state->rgbButtons[slot - kDirectionSlots] & 0x80) != 0;
            if (down) Fire(bindings);
        }
    }

    if (!m_pDevice->ReadKeyboard()) return;
    const BYTE* keys = m_pDevice->GetKeyState();
    for (int key = 0; key < kKeyCount; ++key)
        if (keys[key] & 0x80) Fire(m_keySlots[key]);
}

const DIJOYSTATE* InputManager::GetPadState() const {
    if (!m_pDevice || !m_pDevice->HasPad(0)) return nullptr;
    return &m_pDevice->GetPadRecord().states[0];
}

int InputManager::GetPadDeadZoneX() const {
    return m_pDevice ? m_pDevice->GetPadRecord().deadZoneX : InputDevice::kDefaultDeadZone;
}

int InputManager::GetPadDeadZoneY() const {
    return m_pDevice ? m_pDevice->GetPadRecord().deadZoneY : InputDevice::kDefaultDeadZone;
}

bool InputManager::IsPadInputOn(int input) const {
    const DIJOYSTATE* state = GetPadState();
    if (!state || input < 0) return false;
    if (input < kDirectionSlots)
        return TestPadAxisDirection(state, GetPadDeadZoneX(), GetPadDeadZoneY(), 1 << input);
    return input - kDirectionSlots < kButtonSlots && (state->rgbButtons[input - kDirectionSlots] & 0x80) != 0;
}

}  // namespace Quorvex
