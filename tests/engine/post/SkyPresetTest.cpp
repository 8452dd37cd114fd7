// The sky look presets: which layer gets which extra materials, and the tint.
#include <gtest/gtest.h>

#include "engine/assets/AdditionalMaterial.h"
#include "engine/assets/BlendAdditionalMaterial.h"
#include "engine/assets/MaterialUnit.h"

using Quorvex::AdditionalMaterial;
using Quorvex::BlendAdditionalMaterial;
using Quorvex::MaterialUnit;
using Quorvex::SkyMaterialLayers;

namespace {

TEST(SkyPreset, TintBlendsInSinglePrecisionBetweenTheTwoLooks) {
    struct Case {
        int typeA, typeB;
        float t;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {1, 2, 0.0f, 0x00804020},  // t = 0: exactly the B look
        {1, 2, 1.0f, 0x80FFA080},  // t = 1: exactly the A look
        {1, 2, 0.5f, 0x40BF7050},  // 191 red: the sum stays below 191.5
        {3, 5, 0.5f, 0x80606080},
        {6, 0, 0.25f, 0xFFFFA080},
        {12, 9, 1.0f, 0xFFFFA080},  // above 9: as 0
        {4, 7, 1.0f, 0x80FFA080},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Quorvex::BlendSkyTint(c.typeA, c.typeB, c.t), c.expected)
            << c.typeA << " " << c.typeB << " " << c.t;
}

class SkyLayers : public ::testing::Test {
protected:
    void SetUp() override {
        night_ = new MaterialUnit("matSkyNight");
        night_->AddRef();
        white_ = new MaterialUnit("matSkyWhite");
        white_->AddRef();
        normal_.Append(night_);
        type5_.Append(white_);
        sky_.m_pLayers[SkyMaterialLayers::LayerB] = &layerB_;
        sky_.m_pLayers[SkyMaterialLayers::LayerA] = &layerA_;
        sky_.m_pNormalSource = &normal_;
        sky_.m_pType5Source = &type5_;
        sky_.m_pTintTarget = &tint_;
    }
    void TearDown() override {
        layerA_.clear();
        layerB_.clear();
        normal_.Clear();
        type5_.Clear();
        EXPECT_EQ(night_->Release(), 0u);
        EXPECT_EQ(white_->Release(), 0u);
    }
    // The first material of a layer's first record, or null for an empty list.
    static MaterialUnit* Carried(const std::vector<AdditionalMaterial>& layer) {
        return layer.empty() || layer[0].materials.empty() ? nullptr : layer[0].materials[0];
    }

    MaterialUnit* night_ = nullptr;
    MaterialUnit* white_ = nullptr;
    AdditionalMaterial normal_, type5_;
    std::vector<AdditionalMaterial> layerB_, layerA_;
    D3DCOLOR tint_ = 0x12345678;
    SkyMaterialLayers sky_;
};

TEST_F(SkyLayers, EachLayerLoadsItsLookOnlyWhenTheFactorShowsIt) {
    // t = 0 shows only B: layer A is left alone.
    BlendAdditionalMaterial(&sky_, 5, 1, 0.0f);
    EXPECT_EQ(Carried(layerB_), night_);
    EXPECT_TRUE(layerA_.empty());
    EXPECT_EQ(sky_.m_layerType[SkyMaterialLayers::LayerA], 0);
    EXPECT_EQ(tint_, 0x80FFA080u);
    EXPECT_EQ(night_->GetRefCount(), 3) << "ours, the source's, layer B's";

    // Between the two, A loads type 5's list.
    BlendAdditionalMaterial(&sky_, 5, 1, 0.5f);
    EXPECT_EQ(Carried(layerA_), white_);
    for (float field : sky_.m_blend) EXPECT_EQ(field, 0.5f);
    EXPECT_EQ(night_->GetRefCount(), 3) << "layer B was not loaded again";

    // t = 1 shows only A: a new B look waits.
    BlendAdditionalMaterial(&sky_, 5, 4, 1.0f);
    EXPECT_EQ(Carried(layerB_), night_);
    EXPECT_EQ(sky_.m_layerType[SkyMaterialLayers::LayerB], 1);

    // Type 4 tints as type 1 but carries no extra material.
    BlendAdditionalMaterial(&sky_, 5, 4, 0.0f);
    EXPECT_TRUE(layerB_.empty());
    EXPECT_EQ(night_->GetRefCount(), 2) << "layer B's reference is let go";
    EXPECT_EQ(tint_, 0x80FFA080u);
}

}  // namespace
