// The one process-wide record through which every part of the program reaches
// the window, the device, the screen geometry, the world grid constants, the
// frame timing of the current frame, the creation switches of the managers and
// the file-access settings.
#pragma once
#include <atomic>
#include <string>

#include "engine/core/IObjectManager.h"
#include "engine/core/ReferCounter.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// The entry point's start-up values, in the order it hands them over.
struct WinMainParam {
    HINSTANCE instance = nullptr;
    HINSTANCE prevInstance = nullptr;
    LPWSTR commandLine = nullptr;
    int showCmd = 0;
    WNDPROC wndProc = nullptr;
};

// May rewrite a redirected file path before the file is looked for.
typedef void (*PathFilter)(std::wstring& path);

class IEnvironment : public IUnknown {
public:
    ~IEnvironment() override = default;

    // Statistics overlay text.
    virtual void AppendInfoText(const wchar_t* text) = 0;
    virtual void ClearInfoText() = 0;
    virtual const wchar_t* GetInfoText() const = 0;

    virtual void SetExitFlag(bool exiting) = 0;
    virtual bool GetExitFlag() const = 0;

    virtual void SetWinMainParam(const WinMainParam& param) = 0;
    virtual const WinMainParam* GetWinMainParam() const = 0;

    // Counted: the old device is released, the new one referenced.
    virtual void SetDevice(IDirect3DDevice9* device) = 0;
    virtual IDirect3DDevice9* GetDevice() const = 0;

    virtual void SetPresentParameters(const D3DPRESENT_PARAMETERS& parameters) = 0;
    virtual const D3DPRESENT_PARAMETERS* GetPresentParameters() const = 0;

    // Also sets the window-active flag from whether the window has the focus;
    // answers GetWindowInfo's result.
    virtual BOOL SetWindow(HWND window) = 0;
    virtual HWND GetWindow() const = 0;

    virtual void SetWindowActive(bool active) = 0;
    virtual bool IsWindowActive() const = 0;

    // Truncates each float toward zero into the client width and height.
    virtual void SetClientSize(const D3DXVECTOR2& size) = 0;
    virtual D3DXVECTOR2 GetClientSize() const = 0;
    virtual void SetClientWidth(int width) = 0;
    virtual int GetClientWidth() const = 0;
    virtual void SetClientHeight(int height) = 0;
    virtual int GetClientHeight() const = 0;

    // Pixels to fractions of the client size.
    virtual void ToScreenRatio(float x, float y, float* outX, float* outY) const = 0;
    virtual float XToScreenRatio(float x) const = 0;
    virtual float YToScreenRatio(float y) const = 0;
    // Fractions to pixels: x scales by width x inverse aspect, y by height.
    virtual void FromScreenRatio(float* outX, float* outY, float x, float y) const = 0;
    virtual float XFromScreenRatio(float x) const = 0;
    virtual float YFromScreenRatio(float y) const = 0;

    virtual void SetScreenScale(float x, float y) = 0;
    virtual float GetScreenScaleX() const = 0;
    virtual float GetScreenScaleY() const = 0;

    // aspect = width / height; also written to the process-wide constants.
    virtual void SetAspect(float width, float height) = 0;
    virtual float GetAspect() const = 0;
    virtual float GetInverseAspect() const = 0;

    virtual void SetWorldScale(float scale) = 0;
    virtual float GetWorldScale() const = 0;

    // Also rebuilds the process-wide world-grid tables.
    virtual void SetAreaCellSize(const D3DXVECTOR3& cellSize, const D3DXVECTOR3& outerSize) = 0;
    virtual const D3DXVECTOR3* GetOuterSize() const = 0;
    virtual const D3DXVECTOR3* GetCellSize() const = 0;

    virtual void SetWorldShift(const D3DXVECTOR3& shift) = 0;
    virtual const D3DXVECTOR3* GetWorldShift() const = 0;

    virtual void SetGravity(const D3DXVECTOR3& gravity) = 0;
    virtual const D3DXVECTOR3* GetGravity() const = 0;

    // Creation switches of the scene tree.
    virtual bool IsFrameLimit() const = 0;
    virtual bool IsCreateObjectManager() const = 0;
    virtual bool IsCreateAreaManager() const = 0;
    virtual bool IsUseAreaFactory() const = 0;
    virtual bool IsCreateResourceManager() const = 0;
    virtual bool IsCreateSoundManager() const = 0;
    virtual bool IsCreateShaderManager() const = 0;

    virtual bool IsFixedPhysicsStep() const = 0;
    virtual void SetFixedPhysicsStep(bool fixed) = 0;
    virtual int GetPhysicsSubSteps() const = 0;
    virtual void SetPhysicsSubSteps(int steps) = 0;

