#include "engine/core/FpsManager.h"

#include <cmath>

#include "engine/core/MessageLogManager.h"

namespace Quorvex {

namespace {

class SystemClock final : public FpsManager::System {
public:
    DWORD Now() override { return timeGetTime(); }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
    void SetWindowTitle(HWND window, const wchar_t* text) override { SetWindowTextW(window, text); }
};

SystemClock g_systemClock;

// Clock comparisons by signed difference, so they hold across the 2^32 wrap.
bool Before(DWORD a, DWORD b) { return static_cast<int32_t>(a - b) < 0; }

}  // namespace

FpsManager::FpsManager(System* system) : m_system(system ? system : &g_systemClock) {
    m_lastFrameTime = m_system->Now();
    m_lastReportTime = m_lastFrameTime;
    m_deadline = m_slotBase = m_lastFrameTime;
}

int FpsManager::Initialize(const wchar_t* title, HWND window) {
    m_reportOn = false;
    m_window = window;
    m_title = title ? title : L"";
    m_reportOn = true;
    return 0;
}

void FpsManager::SetTitle(const wchar_t* title) { m_title = title ? title : L""; }

void FpsManager::SetFrameRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) {
        MessageLogManager::Instance().Log(
            L"FpsManager", FormatW(L"frame rate %f is not a positive number; using %f", rate, kDefaultRate).c_str());
        rate = kDefaultRate;
    }
    if (rate < kMinRate) rate = kMinRate;
    m_targetRate = rate;
    m_interval = 1000.0f / rate;
    m_lastFrameTime = m_system->Now();
    m_deadline = m_lastFrameTime;
    m_slotBase = m_deadline;
    m_slotCount = 0;
}

DWORD FpsManager::Wait() {
    // The deadline advances by one slot from its previous value, not from the
    // clock: slots of 16, 17, 17 ms at 60 per second, and a late frame is made
    // up by the following waits.
    ++m_slotCount;
    const double sinceBase = std::floor(static_cast<double>(m_slotCount) * 1000.0 / m_targetRate + 1e-6);
    m_deadline = m_slotBase + static_cast<DWORD>(static_cast<uint64_t>(sinceBase));
    DWORD now = m_system->Now();
    if (Before(m_deadline + kMaxCatchUpMilliseconds, now)) {
        m_slotBase = m_deadline = now;
        m_slotCount = 0;
    }
    const int32_t ahead = static_cast<int32_t>(m_deadline - now - 1);
    if (ahead >= 0) m_system->Sleep(static_cast<DWORD>(ahead));
    do {
        m_system->Sleep(0);
        ++m_spins;
        now = m_system->Now();
    } while (Before(now, m_deadline));

    ++m_frames;
    const DWORD elapsed = now - m_lastFrameTime;
    m_lastFrameTime = now;
    ReportTitle(elapsed);
    return elapsed;
}

void FpsManager::ReportTitle(DWORD lastFrameMilliseconds) {
    if (!m_reportOn) return;
    if (Before(m_system->Now(), m_lastReportTime + m_reportInterval)) return;
    if (m_frames < 1) m_frames = 1;
    const float seconds = static_cast<float>(m_reportInterval) / 1000.0f;
    const float rate = static_cast<float>(m_frames) / seconds;
    const float sleeps = static_cast<float>(m_spins) / seconds;
    const std::wstring text = FormatW(L"%s [ FPS : %.1f/%.1f ] ( SleepCnt/sec : %.2f ) ( ms/f : %d )", m_title,
                                      rate, m_targetRate, sleeps, lastFrameMilliseconds);
    m_system->SetWindowTitle(m_window, text.c_str());
    m_lastReportTime = m_system->Now();
    m_frames = 0;
    m_spins = 0;
}

}  // namespace Quorvex
