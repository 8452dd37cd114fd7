// The engine's log: one text file, one line per message, "source : text".
#pragma once
#include <atomic>
#include <fstream>
#include <mutex>
#include <string>

#include "platform/win32/win32.h"

namespace Quorvex {

class MessageLogManager {
public:
    MessageLogManager() = default;
    MessageLogManager(const MessageLogManager&) = delete;
    MessageLogManager& operator=(const MessageLogManager&) = delete;
    // Frees the console when the echo is on.
    ~MessageLogManager();

    // The process-wide log. It lives until the process ends, so that objects
    // torn down late can still trace.
    static MessageLogManager& Instance();

    // Opens the file for writing, truncating it (null: "MsgLog.txt"): 0, or -1.
    int Open(const wchar_t* fileName = nullptr);
    void Close();
    bool IsOpen() const;

    // Writes source (the default "Message" when null), " : " and text as one
    // UTF-8 line, adding the newline unless the text ends with one; also to
    // standard output while the console echo is on. Safe from any thread: a
    // line is written whole. Answers 0.
    int Log(const wchar_t* source, const wchar_t* text);

    void SetConsoleEcho(bool on) { m_consoleEcho.store(on); }
    bool IsConsoleEcho() const { return m_consoleEcho.load(); }
    const std::wstring& GetFileName() const { return m_fileName; }

private:
    mutable std::mutex m_mutex;
    std::ofstream m_stream;
    std::wstring m_defaultSource = L"Message";
    std::wstring m_separator = L" : ";
    std::wstring m_fileName = L"MsgLog.txt";
    std::atomic<bool> m_consoleEcho{true};
};

// Sends a formatted trace to the debugger output and logs it under the
// default source.
void DebugOutput(const std::wstring& text);

// Trace with a wide Microsoft-style format ("%s" takes wide text; "%d" prints
// an address passed as a pointer or 64-bit integer whole).
template <class... A>
void DebugPrint(const wchar_t* format, const A&... args) {
    DebugOutput(FormatW(format, args...));
}

// The same with a narrow format.
template <class... A>
void FormatDebugMessage(const char* format, const A&... args) {
    DebugOutput(Utf8ToWide(FormatA(format, args...)));
}

}  // namespace Quorvex
