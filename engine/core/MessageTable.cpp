#include "engine/core/MessageTable.h"

#include <algorithm>
#include <atomic>
#include <iterator>

#include "engine/core/MessageLogManager.h"

namespace Quorvex {

namespace {

struct Row {
    int id;
    const wchar_t* text;
};

// Sorted by id; id 6 is not in the table.
constexpr Row kRows[] = {
    {0, L"謎のメッセージタイプ"},
    {1, L"謎の例外が発生"},
    {2, L"初期化に失敗"},
    {3, L"スレッド開始に失敗"},
    {4, L"スレッドデータが無い"},
    {5, L"パラメータファイルがない"},
    {7, L"デバッグモードで実行中"},
    {8, L"Direct3Dオブジェクトの作成に失敗"},
    {9, L"ディスプレイモードの取得に失敗"},
    {10, L"Direct3DDeviceの作成に失敗"},
    {11, L"DirectXの初期化に失敗"},
    {12, L"ゲーム管理クラスの初期化に失敗"},
    {13, L"SceneBase初期化開始"},
    {14, L"パラメータの読込に失敗"},
    {15, L"DirectX初期化完了"},
    {16, L"DXUT初期化完了"},
    {17, L"SceneBase初期化完了"},
    {18, L"ジョブスレッド開始に失敗"},
    {19, L"ジョブスレッド開始"},
    {20, L"ジョブスレッド終了"},
    {21, L"デバイスの能力の取得に失敗"},
    {22, L"頂点バッファの生成に失敗"},
    {23, L"インデックスバッファの生成に失敗"},
    {24, L"標準頂点宣言の生成に失敗"},
    {25, L"エフェクトのロードに失敗"},
    {26, L"エフェクトのハンドル取得に失敗"},
    {27, L"3Dスプライトエフェクトのロードに失敗"},
    {28, L"3Dスプライトエフェクトのハンドル取得に失敗"},
    {29, L"3Dスプライト(HDR)エフェクトのロードに失敗"},
    {30, L"3Dスプライト(HDR)エフェクトのハンドル取得に失敗"},
    {31, L"通常メッシュエフェクトのロードに失敗"},
    {32, L"通常メッシュエフェクトのハンドル取得に失敗"},
    {33, L"水エフェクトのロードに失敗"},
    {34, L"水エフェクトのハンドル取得に失敗"},
    {35, L"シェーダー管理クラスの初期化に失敗"},
    {36, L"メッシュ管理クラスの初期化に失敗"},
    {37, L"マテリアル管理クラス作成"},
    {38, L"シェーダー管理クラス作成"},
    {39, L"メッシュ管理クラス作成"},
    {40, L"テクスチャの読み込みに失敗"},
    {41, L"InputDeviceの初期化に失敗"},
    {42, L"InputDeviceの初期化完了"},
    {43, L"DirectInputの初期化に失敗"},
    {44, L"Commonの初期化に失敗"},
    {45, L"Common初期化完了"},
    {46, L"標準文字出力クラスの初期化に失敗"},
    {47, L"入力管理クラスの初期化に失敗"},
    {48, L"初期シーンの作成に失敗"},
    {49, L"エリアの生成に失敗"},
    {50, L"リソースロードスレッドの開始に失敗"},
    {51, L"リソースロードスレッドを開始"},
    {52, L"リソースロードスレッドを終了"},
};

// The rows are constant; building only makes them visible, so a text thrown
// before a Clear stays valid.
std::atomic<bool> g_built{false};

}  // namespace

void MessageTable::Build() { g_built.store(true, std::memory_order_release); }

void MessageTable::Clear() { g_built.store(false, std::memory_order_release); }

const wchar_t* MessageTable::GetText(int id) {
    if (!g_built.load(std::memory_order_acquire)) return nullptr;
    const auto it = std::lower_bound(std::begin(kRows), std::end(kRows), id,
                                     [](const Row& row, int key) { return row.id < key; });
    if (it != std::end(kRows) && it->id == id) return it->text;
    return kRows[0].text;
}

int MessageTable::Log(int id, const wchar_t* source) {
    return MessageLogManager::Instance().Log(source, GetText(id));
}

}  // namespace Quorvex
