// A ready-made render object that draws one 2D sprite in a named render group
// with a blend preset, and a set of them moved, shown and hidden together.
#pragma once
#include <string>
#include <vector>

#include "engine/assets/Sprite2DInfo.h"
#include "engine/core/ReferCounter.h"
#include "engine/core/RenderObject.h"

namespace Quorvex {

class ObjectManager;

class RenderObjectSpr2D : public RenderObject {
public:
    explicit RenderObjectSpr2D(ObjectManager* manager);
    ~RenderObjectSpr2D() override;

    // A new object with one reference, initialised; null when that failed.
    static RenderObjectSpr2D* Create(ObjectManager* manager);

    // Group "Sprite2D", draw priority 0, blend preset 2: 0.
    int Initialize(int param) override;
    // On a job thread: the blend preset (the open batch drawn first when it
    // changes), then the sprite.
    void Render(CalcVertexSet* list) override;
    // Joins the stage of the group name when the object manager has one
    // (leaving the current stage); shown in any case. Answers 0.
    virtual int Show();
    // Leaves the stage; hidden.
    virtual void Hide();
    // Stores the group name and moves into its stage when there is one.
    void SetRenderStage(const char* name);
    using RenderObject::SetRenderStage;

    bool IsShown() const { return m_shown; }
    const std::string& GetGroupName() const { return m_groupName; }

    Sprite2DInfo m_sprite;
    // A preset of ShaderManager::SetBlendMode.
    int m_blendMode = 2;

private:
    RenderStage* FindStage() const;

    std::string m_groupName;
    bool m_shown = false;
};

class RenderObjectSpr2DGroup : public IUnknown, public ReferCounter {
public:
    struct Entry {
        RenderObjectSpr2D* sprite;  // counted
        float offsetX;
        float offsetY;
    };

    // A new group with one reference.
    static RenderObjectSpr2DGroup* Create();
    // Releases every member.
    ~RenderObjectSpr2DGroup() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
    virtual int GetRefCount() { return GetReferenceCount(); }

    // Show on every member in order: 0.
    virtual int ShowAll();
    virtual void HideAll();

    // Appends a member (referenced) with its offset from the group position.
    void Add(RenderObjectSpr2D* sprite, float offsetX, float offsetY);
    const std::vector<Entry>& GetEntries() const { return m_entries; }

private:
    RenderObjectSpr2DGroup() = default;

    std::vector<Entry> m_entries;
};

// Every member's position = its offset + (x / client width, y / client height).
void SetSpr2DGroupPosition(float x, float y, RenderObjectSpr2DGroup* group);

}  // namespace Quorvex
