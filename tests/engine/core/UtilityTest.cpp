#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "engine/core/Environment.h"
#include "engine/core/FileBytes.h"
#include "engine/core/Utility.h"

using namespace Quorvex;

namespace {

D3DXQUATERNION AxisAngle(D3DXVECTOR3 axis, float angle) {
    D3DXQUATERNION q;
    D3DXVec3Normalize(&axis, &axis);
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return q;
}

TEST(Utility, RotateByQuaternionMatchesTheRotationMatrix) {
    const D3DXQUATERNION rotations[] = {
        AxisAngle(D3DXVECTOR3(0, 1, 0), 1.5707964f),
        AxisAngle(D3DXVECTOR3(1, 0, 0), 0.3f),
        AxisAngle(D3DXVECTOR3(0, 0, 1), -2.0f),
        AxisAngle(D3DXVECTOR3(1, 2, 3), 2.5f),
        YawPitchRollQuaternion(0.7f, -0.4f, 1.1f),
    };
    const D3DXVECTOR3 vectors[] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(-3, 4, 12)};
    for (const D3DXQUATERNION& q : rotations) {
        D3DXMATRIX m;
        D3DXMatrixRotationQuaternion(&m, &q);
        for (const D3DXVECTOR3& v : vectors) {
            D3DXVECTOR3 expected;
            D3DXVec3TransformNormal(&expected, &v, &m);
            const D3DXVECTOR3 got = RotateByQuaternion(v, q);
            EXPECT_NEAR(got.x, expected.x, 1e-4f);
            EXPECT_NEAR(got.y, expected.y, 1e-4f);
            EXPECT_NEAR(got.z, expected.z, 1e-4f);
        }
    }
    const D3DXVECTOR3 zero = RotateByQuaternion(D3DXVECTOR3(0, 0, 0), rotations[3]);
    EXPECT_EQ(zero, D3DXVECTOR3(0, 0, 0));
}

TEST(Utility, RandomFractionStaysBelowOne) {
    constexpr int kTop = (1 << 30) - 1;
    for (int value : {kTop, kTop - 1, kTop - 31, kTop - 32, kTop - 64, 1 << 29, 1, 0}) {
        const float f = RandomFraction(value);
        EXPECT_GE(f, 0.0f) << value;
        EXPECT_LT(f, 1.0f) << value;
    }
    EXPECT_EQ(RandomFraction(0), 0.0f);
    EXPECT_EQ(RandomFraction(1 << 29), 0.5f);

    CrtSrand(0);
    int highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const int r = RandomInt();
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 1 << 30);
        highest = std::max(highest, r);
        const float f = RandomFloat();
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
    }
    EXPECT_GT(highest, 1 << 29) << "both halves are drawn";
}

TEST(Utility, XorBufferTailsAndInvolution) {
    constexpr DWORD kKey = 0xA1B2C3D4u;
    const BYTE lowToHigh[4] = {0xD4, 0xC3, 0xB2, 0xA1};
    const BYTE tail[3] = {0xA1, 0xB2, 0xC3};  // highest byte first
    for (DWORD length = 0; length <= 23; ++length) {
        std::vector<BYTE> data(24, 0);
        XorBuffer(length, kKey, data.data(), 0);
        for (DWORD i = 0; i < 24; ++i) {
            BYTE expected = 0;
            if (i < length / 4 * 4)
                expected = lowToHigh[i % 4];
            else if (i < length)
                expected = tail[i - length / 4 * 4];
            EXPECT_EQ(data[i], expected) << "length " << length << " byte " << i;
        }
    }
    std::vector<BYTE> a(6, 0), b(6, 0);
    XorBuffer(6, kKey, a.data(), 0);
    XorBuffer(0, kKey, b.data(), 6);
    EXPECT_EQ(a, b) << "length 0 means the default length";

    std::vector<BYTE> data;
    for (int i = 0; i < 23; ++i) data.push_back(static_cast<BYTE>(i * 37 + 5));
    const std::vector<BYTE> original = data;
    XorBuffer(23, kKey, data.data(), 0);
    EXPECT_NE(data, original);
    XorBuffer(23, kKey, data.data(), 0);
    EXPECT_EQ(data, original);
}

