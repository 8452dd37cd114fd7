#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RecordingDevice.h"
#include "engine/assets/shaders/ShaderManager.h"
#include "engine/assets/shaders/Shader_CopyTexture.h"
#include "engine/assets/shaders/Shader_Sprite3D.h"
#include "engine/core/Environment.h"

using assets_test::RecordingDevice;
using assets_test::SizedTexture;
using namespace Quorvex;

namespace {

// A shader that records the fog it is told and the order in which shaders
// are told, and reports its destruction.
class ProbeShader : public ShaderAdapter {
public:
    ProbeShader(ShaderManager* manager, const char* name, std::vector<std::string>* log, bool* destroyed = nullptr)
        : ShaderAdapter(nullptr, manager), log_(log), destroyed_(destroyed) {
        m_name = name;
    }
    ~ProbeShader() override {
        if (destroyed_) *destroyed_ = true;
    }
    int LoadShader() override { return 0; }
    int Apply(IPrimitive*, int, int) override { return 0; }
    void SetFog(const FogParam& fog) override {
        if (log_) log_->push_back(m_name + ":" + std::to_string(fog.enable));
    }

private:
    std::vector<std::string>* log_;
    bool* destroyed_;
};

struct Manager {
    RecordingDevice device;
    ShaderManager* manager = new ShaderManager();
    Manager() {
        manager->AddRef();
        manager->SetDevice(&device);
    }
    ~Manager() { manager->Release(); }
    ShaderManager* operator->() const { return manager; }
};

}  // namespace

TEST(ShaderManager, BlendPresetsSetTheirTwoFactors) {
    struct Case {
        int mode;
        D3DBLEND source;
        D3DBLEND destination;
    };
    const Case cases[] = {
        {1, D3DBLEND_ONE, D3DBLEND_ZERO},          {2, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
        {3, D3DBLEND_SRCALPHA, D3DBLEND_ONE},      {4, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
        {5, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},     {6, D3DBLEND_ONE, D3DBLEND_ONE},
        {7, D3DBLEND_DESTCOLOR, D3DBLEND_ONE},     {8, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
        {9, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Manager m;
        m->SetBlendMode(0);  // leaves the cached 1, so that mode 1 is set too
        EXPECT_EQ(m->SetBlendMode(c.mode), 0);
        EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 1);
        EXPECT_EQ(m.device.LastOf(D3DRS_SRCBLEND), static_cast<DWORD>(c.source));
        EXPECT_EQ(m.device.LastOf(D3DRS_DESTBLEND), static_cast<DWORD>(c.destination));
        // Only the two factors: blending itself is switched elsewhere.
        EXPECT_EQ(m.device.states.size(), 2u);
    }
}

TEST(ShaderManager, BlendCacheKnowsOnlyTheLastMode) {
    Manager m;
    m->SetBlendMode(1);  // cached at construction without being set
    EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 0);

    m->SetBlendMode(2);
    m->SetBlendMode(4);  // same factors, another mode: set again
    EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 2);
    m->SetBlendMode(4);
    EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 2);

    m->SetBlendMode(0);  // outside the table: cached, nothing set
    m->SetBlendMode(0);
    EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 2);
    EXPECT_EQ(m->GetBlendMode(), 0);
    m->SetBlendMode(1);
    EXPECT_EQ(m.device.CountOf(D3DRS_SRCBLEND), 3);
    EXPECT_EQ(m.device.LastOf(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
}

TEST(ShaderManager, FogReachesDeviceAndEveryShaderInNameOrder) {
    Manager m;
    std::vector<std::string> told;
    for (const char* name : {"b", "a", "c"}) {
        ProbeShader* shader = new ProbeShader(m.manager, name, &told);
        shader->AddRef();
        m->AddShader(shader);
        shader->Release();
    }

    m->SetFog(FogParam{0, 1000.0f, 200.0f, 0xFF112233});
    EXPECT_EQ(told, (std::vector<std::string>{"a:0", "b:0", "c:0"}));
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(m.device.CountOf(D3DRS_FOGCOLOR), 0);

    told.clear();
    m->SetFog(FogParam{1, 1000.0f, 200.0f, 0xFF112233});
    EXPECT_EQ(told, (std::vector<std::string>{"a:1", "b:1", "c:1"}));
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGCOLOR), 0xFF112233u);
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_LINEAR));
    // Start and end stay with the effects.
    EXPECT_EQ(m.device.CountOf(D3DRS_FOGSTART), 0);
    EXPECT_EQ(m.device.CountOf(D3DRS_FOGEND), 0);

    // Fog off for a pass keeps the scene's record for the next group.
    told.clear();
    m->SetFogOff();
    EXPECT_EQ(told, (std::vector<std::string>{"a:0", "b:0", "c:0"}));
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(m->GetFog().enable, 1);
    EXPECT_EQ(m->GetFog().color, 0xFF112233u);
    m->ReapplyFog();
    EXPECT_EQ(m.device.LastOf(D3DRS_FOGENABLE), 1u);
}

