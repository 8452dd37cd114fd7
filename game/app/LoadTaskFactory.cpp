#include "game/app/LoadTaskFactory.h"

#include <algorithm>
#include <array>

#include "engine/core/Environment.h"
#include "game/app/LoadTasks.h"

using namespace Quorvex;

namespace {

enum class Kind { Material, Mesh, MeshSpr3D, Ground2, Velrin, Toska };

struct Row {
    Kind kind;
    const char* id;
    const wchar_t* file;  // under ./data/texture/ (materials) or ./data/model/ (meshes)
};

// In registration order.
const Row kTable[] = {
    {Kind::Material, "matNone", L"none.png"},
    {Kind::Material, "matEffect", L"effect.png"},
    {Kind::Material, "matEffect2D", L"effect2d.png"},
    {Kind::Material, "matEffectBeam", L"beam.png"},
    {Kind::Material, "matMist", L"mist.png"},
    {Kind::Material, "matAura", L"effect_flame.png"},
    {Kind::Material, "matAura2", L"effect_flame2.png"},
    {Kind::Material, "matAura3", L"effect_flame3.png"},
    {Kind::Material, "matReidan", L"effect_reidan.png"},
    {Kind::Material, "matHud", L"hud.png"},
    {Kind::Material, "matHud2", L"hud2.png"},
    {Kind::Material, "matOption", L"option.png"},
    {Kind::Material, "matOptionPanel", L"optionpanel.png"},
    {Kind::Material, "matStageSelect", L"stageselect.png"},
    {Kind::Material, "matStgSelPanel", L"optionpanel.png"},
    {Kind::Material, "matStgSS1", L"stgss1.png"},
    {Kind::Material, "matTree_1", L"tree_1.png"},
    {Kind::Material, "matTree_2", L"tree_2.png"},
    {Kind::Material, "matTree_3-6", L"tree_3-6.png"},
    {Kind::Material, "matSkyNight", L"sky_night.png"},
    {Kind::Material, "matSkyWhite", L"sky_white.png"},
    {Kind::Material, "matFlare", L"flare.png"},
    {Kind::Material, "matFlareBlack", L"flare_black.png"},
    {Kind::Material, "matTitleBG", L"title_back.png"},
    {Kind::Material, "matTitleLogo", L"title_logo.png"},
    {Kind::Material, "matTitleLogo2", L"title_logo2.png"},
    {Kind::Material, "matVelrin", L"velrin.png"},
    {Kind::Material, "matVelrinKoma", L"velrin_koma.png"},
    {Kind::Material, "matBramel", L"bramel.png"},
    {Kind::Material, "matBramel2", L"bramel_2.png"},
    {Kind::Material, "matDweli", L"dweli.png"},
    {Kind::Material, "matDweli2", L"dweli2.png"},
    {Kind::Material, "matSpellDweli", L"spell_dweli.png"},
    {Kind::Material, "matFesko", L"fesko.png"},
    {Kind::Material, "matSpellFesko", L"fesko_spell.png"},
    {Kind::Material, "matPentra", L"pentra_2.png"},
    {Kind::Material, "matSpellPentra", L"pentra_spell.png"},
    {Kind::Material, "matGralle", L"gralle.png"},
    {Kind::Material, "matSpellGralle", L"gralle_spell.png"},
    {Kind::Material, "matOrsel", L"orsel.png"},
    {Kind::Material, "matSpellOrsel", L"orsel_spell.png"},
    {Kind::Material, "matToska", L"toska1.png"},
    {Kind::Material, "matSpellToska", L"toska_spell.png"},
    {Kind::Material, "matSpeak", L"speak_window.png"},
    {Kind::Material, "matMagicMissile", L"magic_missile.png"},
    {Kind::Material, "matGnd1", L"ground2.png"},
    {Kind::Material, "matGnd2", L"ground2-2.png"},
    {Kind::Mesh, "ground_sea", L"ground.x"},
    {Kind::Mesh, "missile", L"missile_v002.x"},
    {Kind::MeshSpr3D, "SkyDome", L"skydome.x"},
    {Kind::MeshSpr3D, "EnemySpellBg", L"enemy_spell_bg.x"},
    {Kind::MeshSpr3D, "AfterBurner", L"afterburner.x"},
    {Kind::Mesh, "Mesh_Dweli", L"dweli.x"},
    {Kind::Mesh, "Mesh_Fairy", L"fairy.x"},
    {Kind::Mesh, "Mesh_Doll", L"doll.x"},
    {Kind::Mesh, "Mesh_Gnd", L"ground_1.x"},
    {Kind::Ground2, "Mesh_Gnd2_1", L"ground_2_v002_1.x"},
    {Kind::Ground2, "Mesh_Gnd2_2", L"ground_2_v002_2.x"},
    {Kind::Ground2, "Mesh_Gnd2_3", L"ground_2_v002_3.x"},
    {Kind::Mesh, "Mesh_Gnd3_1", L"ground_3_snow.x"},
    {Kind::Mesh, "Mesh_Gnd4_1", L"ground_4_snow2.x"},
    {Kind::MeshSpr3D, "Mesh_ShotPoint", L"shot_point.x"},
    {Kind::MeshSpr3D, "Mesh_SpellBg", L"spell_bg2.x"},
    {Kind::Velrin, "Mesh_Velrin", L"velrin.x"},
    {Kind::Material, "matSelWindow", L"select_window.png"},
    {Kind::Material, "matSelBramel", L"bramel.png"},
    {Kind::Material, "matSelSpeak", L"bramel_speak.png"},
    {Kind::Material, "matSelTitle", L"select_title.png"},
    {Kind::Material, "matSmoke", L"smoke.png"},
    {Kind::MeshSpr3D, "Mesh_Ray", L"ray.x"},
    {Kind::MeshSpr3D, "Mesh_Yama1", L"yama1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama1p1", L"yama1p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama1p2", L"yama1p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama2", L"yama2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama3", L"yama3.x"},
    {Kind::MeshSpr3D, "Mesh_Yama3p1", L"yama3p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama3p2", L"yama3p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R1", L"yama_r1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R1P1", L"yama_r1p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R1P2", L"yama_r1p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R2", L"yama_r2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R2P1", L"yama_r2p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_R2P2", L"yama_r2p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L1", L"yama_l1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L1P1", L"yama_l1p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L1P2", L"yama_l1p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L2", L"yama_l2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L2P1", L"yama_l2p1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_L2P2", L"yama_l2p2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_O2-1", L"yama_o2-1.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_O2-2", L"yama_o2-2.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_BL", L"yama_big_l.x"},
    {Kind::MeshSpr3D, "Mesh_Yama_BR", L"yama_big_r.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_1", L"doukutsu2_p1.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_2", L"doukutsu2_p2.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_3", L"doukutsu2_p3.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_4", L"doukutsu2_p4.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_5", L"doukutsu2_p5.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_6", L"doukutsu2_p6.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_7", L"doukutsu2_p7.x"},
    {Kind::Mesh, "Mesh_Doukutsu2_8", L"doukutsu2_p8.x"},
    {Kind::Material, "matYama2", L"yama2.png"},
    {Kind::Material, "matYougan", L"yougan.png"},
    {Kind::Material, "matYougan2", L"yougan2.png"},
    {Kind::Material, "matYougan3", L"yougan3.png"},
    {Kind::Material, "matVolcano", L"volcano.png"},
    {Kind::Material, "matNukeAura", L"nukeaura.png"},
    {Kind::MeshSpr3D, "Mesh_Volcano", L"volcano.x"},
    {Kind::Mesh, "Mesh_Nuke", L"nuke.x"},
    {Kind::Mesh, "Mesh_Nuke2", L"nuke2.x"},
    {Kind::Material, "matRing", L"ring.png"},
    {Kind::Mesh, "Mesh_Pentra", L"pentra.x"},
    {Kind::Mesh, "Mesh_Gralle", L"gralle.x"},
    {Kind::MeshSpr3D, "Mesh_Flower", L"flower.x"},
    {Kind::MeshSpr3D, "Mesh_Flower1", L"flower1.x"},
    {Kind::MeshSpr3D, "Mesh_Flower2", L"flower2.x"},
    {Kind::MeshSpr3D, "Mesh_Tama", L"tama.x"},
    {Kind::Material, "matKetama", L"ketama.png"},
    {Kind::Mesh, "Mesh_Orsel", L"orsel.x"},
    {Kind::Toska, "Mesh_Toska", L"toska.x"},
    {Kind::MeshSpr3D, "Mesh_Building_p1", L"building-p1.x"},
    {Kind::MeshSpr3D, "Mesh_Building_p2", L"building-p2.x"},
    {Kind::MeshSpr3D, "Mesh_Building_p3", L"building-p3.x"},
    {Kind::MeshSpr3D, "Mesh_Building_p4", L"building-p4.x"},
    {Kind::MeshSpr3D, "Mesh_Building_p5", L"building-p5.x"},
    {Kind::Material, "matEnding", L"ending.png"},
    {Kind::Material, "matWhite", L"white.png"},
    {Kind::Material, "matScore", L"score.png"},
    {Kind::Material, "matMsg", L"msg.png"},
    {Kind::Material, "matFairy2", L"fairy_2.png"},
    {Kind::Material, "matFairy3", L"fairy_3.png"},
    {Kind::Material, "matFairy4", L"fairy_4.png"},
    {Kind::Material, "matFairy5", L"fairy_5.png"},
    {Kind::Material, "matFairy6", L"fairy_6.png"},
    {Kind::Material, "matReidan2", L"reidan2.png"},
    {Kind::Material, "matReidan3", L"reidan3.png"},
};

constexpr int kRowCount = static_cast<int>(sizeof kTable / sizeof kTable[0]);

const char* const* TableIds() {
    static const std::array<const char*, kRowCount> ids = [] {
        std::array<const char*, kRowCount> list{};
        for (int i = 0; i < kRowCount; ++i) list[i] = kTable[i].id;
        return list;
    }();
    return ids.data();
}

ILoadTask* CreateTask(const Row& row, IResourceManager* holder, DWORD key) {
    const std::wstring path =
        std::wstring(row.kind == Kind::Material ? L"./data/texture/" : L"./data/model/") + row.file;
    switch (row.kind) {
    case Kind::Material:
        return new LoadTask_Material(holder, row.id, path.c_str(), key);
    case Kind::Mesh:
        return new LoadTask_Mesh(holder, row.id, path.c_str(), key);
    case Kind::MeshSpr3D:
        return new LoadTask_MeshSpr3D(holder, row.id, path.c_str(), key);
    case Kind::Ground2:
        return new LoadTask_Ground2(holder, row.id, path.c_str(), key);
    case Kind::Velrin:
        return new LoadTask_Velrin(holder, key);
    case Kind::Toska:
        return new LoadTask_Toska(holder, key);
    }
    return nullptr;
}

}  // namespace

