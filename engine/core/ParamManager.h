// The engine's start-up configuration, read once from "Param.txt" into a
// key/value store.
#pragma once
#include <map>
#include <string>

#include "engine/core/ReferCounter.h"
#include "platform/win32/win32.h"

namespace Quorvex {

// The keys the engine reads. The file names them exactly as these texts.
namespace GameSetting {
inline constexpr const wchar_t* Client_Width = L"GameSetting::Client_Width";
inline constexpr const wchar_t* Client_Height = L"GameSetting::Client_Height";
inline constexpr const wchar_t* Window_Width = L"GameSetting::Window_Width";
inline constexpr const wchar_t* Window_Height = L"GameSetting::Window_Height";
inline constexpr const wchar_t* bFullScreen = L"GameSetting::bFullScreen";
inline constexpr const wchar_t* bShowMouseCursor = L"bShowMouseCursor";
inline constexpr const wchar_t* FramePerSecond_Max = L"FramePerSecond_Max";
inline constexpr const wchar_t* FramePerSecond_Min = L"FramePerSecond_Min";
inline constexpr const wchar_t* JobThreadCnt = L"JobThreadCnt";
}  // namespace GameSetting

class IParamManager : public IUnknown {
public:
    ~IParamManager() override = default;

    // Reads "Param.txt" from the working directory: 0, or -1 when it cannot
    // be opened (message 5 is logged).
    virtual int Initialize() = 0;
    // Removes every entry.
    virtual void Clear() = 0;
    virtual int Reserved() = 0;
    // The value text (a value that ends its line keeps the newline), or null.
    virtual const wchar_t* GetString(const wchar_t* key) = 0;
    // The value as UTF-8 in the caller's zero-filled buffer (cut to fit and
    // always terminated); null when the key is missing.
    virtual char* GetStringA(const wchar_t* key, char* buffer, int size) = 0;
    // Leading number of the value, '.' as decimal point; 0 when missing.
    virtual float GetFloat(const wchar_t* key) = 0;
    virtual int GetInt(const wchar_t* key) = 0;
    // "(r,g,b,a)" packed as a << 24 | r << 16 | g << 8 | b; 0 when missing or
    // fewer than four numbers.
    virtual DWORD GetColor(const wchar_t* key) = 0;
    virtual bool GetBool(const wchar_t* key) = 0;
    virtual int GetRefCount() const = 0;
};

class ParamManager : public IParamManager, public ReferCounter {
public:
    // Longest line taken at once; longer lines go on as the next line.
    static constexpr size_t kMaxLineChars = 65535;

    ParamManager() = default;
    ~ParamManager() override = default;

    QUORVEX_IUNKNOWN_BY_REFER_COUNTER

    int Initialize() override;
    void Clear() override;
    int Reserved() override { return 0; }
    const wchar_t* GetString(const wchar_t* key) override;
    char* GetStringA(const wchar_t* key, char* buffer, int size) override;
    float GetFloat(const wchar_t* key) override;
    int GetInt(const wchar_t* key) override;
    DWORD GetColor(const wchar_t* key) override;
    bool GetBool(const wchar_t* key) override;
    int GetRefCount() const override { return GetReferenceCount(); }

    // Reads the named file into the store (Initialize reads "Param.txt").
    int LoadFile(const wchar_t* path);
    // Takes one line of the file: the first two tokens (separators blank, tab,
    // "=" and ";") as key and value, unless the key starts after a "//".
    void ParseLine(const std::wstring& line);
    size_t GetCount() const { return m_entries.size(); }

private:
    struct Entry {
        std::wstring key;
        int kind = 3;  // always text
        std::wstring value;
    };

    const Entry* Find(const wchar_t* key) const;

    std::map<std::wstring, Entry> m_entries;
};

}  // namespace Quorvex
