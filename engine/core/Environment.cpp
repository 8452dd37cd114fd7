#include "engine/core/Environment.h"

#include <cmath>

#include "engine/core/AreaPos.h"
#include "engine/core/MessageLogManager.h"

namespace Quorvex {

Environment* g_pEnvironment = nullptr;

namespace {

// A missing or broken frame-rate key would make the frame interval and the
// time-step cap unbounded: such a rate keeps the default, with a log line.
float ValidRate(float rate, float fallback, const wchar_t* key) {
    if (rate > 0.0f && std::isfinite(rate)) return rate;
    MessageLogManager::Instance().Log(
        L"Environment", FormatW(L"%s is missing or not a positive number (%f); using %f", key, rate, fallback).c_str());
    return fallback;
}

}  // namespace

Environment::Environment() {
    SetAreaCellSize(D3DXVECTOR3(50000.0f, 50000.0f, 50000.0f), D3DXVECTOR3(75000.0f, 75000.0f, 75000.0f));
}

Environment::~Environment() { SAFE_RELEASE(m_device); }

void Environment::AppendInfoText(const wchar_t* text) {
    if (text) m_infoText += text;
}
void Environment::ClearInfoText() { m_infoText.clear(); }
const wchar_t* Environment::GetInfoText() const { return m_infoText.c_str(); }

void Environment::SetExitFlag(bool exiting) { m_exitFlag.store(exiting); }
bool Environment::GetExitFlag() const { return m_exitFlag.load(); }

void Environment::SetWinMainParam(const WinMainParam& param) { m_winMainParam = param; }
const WinMainParam* Environment::GetWinMainParam() const { return &m_winMainParam; }

void Environment::SetDevice(IDirect3DDevice9* device) {
    // Reference the new device before letting go of the old one: when both
    // are the same, the count never touches zero.
    if (device) device->AddRef();
    if (m_device) m_device->Release();
    m_device = device;
}
IDirect3DDevice9* Environment::GetDevice() const { return m_device; }

void Environment::SetPresentParameters(const D3DPRESENT_PARAMETERS& parameters) {
    m_presentParameters = parameters;
}
const D3DPRESENT_PARAMETERS* Environment::GetPresentParameters() const { return &m_presentParameters; }

BOOL Environment::SetWindow(HWND window) {
    m_window = window;
    // The window's actual focus, not its style: a full-screen pop-up has no
    // style bit for it, and activation may already have arrived.
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    const BOOL result = window ? GetWindowInfo(window, &info) : FALSE;
    m_windowActive.store(result && (info.dwWindowStatus & WS_ACTIVECAPTION) != 0);
    return result;
}
HWND Environment::GetWindow() const { return m_window; }

void Environment::SetWindowActive(bool active) { m_windowActive.store(active); }
bool Environment::IsWindowActive() const { return m_windowActive.load(); }

void Environment::SetClientSize(const D3DXVECTOR2& size) {
    SetClientWidth(static_cast<int>(size.x));
    SetClientHeight(static_cast<int>(size.y));
}
D3DXVECTOR2 Environment::GetClientSize() const {
    return D3DXVECTOR2(static_cast<float>(GetClientWidth()), static_cast<float>(GetClientHeight()));
}
void Environment::SetClientWidth(int width) { m_clientWidth = width; }
int Environment::GetClientWidth() const { return m_clientWidth; }
void Environment::SetClientHeight(int height) { m_clientHeight = height; }
int Environment::GetClientHeight() const { return m_clientHeight; }

void Environment::ToScreenRatio(float x, float y, float* outX, float* outY) const {
    if (outX) *outX = XToScreenRatio(x);
    if (outY) *outY = YToScreenRatio(y);
}
float Environment::XToScreenRatio(float x) const { return x / static_cast<float>(m_clientWidth); }
float Environment::YToScreenRatio(float y) const { return y / static_cast<float>(m_clientHeight); }

void Environment::FromScreenRatio(float* outX, float* outY, float x, float y) const {
    if (outX) *outX = XFromScreenRatio(x);
    if (outY) *outY = YFromScreenRatio(y);
}
float Environment::XFromScreenRatio(float x) const {
    return static_cast<float>(m_clientWidth) * x * m_inverseAspect;
}
float Environment::YFromScreenRatio(float y) const { return static_cast<float>(m_clientHeight) * y; }

void Environment::SetScreenScale(float x, float y) {
    m_screenScaleX = x;
    m_screenScaleY = y;
}
float Environment::GetScreenScaleX() const { return m_screenScaleX; }
float Environment::GetScreenScaleY() const { return m_screenScaleY; }

void Environment::SetAspect(float width, float height) {
    m_aspect = width / height;
    m_inverseAspect = 1.0f / m_aspect;
    g_Aspect = m_aspect;
    g_InverseAspect = m_inverseAspect;
    g_HalfAspect = m_aspect * 0.5f;
}
float Environment::GetAspect() const { return m_aspect; }
float Environment::GetInverseAspect() const { return m_inverseAspect; }

void Environment::SetWorldScale(float scale) { m_worldScale = scale; }
float Environment::GetWorldScale() const { return m_worldScale; }

void Environment::SetAreaCellSize(const D3DXVECTOR3& cellSize, const D3DXVECTOR3& outerSize) {
    m_cellSize = cellSize;
    m_outerSize = outerSize;
    SetWorldGridSizes(cellSize, outerSize);
}
const D3DXVECTOR3* Environment::GetOuterSize() const { return &m_outerSize; }
const D3DXVECTOR3* Environment::GetCellSize() const { return &m_cellSize; }

void Environment::SetWorldShift(const D3DXVECTOR3& shift) { m_worldShift = shift; }
const D3DXVECTOR3* Environment::GetWorldShift() const { return &m_worldShift; }

void Environment::SetGravity(const D3DXVECTOR3& gravity) { m_gravity = gravity; }
const D3DXVECTOR3* Environment::GetGravity() const { return &m_gravity; }

bool Environment::IsFrameLimit() const { return m_frameLimit; }
bool Environment::IsCreateObjectManager() const { return m_createObjectManager; }
bool Environment::IsCreateAreaManager() const { return m_createAreaManager; }
bool Environment::IsUseAreaFactory() const { return m_useAreaFactory; }
bool Environment::IsCreateResourceManager() const { return m_createResourceManager; }
bool Environment::IsCreateSoundManager() const { return m_createSoundManager; }
bool Environment::IsCreateShaderManager() const { return m_createShaderManager; }

bool Environment::IsFixedPhysicsStep() const { return m_fixedPhysicsStep; }
void Environment::SetFixedPhysicsStep(bool fixed) { m_fixedPhysicsStep = fixed; }
int Environment::GetPhysicsSubSteps() const { return m_physicsSubSteps; }
void Environment::SetPhysicsSubSteps(int steps) { m_physicsSubSteps = steps; }

void Environment::SetTextureDirectory(const wchar_t* directory) { m_textureDirectory = directory ? directory : L""; }
const wchar_t* Environment::GetTextureDirectory() const { return m_textureDirectory.c_str(); }

void Environment::SetFileRedirect(bool redirect) { m_fileRedirect = redirect; }
bool Environment::IsFileRedirect() const { return m_fileRedirect; }
void Environment::SetRedirectExtension(const wchar_t* extension) {
    m_redirectExtension = extension ? extension : L"";
}
const wchar_t* Environment::GetRedirectExtension() const { return m_redirectExtension.c_str(); }
void Environment::SetPathFilter(PathFilter filter) { m_pathFilter = filter; }
PathFilter Environment::GetPathFilter() const { return m_pathFilter; }
void Environment::SetAssetKey(DWORD key) { m_assetKey = key; }
DWORD Environment::GetAssetKey() const { return m_assetKey; }

void Environment::SetFrameTime(float seconds) { m_frameTime = seconds; }
float Environment::GetFrameTime() const { return m_frameTime; }
void Environment::SetElapsedTime(float seconds) { m_elapsedTime = seconds; }
float Environment::GetElapsedTime() const { return m_elapsedTime; }
void Environment::SetMeasuredFrameTime(float seconds) { m_measuredFrameTime = seconds; }
float Environment::GetMeasuredFrameTime() const { return m_measuredFrameTime; }

void Environment::SetFpsMax(float rate) { m_fpsMax = ValidRate(rate, kDefaultFpsMax, L"FramePerSecond_Max"); }
float Environment::GetFpsMax() const { return m_fpsMax; }

void Environment::SetFpsMin(float rate) { m_fpsMin = ValidRate(rate, kDefaultFpsMin, L"FramePerSecond_Min"); }
float Environment::GetFpsMin() const { return m_fpsMin; }

void Environment::SetPhysicsStepRate(float rate) { m_physicsStepRate = rate; }
float Environment::GetPhysicsStepRate() const { return m_physicsStepRate; }
void Environment::UpdatePhysicsStepRate() { SetPhysicsStepRate(GetDoubleFpsMax()); }
float Environment::GetDoubleFpsMax() const { return 2.0f * GetFpsMax(); }

void Environment::SetShowSystemInfo(bool show) { m_showSystemInfo = show; }
bool Environment::IsShowSystemInfo() const { return m_showSystemInfo; }

void Environment::SetObjectManager(IObjectManager* manager) { m_objectManager = manager; }
IObjectManager* Environment::GetObjectManager() const { return m_objectManager; }

}  // namespace Quorvex
