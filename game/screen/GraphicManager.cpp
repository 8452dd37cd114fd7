#include "game/screen/GraphicManager.h"

#include "engine/assets/CharaSelectFonts.h"
#include "engine/assets/FontManager.h"
#include "engine/core/RenderObject.h"
#include "engine/core/render/ObjectManager.h"
#include "engine/core/render/RenderStage.h"
#include "game/screen/GraphicObject.h"
#include "game/screen/GraphicObject_Spell.h"
#include "game/state/Environment2.h"

using namespace Quorvex;

namespace {

struct SpeakerColor {
    const char* key;
    uint32_t color;
};
constexpr SpeakerColor kSpeakerColors[] = {
    {"velrin", 0xFFFFFF80}, {"velrin_koma", 0xFFFFFF80}, {"bramel", 0xFF80FFFF}, {"dweli", 0xFF8080FF},
    {"dweli2", 0xFF8080FF}, {"fesko", 0xFF8080FF},       {"fesko2", 0xFF8080FF}, {"pentra", 0xFF8080FF},
    {"pentra2", 0xFF8080FF}, {"gralle", 0xFF8080FF},     {"orsel", 0xFF8080FF},  {"toska", 0xFF8080FF},
};

// Takes a window out of its stage and out of the object manager, then drops
// the reference held on it.
template <class T>
void DropWindow(T*& window) {
    if (!window) return;
    if (RenderStage* stage = window->GetRenderStage()) stage->SubObject(window);
    window->RequestRemove(true);
    window->Release();
    window = nullptr;
}

}  // namespace

GraphicManager::GraphicManager(ObjectManager* objects) : Object(objects, CreateRegister) {}

GraphicManager::~GraphicManager() { ReleaseAll(); }

int GraphicManager::Initialize(int) {
    SetUpdatePriority(kUpdatePriority);
    auto* objects = dynamic_cast<ObjectManager*>(GetManager());
    // 22 pixels at 720, bold, the Gothic face of the dialogues.
    if (!m_pFont) m_pFont = CreateSelectFont(objects);
    if (!m_pFont) return -1;
    for (GraphicObject*& window : m_pWindows) {
        if (window) continue;
        window = new GraphicObject(objects, this);
        window->AddRef();
        window->Initialize(0);
    }
    if (!m_pSpell) {
        m_pSpell = new GraphicObject_Spell(objects, this);
        m_pSpell->AddRef();
        if (m_pSpell->Initialize(0) < 0) return -1;
    }
    if (g_pEnvironment2) g_pEnvironment2->graphicManager = this;
    return 0;
}

void GraphicManager::ReleaseAll() {
    DropWindow(m_pSpell);
    for (int i = kWindowCount - 1; i >= 0; --i) DropWindow(m_pWindows[i]);
    if (m_pFont) m_pFont->Release();
    m_pFont = nullptr;
    if (g_pEnvironment2 && g_pEnvironment2->graphicManager == this) g_pEnvironment2->graphicManager = nullptr;
}

GraphicObject* GraphicManager::GetWindow(int index) const {
    return index >= 0 && index < kWindowCount ? m_pWindows[index] : nullptr;
}

uint32_t GraphicManager::GetSpeakerTextColor(const std::string& key) {
    for (const SpeakerColor& entry : kSpeakerColors)
        if (key == entry.key) return entry.color;
    return 0xFFFFFFFF;
}

void GraphicManager::ApplySpeakSet(const SpeakSet& set) {
    const bool left = set.leftSpeaks != 0;
    if (!m_pWindows[LeftPortrait]) return;
    m_pWindows[LeftPortrait]->SetLeftPortrait(set.leftKey.c_str(), !left);
    m_pWindows[RightPortrait]->SetRightPortrait(set.rightKey.c_str(), left);
    m_pWindows[LeftText]->SetLeftText(set.text.c_str(), !left);
    m_pWindows[RightText]->SetRightText(set.text.c_str(), left);
    const uint32_t colour =
        set.textColor == kSpeakerColor ? GetSpeakerTextColor(left ? set.leftKey : set.rightKey) : set.textColor;
    m_pWindows[left ? LeftText : RightText]->SetTextColor(colour);
}
