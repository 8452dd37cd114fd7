#include "engine/assets/CharaSelectFonts.h"

#include "engine/core/Environment.h"
#include "engine/core/IObjectManager.h"

namespace Quorvex {

namespace {

constexpr const wchar_t* kBoldGothic = L"HGSｺﾞｼｯｸE";
constexpr const wchar_t* kGothic = L"ＭＳ ゴシック";

int ClientHeight() { return g_pEnvironment ? g_pEnvironment->GetClientHeight() : 0; }

// A manager holding the face asked for, or the default face when that fails;
// null when neither can be made.
FontManager* MakeSelectFont(IDirect3DDevice9* device, int height, int weight, const wchar_t* face) {
    if (!device) return nullptr;
    FontManager* manager = new FontManager();
    manager->AddRef();
    ID3DXFont* font = nullptr;
    if (SUCCEEDED(D3DXCreateFontW(device, height, 0, static_cast<UINT>(weight), 0, FALSE, DEFAULT_CHARSET,
                                  OUT_OUTLINE_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face, &font)) &&
        font) {
        manager->SetFont(font);
        font->Release();
        return manager;
    }
    if (manager->CreateFont(device, height, weight) < 0) {
        manager->Release();
        return nullptr;
    }
    return manager;
}

int MakePair(IObjectManager* objectManager, int heightAt720, const wchar_t* face, int firstWeight,
             int secondWeight, FontManager*& first, FontManager*& second) {
    IDirect3DDevice9* device = objectManager ? objectManager->GetDevice() : nullptr;
    const int height = ScaledFontHeight(ClientHeight(), heightAt720);
    FontManager* a = MakeSelectFont(device, height, firstWeight, face);
    FontManager* b = a ? MakeSelectFont(device, height, secondWeight, face) : nullptr;
    if (!a || !b) {
        if (a) a->Release();
        return -1;
    }
    if (first) first->Release();
    if (second) second->Release();
    first = a;
    second = b;
    return 0;
}

}  // namespace

int ScaledFontHeight(int clientHeight, int heightAt720) {
    return static_cast<int>(static_cast<long long>(clientHeight) * heightAt720 / 720);
}

FontManager* CreateSelectFont(IObjectManager* objectManager) {
    IDirect3DDevice9* device = objectManager ? objectManager->GetDevice() : nullptr;
    return MakeSelectFont(device, ScaledFontHeight(ClientHeight(), 22), FW_BOLD, kBoldGothic);
}

int CreateCharaSelectFonts(IObjectManager* objectManager, FontManager*& first, FontManager*& second) {
    return MakePair(objectManager, 22, kBoldGothic, FW_BOLD, FW_BOLD, first, second);
}

int CreateCharaSelectFonts2(IObjectManager* objectManager, FontManager*& first, FontManager*& second) {
    return MakePair(objectManager, 16, kGothic, FW_BOLD, FW_NORMAL, first, second);
}

}  // namespace Quorvex
