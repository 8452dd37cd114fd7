// The least managers the scene tree creates: input bindings and the resource
// table.
#include <gtest/gtest.h>

#include "ProbeScene.h"
#include "engine/assets/ResourceManager.h"
#include "engine/assets/devices/InputManager.h"

using scene_test::EnvironmentScope;

namespace {

TEST(InputCommands, BindingsKeepTheirCommandsAlive) {
    EnvironmentScope environment;
    Quorvex::InputManager input;
    ASSERT_EQ(input.Initialize(nullptr, nullptr), 0);

    input.BindKey(0x2C, "Shot1");
    input.BindKey(0x2C, "Shot1");
    input.UnbindKey(0x2C, "Shot1");
    EXPECT_TRUE(input.HasCommand("Shot1")) << "bound twice, unbound once";
    input.UnbindKey(0x2C, "Shot1");
    EXPECT_FALSE(input.HasCommand("Shot1"));
    input.UnbindKey(0x2C, "Shot1");  // not bound: nothing

    input.BindPadButton(5, "Accel");
    input.BindPadButton(31, "Brake");  // beyond the bindable slots
    input.BindKey(256, "Brake");       // beyond the key codes
    EXPECT_EQ(input.FindPadButton("Accel"), 5);
    EXPECT_EQ(input.FindPadButton("Brake"), -1);
    EXPECT_FALSE(input.HasCommand("Brake"));

    EXPECT_FALSE(input.IsCommandOn("Never"));
    EXPECT_FALSE(input.IsCommandPressed("Never"));
    EXPECT_FALSE(input.HasCommand("Never")) << "asking creates nothing";
    input.Update();
    EXPECT_FALSE(input.IsCommandOn("Accel")) << "no device reads a pad yet";
}

// A counted resource that reports its destruction.
class Resource : public IUnknown, public Quorvex::ReferCounter {
public:
    explicit Resource(int* destroyed) : m_destroyed(destroyed) {}
    ~Resource() override { ++*m_destroyed; }
    QUORVEX_IUNKNOWN_BY_REFER_COUNTER
private:
    int* m_destroyed;
};

TEST(ResourceTable, EntriesAreReplacedAndReleasedByTheirReferences) {
    int destroyed = 0;
    Quorvex::ResourceManager* resources = new Quorvex::ResourceManager();
    resources->AddRef();
    Resource* first = new Resource(&destroyed);
    Resource* second = new Resource(&destroyed);
    resources->SetResource("matHud", first);
    resources->SetResource("matHud", second);
    EXPECT_EQ(destroyed, 1) << "the older entry went with the table's reference";
    EXPECT_EQ(resources->GetResource("matHud"), second);
    EXPECT_EQ(resources->GetResource("matNone"), nullptr);

    // A set held elsewhere outlives its entry; the table never releases a
    // reference it no longer holds.
    Quorvex::ResourceSet* held = resources->GetResourceSet("matHud");
    held->AddRef();
    resources->DeleteResource("matHud");
    EXPECT_EQ(resources->GetResourceSet("matHud"), nullptr);
    EXPECT_EQ(held->GetResource(), second);
    resources->SetResource("matNone", new Resource(&destroyed));
    resources->ReleaseAllResources();
    EXPECT_EQ(destroyed, 2);
    held->Release();
    EXPECT_EQ(destroyed, 3);
    resources->Release();
}

}  // namespace
