// A vertical menu of Pause_SelectUnit items with a cursor. It binds the menu
// commands, moves the cursor over the enabled items with wrap-around and runs
// the selected entry's callback once on "SelectEnter"; after that it reads no
// input until it is opened again or its fired flag is cleared. The list is
// shown and takes input only while its state equals its active state, so
// several lists of one owner can share a state value.
#pragma once
#include <functional>
#include <vector>

#include "engine/core/Object.h"
#include "platform/d3dx9/d3dx9.h"

namespace Quorvex {
class InputManager;
class ObjectManager;
}  // namespace Quorvex

class Pause_SelectUnit;

class Pause_SelectListBase : public Quorvex::Object {
public:
    using Callback = std::function<void()>;

    // One entry: the item (the entry takes a reference) and what choosing it
    // does.
    struct SelectUnitSet {
        SelectUnitSet(Pause_SelectUnit* item, Callback callback);
        // Releases the item and clears the callback.
        ~SelectUnitSet();
        SelectUnitSet(const SelectUnitSet&) = delete;
        SelectUnitSet& operator=(const SelectUnitSet&) = delete;

        Pause_SelectUnit* item = nullptr;
        Callback callback;
    };

    // Registered with the object manager at once. The input manager is
    // referenced while the list lives.
    Pause_SelectListBase(Quorvex::ObjectManager* manager, Quorvex::InputManager* input);
    ~Pause_SelectListBase() override;

    // Binds the menu commands: 0, or -1 without an input manager.
    int Initialize(int param) override;
    // Close, destroys every entry (the items leave the object manager) and
    // undoes the bindings of Initialize.
    void Finalize() override;
    // Cursor and confirmation; only while the state is the active state and
    // nothing has fired.
    void Update(float timeStep) override;

    // SetState(state); when it is the active state: every item shown, cursor
    // on the first item, which is selected, fired cleared.
    virtual void Open(int state);
    // Hides every item when the state is the active state.
    virtual void Close();
    // Stores the state and passes it to every item's SetType.
    virtual void SetState(int state);

    int GetState() const { return m_state; }
    int GetActiveState() const { return m_activeState; }
    int GetCursor() const { return m_cursor; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    Pause_SelectUnit* GetItem(int index) const;
    bool IsFired() const { return m_fired; }
    // The owner clears it when it wants input again without reopening.
    void SetFired(bool fired) { m_fired = fired; }
    Quorvex::InputManager* GetInputManager() const { return m_pInput; }

protected:
    // Building a list: the new item is wrapped with its callback and
    // initialised at the position (layout units). Answers false when the
    // item's Initialize failed: the entry is then destroyed, the item leaves
    // the object manager and the caller stops adding items.
    bool AppendItem(Pause_SelectUnit* item, Callback callback, float x, float y);
    // Set by subclass constructors; 1 by default.
    void SetActiveState(int state) { m_activeState = state; }

private:
    // Moves the cursor by one step (-1 up, +1 down) with wrap-around until
    // it rests on an enabled item; stops after one full turn when none is.
    void StepCursor(int direction);
    bool IsEnabledAt(int index) const;
    void ReleaseEntries();
    void Unbind();

    Quorvex::InputManager* m_pInput = nullptr;  // counted
    int m_state = 0;
    std::vector<SelectUnitSet*> m_entries;  // display order, owned
    int m_cursor = 0;
    int m_activeState = 1;
    bool m_fired = false;
    bool m_bound = false;
};
