// Game input as named commands: keys and pad controls are bound to command
// names, and each frame the manager sets the current bit of every command whose
// bound key or control is down. Game code asks whether a command is held or was
// pressed this frame and never sees a device.
#pragma once
#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class InputManager : public IUnknown, public ReferCounter {
public:
    static constexpr int kHistoryFrames = 128;
    static constexpr int kKeyCount = 256;   // one slot per keyboard key code
    static constexpr int kPadCount = 10;
    static constexpr int kPadSlots = 64;    // 0-3 stick left, up, right, down; 4 + b button b
    static constexpr int kLastBindablePadSlot = 30;

    InputManager();
    ~InputManager() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    int GetRefCount() const { return GetReferenceCount(); }

    // Sets up the command history and the key and pad slots, then the device:
    // 0, or -1 when the device cannot be set up.
    int Initialize(HWND window, HINSTANCE instance);
    // The keyboard and pad readers. Until the device layer exists no device is
    // opened, so no key or pad ever fires: 0.
    int CreateInputDevice(HINSTANCE instance, HWND window);

    // A command lives while bindings or explicit additions hold it.
    void AddCommand(const char* name);
    void SubCommand(const char* name);

    void BindKey(int keyCode, const char* name);
    void UnbindKey(int keyCode, const char* name);
    // Pad 0's slot; slots above 30 are ignored.
    void BindPadButton(int slot, const char* name);
    void UnbindPadButton(int slot, const char* name);
    // Lowest slot of pad 0 bound to the name, -1 when none.
    int FindPadButton(const char* name) const;

    // Never change the command table, so job threads may ask while the main
    // thread waits for them.
    bool IsCommandOn(const char* name) const;
    bool IsCommandPressed(const char* name) const;
    // Whether a command of the name exists.
    bool HasCommand(const char* name) const { return FindCommand(name) != nullptr; }

    // Nothing reads as held or pressed until the next Update.
    void ClearCommandStates();
    // Once per frame, after the scene tree's update.
    void Update();

    // While set (the default), no input is taken when the window is inactive.
    void SetInactiveWindowFlag(bool on) { m_ignoreWhenInactive = on; }
    bool GetInactiveWindowFlag() const { return m_ignoreWhenInactive; }

private:
    struct InputCommand {
        std::string name;
        int refCount = 1;
        std::bitset<kHistoryFrames> history;
        int position = 0;
    };
    using BindingMap = std::map<std::string, int>;

    void Bind(BindingMap& bindings, const char* name);
    void Unbind(BindingMap& bindings, const char* name);
    const InputCommand* FindCommand(const char* name) const;

    std::map<std::string, std::unique_ptr<InputCommand>> m_commands;
    std::array<BindingMap, kKeyCount> m_keySlots;
    std::array<std::array<BindingMap, kPadSlots>, kPadCount> m_padSlots;
    bool m_ignoreWhenInactive = true;
};

}  // namespace Quorvex