TEST(ShaderManager, RegistryReplacesRemovesAndReleasesByName) {
    bool firstGone = false, secondGone = false;
    {
        Manager m;
        ProbeShader* first = new ProbeShader(m.manager, "Same", nullptr, &firstGone);
        first->AddRef();
        m->AddShader(first);
        first->Release();
        EXPECT_EQ(m->GetShader("Same"), first);

        ProbeShader* second = new ProbeShader(m.manager, "Same", nullptr, &secondGone);
        second->AddRef();
        m->AddShader(second);
        EXPECT_TRUE(firstGone);
        EXPECT_EQ(m->GetShader("Same"), second);
        EXPECT_EQ(second->GetRefCount(), 2);  // GetShader adds none
        // Adding the registered shader again keeps it alive.
        m->AddShader(second);
        EXPECT_FALSE(secondGone);
        EXPECT_EQ(second->GetRefCount(), 2);
        second->Release();

        EXPECT_EQ(m->GetShader("Missing"), nullptr);
        EXPECT_EQ(m->RemoveShader("Missing"), 1);
        EXPECT_EQ(m->GetShaderCount(), 1);
    }
    EXPECT_TRUE(secondGone);  // the manager's destruction releases the rest
}

TEST(ShaderAdapter, EffectFileIsReadAtItsPathWithTheRedirectFlagKept) {
    Environment* environment = new Environment();
    environment->AddRef();
    Environment* previous = g_pEnvironment;
    g_pEnvironment = environment;

    const auto file = std::filesystem::temp_directory_path() / "orv_assets_effect.cfx";
    std::ofstream(file, std::ios::binary) << "technique";
    for (bool redirect : {true, false}) {
        SCOPED_TRACE(redirect);
        environment->SetFileRedirect(redirect);
        std::vector<BYTE> bytes;
        DWORD size = 0;
        EXPECT_EQ(ShaderAdapter::LoadFile(L"/nonexistent/orv/none.cfx", bytes, &size), -1);
        EXPECT_EQ(environment->IsFileRedirect(), redirect);
        EXPECT_EQ(ShaderAdapter::LoadFile(file.wstring().c_str(), bytes, &size), 0);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "technique");
        EXPECT_EQ(environment->IsFileRedirect(), redirect);
    }
    std::filesystem::remove(file);

    g_pEnvironment = previous;
    environment->Release();
}

TEST(Shader_CopyTexture, SourceTextureIsHeldOnceAndReplaced) {
    Manager m;
    SizedTexture first(4, 4), second(4, 4);
    Shader_CopyTexture* shader = new Shader_CopyTexture(m.manager);
    shader->AddRef();
    EXPECT_STREQ(shader->GetName(), "CopyTexture");
    shader->SetTexture(&first);
    shader->SetTexture(&first);
    EXPECT_EQ(first.refs, 2u);
    shader->SetTexture(&second);
    EXPECT_EQ(first.refs, 1u);
    EXPECT_EQ(second.refs, 2u);
    shader->SetTexture(nullptr);
    EXPECT_EQ(second.refs, 1u);
    shader->SetTexture(&second);
    shader->Release();
    EXPECT_EQ(second.refs, 1u);  // released with the shader
}

TEST(Shader_Sprite3D, FogVectorFromFarAndNear) {
    struct Case {
        float farValue, nearValue, x, y;
    };
    const Case cases[] = {
        {1000.0f, 200.0f, 1.25f, -0.00125f},
        {100.0f, 0.0f, 1.0f, -0.01f},
        // Equal distances would divide by zero: no fog instead.
        {500.0f, 500.0f, 1.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const D3DXVECTOR4 v = Shader_Sprite3D::FogVector(c.farValue, c.nearValue);
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
    }
}
