// Textures from PNG and BMP files: decoding, sizes, colour key, mip chains,
// normal maps, and damaged files.
#include "assets_fixture.h"

namespace {

using assets::MakeBmp;
using assets::MakePng;
using assets::ReadTexels;

// Pixels (r, g, b, a) from ARGB values.
std::vector<uint8_t> Rgba(const std::vector<D3DCOLOR>& argb) {
    std::vector<uint8_t> out;
    for (D3DCOLOR c : argb) out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
    return out;
}

class TextureTest : public DeviceTest {
protected:
    HRESULT Load(const std::vector<uint8_t>& file, IDirect3DTexture9** texture, UINT size = D3DX_DEFAULT,
                 UINT levels = 0, DWORD filter = D3DX_FILTER_POINT, D3DCOLOR key = 0xFFFF00FF,
                 D3DXIMAGE_INFO* info = nullptr) {
        return D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), size, size, levels, 0,
                                                   D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, filter, D3DX_FILTER_POINT, key,
                                                   info, nullptr, texture);
    }
};

TEST_F(TextureTest, FilesDecodeToTheirPixelsAndSizesRoundUpToPowersOfTwo) {
    // A 3 x 2 picture; at power-of-two size 4 x 2 point filtering repeats
    // the middle column (x 1 and 2 both read source column 1).
    const std::vector<D3DCOLOR> pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                          0x80102030, 0xFFFFFFFF, 0xFF000000};
    const std::vector<D3DCOLOR> widened = {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF0000FF,
                                           0x80102030, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000};
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        UINT size;
        UINT width, height, levels;
        D3DXIMAGE_FILEFORMAT format;
        D3DFORMAT fileFormat;
        std::vector<D3DCOLOR> expected;
    };
    std::vector<D3DCOLOR> opaqueWidened = widened;
    opaqueWidened[4] = 0xFF102030;  // BMP has no alpha
    std::vector<D3DCOLOR> opaque = pixels;
    opaque[3] = 0xFF102030;
    const Case cases[] = {
        {"png pow2", MakePng(3, 2, Rgba(pixels)), D3DX_DEFAULT, 4, 2, 3, D3DXIFF_PNG, D3DFMT_A8R8G8B8, widened},
        {"bmp pow2", MakeBmp(3, 2, Rgba(pixels)), D3DX_DEFAULT, 4, 2, 3, D3DXIFF_BMP, D3DFMT_X8R8G8B8, opaqueWidened},
        {"png rgb", MakePng(3, 2, Rgba(pixels), false), D3DX_DEFAULT, 4, 2, 3, D3DXIFF_PNG, D3DFMT_X8R8G8B8,
         opaqueWidened},
        {"png own size", MakePng(3, 2, Rgba(pixels)), D3DX_DEFAULT_NONPOW2, 3, 2, 2, D3DXIFF_PNG, D3DFMT_A8R8G8B8,
         pixels},
        {"bmp own size", MakeBmp(3, 2, Rgba(pixels)), D3DX_FROM_FILE, 3, 2, 2, D3DXIFF_BMP, D3DFMT_X8R8G8B8, opaque},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = nullptr;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(Load(c.file, &texture, c.size, 0, D3DX_FILTER_POINT, 0, &info), D3D_OK);
        EXPECT_EQ(info.Width, 3u);
        EXPECT_EQ(info.Height, 2u);
        EXPECT_EQ(info.ImageFileFormat, c.format);
        EXPECT_EQ(info.Format, c.fileFormat);
        EXPECT_EQ(texture->GetLevelCount(), c.levels);
        UINT w = 0, h = 0;
        EXPECT_EQ(ReadTexels(texture, 0, w, h), c.expected);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        ReadTexels(texture, c.levels - 1, w, h);
        EXPECT_EQ(w * h, 1u) << "the chain ends at 1 x 1";
        texture->Release();
    }
}

TEST_F(TextureTest, ColourKeyMakesMagentaTransparentBlack) {
    const std::vector<D3DCOLOR> pixels = {0xFFFF00FF, 0xFF00FF00, 0xFEFF00FF, 0xFFFF00FF};
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        D3DCOLOR key;
        std::vector<D3DCOLOR> expected;
    };
    const Case cases[] = {
        // Only the exact ARGB value is keyed: alpha 0xFE stays.
        {"png", MakePng(2, 2, Rgba(pixels)), 0xFFFF00FF, {0, 0xFF00FF00, 0xFEFF00FF, 0}},
        {"bmp", MakeBmp(2, 2, Rgba(pixels)), 0xFFFF00FF, {0, 0xFF00FF00, 0, 0}},
        {"no key", MakePng(2, 2, Rgba(pixels)), 0, pixels},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(Load(c.file, &texture, D3DX_DEFAULT, 0, D3DX_FILTER_POINT, c.key), D3D_OK);
        UINT w, h;
        EXPECT_EQ(ReadTexels(texture, 0, w, h), c.expected);
        // The key is applied before the smaller levels are made from level 0.
        EXPECT_EQ(ReadTexels(texture, 1, w, h), std::vector<D3DCOLOR>{c.expected[0]});
        texture->Release();
    }
}