TEST(Utility, DigitsAndNumberTexts) {
    struct Count {
        int64_t n;
        int digits;
    };
    for (const Count c : {Count{0, 1}, Count{9, 1}, Count{10, 2}, Count{999, 3}, Count{1000, 4}, Count{-7, 2},
                          Count{-10, 3}, Count{INT_MAX, 10}, Count{INT_MIN, 11}}) {
        EXPECT_EQ(DigitCount(static_cast<int>(c.n)), c.digits) << c.n;
    }
    for (const Count c : {Count{999999999999999LL, 15}, Count{1000000000000000LL, 16}, Count{9999999999999999LL, 16},
                          Count{INT64_MAX, 19}, Count{INT64_MIN, 20}, Count{-1, 2}}) {
        EXPECT_EQ(DigitCount64(c.n), c.digits) << c.n;
    }

    struct Digit {
        int64_t n;
        int k;
        int digit;
    };
    for (const Digit d : {Digit{1234, 0, 4}, Digit{1234, 3, 1}, Digit{1234, 4, -1}, Digit{0, 0, 0}, Digit{0, 1, -1},
                          Digit{9000000000000000000LL, 18, 9}, Digit{-5, 1, -1}}) {
        EXPECT_EQ(DigitAt(d.n, d.k), d.digit) << d.n << " k " << d.k;
    }

    EXPECT_EQ(FormatInt(8, 42), "      42");
    EXPECT_EQ(FormatInt(0, -7), "-7");
    EXPECT_EQ(FormatInt(2, 12345), "12345");
    EXPECT_EQ(FormatInt64(-9000000000LL), "-9000000000");
    EXPECT_EQ(FormatFloat(1.5f), "1.500000");
    EXPECT_EQ(FormatFloat(-0.25f), "-0.250000");
}

TEST(Utility, AnglesAndDirections) {
    EXPECT_NEAR(WrapAngle(-0.5f), 5.7831855f, 1e-5f);
    EXPECT_NEAR(WrapAngle(7.0f), 7.0f - 6.2831855f, 1e-5f);
    const float tiny = WrapAngle(-1e-9f);
    EXPECT_GE(tiny, 0.0f);
    EXPECT_LT(tiny, 6.2831855f);

    const D3DXVECTOR3 up = DirectionToAngles(D3DXVECTOR3(0, 1, 0));
    EXPECT_NEAR(up.x, -1.5707964f, 1e-6f);
    const D3DXVECTOR3 right = DirectionToAngles(D3DXVECTOR3(1, 0, 0));
    EXPECT_NEAR(right.y, 1.5707964f, 1e-6f);
    EXPECT_EQ(right.z, 0.0f);

    // The quaternion of a direction turns +z onto that direction.
    const D3DXVECTOR3 direction(1, -1, 2);
    const D3DXVECTOR3 turned = RotateByQuaternion(D3DXVECTOR3(0, 0, 1), YawPitchRollQuaternion(direction));
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &direction);
    EXPECT_NEAR(turned.x, unit.x, 1e-5f);
    EXPECT_NEAR(turned.y, unit.y, 1e-5f);
    EXPECT_NEAR(turned.z, unit.z, 1e-5f);

    D3DXVECTOR3 v(1, 0, 0);
    RotateY(v, 1.5707964f);  // row-vector convention: +x turns to -z
    EXPECT_NEAR(v.z, -1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(VectorLength(D3DXVECTOR3(3, 4, 12)), 13.0f);
}

TEST(Utility, ExtensionsRespectFolderSeparatorsAndDoubleByteCharacters) {
    struct Case {
        std::wstring path;
        std::wstring replaced;  // with "code"
    };
    const Case cases[] = {
        {L"./data/texture/sky.png", L"./data/texture/sky.code"},
        {L"data.v2\\mesh", L"data.v2\\meshcode"},
        {L"./data/mesh", L"./data/meshcode"},
        {L"a.b.c", L"a.b.code"},
        {L"noext", L"noextcode"},
        // 0x95 0x5C is one Shift-JIS character: its '\' is no separator.
        {std::wstring(L"dir.x\x95\\name"), std::wstring(L"dir.code")},
        {L"", L"code"},
    };
    for (const Case& c : cases) {
        std::wstring out;
        ReplaceExtension(c.path.c_str(), out, L"code");
        EXPECT_EQ(out, c.replaced) << testing::PrintToString(c.path);
    }
    EXPECT_EQ(FindExtension(L"dir.v\\file"), 10u) << "a '.' before the last '\\' is no extension";

    const std::wstring text = L"a\x95\\\x81\x81\x7F";
    const int states[] = {0, 1, 2, 1, 2, 0};
    for (size_t i = 0; i < text.size(); ++i) EXPECT_EQ(IsDbcsLeadState(text.c_str(), i), states[i]) << i;
}

