// Game input as named commands: keys and pad controls are bound to command
// names, and each frame the manager sets the current bit of every command whose
// bound key or control is down. Game code asks whether a command is held or was
// pressed this frame and never sees a device.
#pragma once
#include <array>
#include <bitset>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class InputDevice;

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

    // Sets up the device, then the command history and the key and pad slots:
    // 0, or -1 when the device cannot be set up.
    int Initialize(HWND window, HINSTANCE instance);
    // The keyboard, pad and mouse readers: 0, -1 when out of memory, -2 when
    // DirectInput cannot be set up (logged). Logs the number of pads found.
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

    // A command with a key and a slot of pad 0 (-1 for none of either); a
    // command with more keys takes a row for each.
    struct KeyBinding {
        const char* command;
        int key;
        int pad;
    };
    // Every row of the table; unbinding the same table undoes it.
    void BindTable(std::span<const KeyBinding> table);
    void UnbindTable(std::span<const KeyBinding> table);

    // Never change the command table, so job threads may ask while the main
    // thread waits for them.
    bool IsCommandOn(const char* name) const;
    bool IsCommandPressed(const char* name) const;
    // Whether a command of the name exists.
    bool HasCommand(const char* name) const { return FindCommand(name) != nullptr; }

    // Nothing reads as held or pressed until the next Update.
    void ClearCommandStates();
    // Once per frame, after the scene tree's update: reads pad 0 and the
    // keyboard and sets the current bit of every command bound to what is down.
    void Update();

    // Pad 0 as game code reads it: its state as of the last Update (null when
    // no pad was found at set-up), its dead zones, and whether pad input i is
    // held (0-3 the stick left, up, right, down; 4 + b button b).
    const DIJOYSTATE* GetPadState() const;
    int GetPadDeadZoneX() const;
    int GetPadDeadZoneY() const;
    bool IsPadInputOn(int input) const;

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
    // Sets this frame's bit of every command bound in the map.
    void Fire(const BindingMap& bindings);

    InputDevice* m_pDevice = nullptr;

    std::map<std::string, std::unique_ptr<InputCommand>> m_commands;
    std::array<BindingMap, kKeyCount> m_keySlots;
    std::array<std::array<BindingMap, kPadSlots>, kPadCount> m_padSlots;
    bool m_ignoreWhenInactive = true;
};

}  // namespace Quorvex
