// The render parameters' shadow-map sizing and matrix palette.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/core/render/RenderParameter.h"

using Quorvex::RenderParameter;

namespace {

TEST(RenderParameter, ShadowMapSizeIsThePowerOfTwoReachingTheBackBufferWithinTheMaximum) {
    struct Case {
        UINT backBuffer, maximum, size;
    };
    const Case cases[] = {
        {1280, 4096, 2048}, {720, 4096, 1024}, {1280, 1024, 1024}, {720, 1024, 1024},
        {4, 4096, 4},       {3, 4096, 4},      {5, 4096, 8},       {1024, 4096, 1024},
        {1025, 4096, 2048}, {8192, 4096, 4096},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenderParameter::ShadowMapSize(c.backBuffer, c.maximum), c.size) << c.backBuffer << " / " << c.maximum;
}

TEST(RenderParameter, ThePaletteGrowsOnlyAndKeepsItsCapacityAfterARefusal) {
    auto* parameter = new RenderParameter();
    parameter->AddRef();

    const INT_PTR twenty = parameter->ReserveMatrices(20);
    ASSERT_NE(twenty, 0);
    EXPECT_EQ(reinterpret_cast<D3DXMATRIX*>(twenty), parameter->GetMatrices());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(parameter->GetMatrices()) % 16, 0u) << "16-byte aligned";
    EXPECT_EQ(parameter->ReserveMatrices(10), 10) << "enough already";
    EXPECT_EQ(parameter->GetMatrixCapacity(), 20);

    // A refused request leaves the palette and its capacity as they were, so
    // a later smaller request does not answer "reserved" over nothing.
    EXPECT_EQ(parameter->ReserveMatrices(RenderParameter::MaxMatrices), 0);
    EXPECT_EQ(parameter->GetMatrixCapacity(), 20);
    ASSERT_NE(parameter->GetMatrices(), nullptr);
    EXPECT_EQ(parameter->ReserveMatrices(15), 15);
    parameter->GetMatrices()[19] = D3DXMATRIX();

    EXPECT_NE(parameter->ReserveMatrices(64), 0);
    EXPECT_EQ(parameter->GetMatrixCapacity(), 64);
    parameter->Release();
}

}  // namespace