    virtual void SetTextureDirectory(const wchar_t* directory) = 0;
    virtual const wchar_t* GetTextureDirectory() const = 0;

    // File redirection for ReadWholeFile.
    virtual void SetFileRedirect(bool redirect) = 0;
    virtual bool IsFileRedirect() const = 0;
    virtual void SetRedirectExtension(const wchar_t* extension) = 0;
    virtual const wchar_t* GetRedirectExtension() const = 0;
    virtual void SetPathFilter(PathFilter filter) = 0;
    virtual PathFilter GetPathFilter() const = 0;
    virtual void SetAssetKey(DWORD key) = 0;
    virtual DWORD GetAssetKey() const = 0;

    // Seconds: this update's time step, time since the last rendered frame,
    // the frame timer's last measurement.
    virtual void SetFrameTime(float seconds) = 0;
    virtual float GetFrameTime() const = 0;
    virtual void SetElapsedTime(float seconds) = 0;
    virtual float GetElapsedTime() const = 0;
    virtual void SetMeasuredFrameTime(float seconds) = 0;
    virtual float GetMeasuredFrameTime() const = 0;

    // Frame-rate limits; a value that is not a positive number keeps the
    // default (60 and 30), so the time step can never become unbounded.
    virtual void SetFpsMax(float rate) = 0;
    virtual float GetFpsMax() const = 0;
    virtual void SetFpsMin(float rate) = 0;
    virtual float GetFpsMin() const = 0;
    virtual void SetPhysicsStepRate(float rate) = 0;
    virtual float GetPhysicsStepRate() const = 0;
    // Physics step rate := GetDoubleFpsMax().
    virtual void UpdatePhysicsStepRate() = 0;
    virtual float GetDoubleFpsMax() const = 0;

    virtual void SetShowSystemInfo(bool show) = 0;
    virtual bool IsShowSystemInfo() const = 0;

    // The object manager of the scene being updated or rendered; not counted.
    virtual void SetObjectManager(IObjectManager* manager) = 0;
    virtual IObjectManager* GetObjectManager() const = 0;

    virtual int GetRefCount() const = 0;
};

class Environment : public IEnvironment, public ReferCounter {
public:
    static constexpr float kDefaultFpsMax = 60.0f;
    static constexpr float kDefaultFpsMin = 30.0f;

    // Defaults as listed with each value; resets the grid to cell 50000 and
    // outer 75000 on every axis.
    Environment();
    // Releases the device.
    ~Environment() override;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    void AppendInfoText(const wchar_t* text) override;
    void ClearInfoText() override;
    const wchar_t* GetInfoText() const override;
    void SetExitFlag(bool exiting) override;
    bool GetExitFlag() const override;
    void SetWinMainParam(const WinMainParam& param) override;
    const WinMainParam* GetWinMainParam() const override;
    void SetDevice(IDirect3DDevice9* device) override;
    IDirect3DDevice9* GetDevice() const override;
    void SetPresentParameters(const D3DPRESENT_PARAMETERS& parameters) override;
    const D3DPRESENT_PARAMETERS* GetPresentParameters() const override;
    BOOL SetWindow(HWND window) override;
    HWND GetWindow() const override;
    void SetWindowActive(bool active) override;
    bool IsWindowActive() const override;
    void SetClientSize(const D3DXVECTOR2& size) override;
    D3DXVECTOR2 GetClientSize() const override;
    void SetClientWidth(int width) override;
    int GetClientWidth() const override;
    void SetClientHeight(int height) override;
    int GetClientHeight() const override;
    void ToScreenRatio(float x, float y, float* outX, float* outY) const override;
    float XToScreenRatio(float x) const override;
    float YToScreenRatio(float y) const override;
    void FromScreenRatio(float* outX, float* outY, float x, float y) const override;
    float XFromScreenRatio(float x) const override;
    float YFromScreenRatio(float y) const override;
    void SetScreenScale(float x, float y) override;
    float GetScreenScaleX() const override;
    float GetScreenScaleY() const override;
    void SetAspect(float width, float height) override;
    float GetAspect() const override;
    float GetInverseAspect() const override;
    void SetWorldScale(float scale) override;
    float GetWorldScale() const override;
    void SetAreaCellSize(const D3DXVECTOR3& cellSize, const D3DXVECTOR3& outerSize) override;
    const D3DXVECTOR3* GetOuterSize() const override;
    const D3DXVECTOR3* GetCellSize() const override;
    // Another name callers use for GetCellSize.
    const D3DXVECTOR3* GetAreaCellSize() const { return GetCellSize(); }
    void SetWorldShift(const D3DXVECTOR3& shift) override;
    const D3DXVECTOR3* GetWorldShift() const override;
    void SetGravity(const D3DXVECTOR3& gravity) override;
    const D3DXVECTOR3* GetGravity() const override;
    bool IsFrameLimit() const override;
    bool IsCreateObjectManager() const override;
    bool IsCreateAreaManager() const override;
    bool IsUseAreaFactory() const override;
    bool IsCreateResourceManager() const override;
    bool IsCreateSoundManager() const override;
    bool IsCreateShaderManager() const override;
    bool IsFixedPhysicsStep() const override;
    void SetFixedPhysicsStep(bool fixed) override;
    int GetPhysicsSubSteps() const override;
    void SetPhysicsSubSteps(int steps) override;
    void SetTextureDirectory(const wchar_t* directory) override;
    const wchar_t* GetTextureDirectory() const override;
    void SetFileRedirect(bool redirect) override;
    bool IsFileRedirect() const override;
    void SetRedirectExtension(const wchar_t* extension) override;
    const wchar_t* GetRedirectExtension() const override;
    void SetPathFilter(PathFilter filter) override;
    PathFilter GetPathFilter() const override;
    void SetAssetKey(DWORD key) override;
    DWORD GetAssetKey() const override;
    void SetFrameTime(float seconds) override;
    float GetFrameTime() const override;
    void SetElapsedTime(float seconds) override;
    float GetElapsedTime() const override;
    void SetMeasuredFrameTime(float seconds) override;
    float GetMeasuredFrameTime() const override;
    void SetFpsMax(float rate) override;
    float GetFpsMax() const override;
    void SetFpsMin(float rate) override;
    float GetFpsMin() const override;
    void SetPhysicsStepRate(float rate) override;
    float GetPhysicsStepRate() const override;
    void UpdatePhysicsStepRate() override;
    float GetDoubleFpsMax() const override;
    void SetShowSystemInfo(bool show) override;
    bool IsShowSystemInfo() const override;
    void SetObjectManager(IObjectManager* manager) override;
    IObjectManager* GetObjectManager() const override;
    int GetRefCount() const override { return GetReferenceCount(); }