TEST(Utility, TextConversions) {
    EXPECT_EQ(NarrowToWide("\xE6\x97\xA5 x"), L"\u65E5 x");
    EXPECT_EQ(NarrowToWide(""), L"");
    EXPECT_EQ(NarrowToWide(nullptr), L"");
    const std::wstring fixed = NarrowToWide1024("trace");
    EXPECT_EQ(fixed.size(), 1024u);
    EXPECT_EQ(std::wstring(fixed.c_str()), L"trace");
    EXPECT_EQ(NarrowToWide1024(std::string(2000, 'a').c_str()).size(), 1024u);
}

// A path filter of the kind the resource table installs.
void ToData2(std::wstring& path) {
    if (path.rfind(L"./data/", 0) == 0) path.replace(0, 7, L"./data2/");
}

TEST(Utility, ReadWholeFileWithAndWithoutRedirection) {
    core_test::TempDir dir;
    dir.Write("plain.png", "PLAIN");
    dir.Write("empty.bin", "");
    dir.Write("plain.code", "SCRAMBLED");
    std::filesystem::create_directories(dir.path() / "folder.code");
    dir.Write("folder.png", "FOLDER");

    Environment* env = new Environment();
    env->AddRef();
    Environment* previous = g_pEnvironment;
    g_pEnvironment = env;

    auto read = [&](const std::string& name, int expectResult, const std::string& expectBytes) {
        std::vector<BYTE> buffer(3, 0xEE);
        DWORD size = 12345;
        EXPECT_EQ(ReadWholeFile(dir.Wide(name).c_str(), buffer, &size), expectResult) << name;
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expectBytes) << name;
        EXPECT_EQ(size, expectBytes.size()) << name;
    };
    read("plain.png", 0, "PLAIN");
    read("empty.bin", 0, "");
    read("missing.png", -1, "");

    env->SetFileRedirect(true);
    read("plain.png", 0, "SCRAMBLED");
    read("empty.bin", 0, "") /* no empty.code: the file itself */;
    read("folder.png", 0, "FOLDER") /* a folder named like the copy is not read */;
    FileBytes asIs;
    EXPECT_EQ(ReadFileAsIs(dir.Wide("plain.png").c_str(), asIs), 0);
    EXPECT_EQ(std::string(asIs.begin(), asIs.end()), "PLAIN") << "the path as given, redirection on or not";

    // Through the path filter: ./data/x.png is read from ./data2/x.code.
    std::filesystem::current_path(dir.path());
    dir.Write("data/x.png", "DATA");
    dir.Write("data2/x.code", "DATA2");
    env->SetPathFilter(&ToData2);
    std::vector<BYTE> buffer;
    EXPECT_EQ(ReadWholeFile(L"./data/x.png", buffer), 0);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "DATA2");
    env->SetRedirectExtension(L"none");
    EXPECT_EQ(ReadWholeFile(L"./data/x.png", buffer), 0);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "DATA");
    std::filesystem::current_path(std::filesystem::temp_directory_path());

    g_pEnvironment = previous;
    env->Release();
}

TEST(Utility, ReleaseObjectSetReleasesEachOnce) {
    struct Counted : IUnknown {
        int* releases;
        explicit Counted(int* r) : releases(r) {}
        HRESULT QueryInterface(REFIID, void**) override { return S_OK; }
        ULONG AddRef() override { return 1; }
        ULONG Release() override { return ++*releases, 0; }
    };
    int releases = 0;
    Counted a(&releases), b(&releases);
    std::set<Counted*> set = {&a, &b};
    ReleaseObjectSet(set);
    EXPECT_EQ(releases, 2);
    EXPECT_TRUE(set.empty());
}

}  // namespace
