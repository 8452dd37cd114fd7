// Paces the frame loop to the target frame rate with millisecond timers,
// measures the real time between frames and reports the rate in the window
// title every two seconds.
#pragma once
#include <cstdint>
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/win32/win32.h"

namespace Quorvex {

class IFpsManager : public IUnknown {
public:
    ~IFpsManager() override = default;
    virtual int Initialize(const wchar_t* title, HWND window) = 0;
    virtual void SetTitle(const wchar_t* title) = 0;
    // Blocks until the next frame slot; answers the milliseconds since the
    // previous wait ended.
    virtual DWORD Wait() = 0;
    virtual void ReportTitle(DWORD lastFrameMilliseconds) = 0;
    virtual int GetRefCount() const = 0;
};

class FpsManager : public IFpsManager, public ReferCounter {
public:
    // The clock, sleep and title output the timer uses; tests give their own.
    class System {
    public:
        virtual ~System() = default;
        virtual DWORD Now() = 0;
        virtual void Sleep(DWORD milliseconds) = 0;
        virtual void SetWindowTitle(HWND window, const wchar_t* text) = 0;
    };

    // A deadline further behind the clock than this is moved up to the clock:
    // after a long pause (a minimised window runs no frames) the loop would
    // otherwise run unpaced until it had made up every missed slot.
    static constexpr DWORD kMaxCatchUpMilliseconds = 1000;
    static constexpr float kDefaultRate = 60.0f;
    // Slower rates are taken as this one, so a slot stays a number of
    // milliseconds the clock can hold.
    static constexpr float kMinRate = 0.01f;

    // system: null for timeGetTime, Sleep and SetWindowTextW; not owned.
    explicit FpsManager(System* system = nullptr);
    ~FpsManager() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    int Initialize(const wchar_t* title, HWND window) override;
    void SetTitle(const wchar_t* title) override;
    DWORD Wait() override;
    void ReportTitle(DWORD lastFrameMilliseconds) override;
    int GetRefCount() const override { return GetReferenceCount(); }

    // Target rate, interval 1000 / rate, slot count 0 and both time marks set
    // to now. A rate that is not a positive number (a missing FramePerSecond_Max)
    // gives the default 60 instead of an unbounded interval.
    void SetFrameRate(float rate);
    float GetFrameRate() const { return m_targetRate; }
    float GetInterval() const { return m_interval; }
    DWORD GetDeadline() const { return m_deadline; }
    const std::wstring& GetTitle() const { return m_title; }

private:
    System* m_system;
    float m_targetRate = kDefaultRate;
    float m_interval = 1000.0f / kDefaultRate;
    DWORD m_lastFrameTime = 0;
    DWORD m_deadline = 0;
    // Slots are counted from a base time so that their fractions add up
    // exactly (a float carry loses a millisecond every few frames).
    DWORD m_slotBase = 0;
    uint64_t m_slotCount = 0;
    bool m_reportOn = false;
    int m_frames = 0;
    int m_spins = 0;
    DWORD m_lastReportTime = 0;
    DWORD m_reportInterval = 2000;
    HWND m_window = nullptr;
    std::wstring m_title;
};

}  // namespace Quorvex