    // The creation switches are constants of the design (all on); tests and
    // tools that build a partial engine turn them off here.
    void SetFrameLimit(bool on) { m_frameLimit = on; }
    void SetCreateObjectManager(bool on) { m_createObjectManager = on; }
    void SetCreateAreaManager(bool on) { m_createAreaManager = on; }
    void SetUseAreaFactory(bool on) { m_useAreaFactory = on; }
    void SetCreateResourceManager(bool on) { m_createResourceManager = on; }
    void SetCreateSoundManager(bool on) { m_createSoundManager = on; }
    void SetCreateShaderManager(bool on) { m_createShaderManager = on; }

private:
    std::wstring m_infoText;
    // Read by the loader and job threads while shutdown begins.
    std::atomic<bool> m_exitFlag{false};
    WinMainParam m_winMainParam;
    IDirect3DDevice9* m_device = nullptr;
    D3DPRESENT_PARAMETERS m_presentParameters{};
    HWND m_window = nullptr;
    std::atomic<bool> m_windowActive{false};
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    float m_screenScaleX = 1.0f;
    float m_screenScaleY = 1.0f;
    float m_aspect = 16.0f / 9.0f;
    float m_inverseAspect = 0.5625f;
    float m_worldScale = 1.0f;
    D3DXVECTOR3 m_cellSize;
    D3DXVECTOR3 m_outerSize;
    D3DXVECTOR3 m_worldShift{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_gravity{0.0f, -9.8f, 0.0f};
    bool m_frameLimit = true;
    bool m_createObjectManager = true;
    bool m_createAreaManager = true;
    bool m_useAreaFactory = true;
    bool m_createResourceManager = true;
    bool m_createSoundManager = true;
    bool m_createShaderManager = true;
    bool m_fixedPhysicsStep = false;
    int m_physicsSubSteps = 1;
    std::wstring m_textureDirectory = L"./data/texture";
    bool m_fileRedirect = false;
    std::wstring m_redirectExtension = L"code";
    PathFilter m_pathFilter = nullptr;
    DWORD m_assetKey = 0;
    float m_frameTime = 1.0f / 60.0f;
    float m_elapsedTime = 1.0f / 60.0f;
    float m_measuredFrameTime = 1.0f / 60.0f;
    float m_fpsMax = kDefaultFpsMax;
    float m_fpsMin = kDefaultFpsMin;
    float m_physicsStepRate = 60.0f;
    bool m_showSystemInfo = false;
    IObjectManager* m_objectManager = nullptr;
};

// Set by SetupWorldExtents; cleared and released by the entry point.
extern Environment* g_pEnvironment;

}  // namespace Quorvex