LoadTaskFactory::~LoadTaskFactory() {
    std::map<std::string, ILoadTask*> held;
    held.swap(m_tasks);
    for (auto& [id, task] : held) task->Release();
}

ILoadTask* LoadTaskFactory::GetTask(const char* id) {
    auto found = m_tasks.find(id ? id : "");
    if (found == m_tasks.end()) return nullptr;
    found->second->AddRef();
    return found->second;
}

void LoadTaskFactory::AddTask(ILoadTask* task) {
    if (!task) return;
    if (!m_tasks.emplace(task->GetName(), task).second) return;
    task->AddRef();
}

void LoadTaskFactory::RedirectPath(std::wstring& path) {
    path.replace(0, std::min<size_t>(7, path.size()), L"./data2/");
}

const char* const* LoadTaskFactory::GetTableIds(int* count) {
    if (count) *count = kRowCount;
    return TableIds();
}

int LoadTaskFactory::RegisterAll(IResourceManager* holder) {
    m_pHolder = holder;
    if (g_pEnvironment) {
        g_pEnvironment->SetFileRedirect(true);
        g_pEnvironment->SetPathFilter(&LoadTaskFactory::RedirectPath);
        g_pEnvironment->SetAssetKey(AssetKey);
    }
    for (const Row& row : kTable) {
        ILoadTask* task = CreateTask(row, holder, AssetKey);
        // A task the map does not keep (an id twice) goes with this reference.
        task->AddRef();
        AddTask(task);
        task->Release();
    }
    return 0;
}