TEST_F(TextureTest, MipLevelsFollowTheRequestAndBoxFilterAverages) {
    std::vector<D3DCOLOR> checker(16);
    for (int i = 0; i < 16; ++i) checker[i] = ((i % 4) + (i / 4)) % 2 ? 0xFFFFFFFF : 0xFF000000;
    const auto file = MakePng(4, 4, Rgba(checker));
    for (UINT requested : {0u, 1u, 2u, D3DX_DEFAULT, 9u}) {
        SCOPED_TRACE(requested);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                      D3DX_DEFAULT, requested, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                      D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0, nullptr, nullptr,
                                                      &texture),
                  D3D_OK);
        const UINT expected = requested == 0 || requested == D3DX_DEFAULT || requested > 3 ? 3 : requested;
        ASSERT_EQ(texture->GetLevelCount(), expected);
        if (expected > 1) {
            UINT w, h;
            const auto level1 = ReadTexels(texture, 1, w, h);
            ASSERT_EQ(level1.size(), 4u);
            for (D3DCOLOR c : level1) EXPECT_NEAR(int(c & 0xFF), 128, 1) << std::hex << c;
        }
        texture->Release();
    }
}

TEST_F(TextureTest, EmptyTexturesTakeDefaults) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device_, D3DX_DEFAULT, 16, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 9u);
    texture->Release();
}

TEST_F(TextureTest, NormalMapTiltsAgainstTheRedRamp) {
    // Red rises by 1/7 per texel to the right; green and blue are noise the
    // red channel must ignore.
    std::vector<D3DCOLOR> ramp(64);
    for (int i = 0; i < 64; ++i) ramp[i] = D3DCOLOR_ARGB(255, (i % 8) * 255 / 7, (i * 37) % 256, (i * 91) % 256);
    const auto file = MakeBmp(8, 8, Rgba(ramp));
    IDirect3DTexture9* source = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                  D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &source),
              D3D_OK);
    struct Case {
        float amplitude;
        DWORD flags;
        int red, green, blue;  // of an inner texel
    };
    // n = normalise(-amplitude * (1/7), 0, 1), stored as n * 0.5 + 0.5.
    const Case cases[] = {
        {1.0f, 0, 110, 128, 254},
        {7.0f, 0, 38, 128, 218},
        {7.0f, D3DX_NORMALMAP_INVERTSIGN, 218, 128, 218},
        {0.0f, 0, 128, 128, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amplitude);
        IDirect3DTexture9* normals = nullptr;
        ASSERT_EQ(D3DXCreateTexture(device_, 8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &normals), D3D_OK);
        ASSERT_EQ(D3DXComputeNormalMap(normals, source, nullptr, c.flags, D3DX_CHANNEL_RED, c.amplitude), D3D_OK);
        UINT w, h;
        const auto texels = ReadTexels(normals, 0, w, h);
        for (int y : {0, 3, 7}) {
            for (int x : {2, 5}) {
                const D3DCOLOR t = texels[size_t(y) * 8 + x];
                EXPECT_NEAR(int((t >> 16) & 0xFF), c.red, 1) << x << "," << y;
                EXPECT_NEAR(int((t >> 8) & 0xFF), c.green, 1) << x << "," << y;
                EXPECT_NEAR(int(t & 0xFF), c.blue, 1) << x << "," << y;
            }
        }
        // At the left edge the height wraps round from the top of the ramp.
        if (c.amplitude > 0 && c.flags == 0) {
            EXPECT_GT(int((texels[0] >> 16) & 0xFF), 128);
        }
        normals->Release();
    }
    source->Release();
}

TEST_F(TextureTest, DamagedFilesFailWithoutATexture) {
    std::vector<D3DCOLOR> pixels(64, 0xFF336699);
    const auto png = MakePng(8, 8, Rgba(pixels));
    const auto bmp = MakeBmp(8, 8, Rgba(pixels));
    auto cut = [](std::vector<uint8_t> v, size_t n) {
        v.resize(n);
        return v;
    };
    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131 + 7);
    std::vector<uint8_t> hugePng = png;
    hugePng[16] = 0x7F;  // width of 2 billion in the header
    std::vector<uint8_t> hugeBmp = bmp;
    hugeBmp[21] = 0x40;  // width above a million
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"png cut in the pixels", cut(png, png.size() - 40)},
        {"png cut in the header", cut(png, 20)},
        {"bmp cut in the pixels", cut(bmp, 80)},
        {"bmp cut in the header", cut(bmp, 30)},
        {"garbage", garbage},
        {"one byte", {0x42}},
        {"png of enormous width", hugePng},
        {"bmp of enormous width", hugeBmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_TRUE(FAILED(Load(c.file, &texture)));
        EXPECT_EQ(texture, nullptr);
    }
    D3DXIMAGE_INFO info;
    EXPECT_TRUE(FAILED(D3DXGetImageInfoFromFileInMemory(garbage.data(), UINT(garbage.size()), &info)));
    IDirect3DTexture9* texture = nullptr;
    EXPECT_TRUE(FAILED(Load({}, &texture)));  // an empty file
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileExW(device_, L"no/such/file.png", D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                                    D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                    D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture)));
    EXPECT_EQ(texture, nullptr);
}

}  // namespace
