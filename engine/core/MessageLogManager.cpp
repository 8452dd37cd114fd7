#include "engine/core/MessageLogManager.h"

#include <cstdio>

namespace Quorvex {

MessageLogManager::~MessageLogManager() {
    if (IsConsoleEcho()) FreeConsole();
}

MessageLogManager& MessageLogManager::Instance() {
    // Never destroyed: static objects released at exit may still log.
    static MessageLogManager* const instance = new MessageLogManager();
    return *instance;
}

int MessageLogManager::Open(const wchar_t* fileName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (fileName) m_fileName = fileName;
    if (m_stream.is_open()) m_stream.close();
    m_stream.clear();
    m_stream.open(NativePath(m_fileName.c_str()), std::ios::out | std::ios::trunc | std::ios::binary);
    return m_stream.is_open() ? 0 : -1;
}

void MessageLogManager::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stream.is_open()) m_stream.close();
}

bool MessageLogManager::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stream.is_open();
}

int MessageLogManager::Log(const wchar_t* source, const wchar_t* text) {
    // Each piece is converted on its own, as the pieces may be any length.
    std::string line = WideToUtf8(source ? source : m_defaultSource.c_str());
    line += WideToUtf8(m_separator);
    if (text) line += WideToUtf8(text);
    if (line.size() > 1 && line.back() != '\n') line += '\n';

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stream.is_open()) {
        m_stream.write(line.data(), static_cast<std::streamsize>(line.size()));
        // Flushed at every line, so a crash loses nothing of what led to it.
        m_stream.flush();
    }
    if (IsConsoleEcho()) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
    return 0;
}

void DebugOutput(const std::wstring& text) {
    OutputDebugStringW(text.c_str());
    MessageLogManager::Instance().Log(nullptr, text.c_str());
}

}  // namespace Quorvex
