#include "engine/core/ParamManager.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/core/MessageTable.h"

namespace Quorvex {

namespace {

bool IsSeparator(wchar_t c) { return c == L' ' || c == L'\t' || c == L'=' || c == L';'; }

// Length of the UTF-8 sequence a lead byte starts (1 for anything else).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// Where to cut a full line buffer so that no UTF-8 sequence is split: before
// an incomplete sequence at its end, else at its end.
size_t SafeCut(const std::string& bytes) {
    size_t i = bytes.size();
    for (size_t back = 0; back < 4 && i > 0; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[i - 1]);
        if ((c & 0xC0) != 0x80) {
            const size_t start = i - 1;
            if (c >= 0xC0 && start + SequenceLength(c) > bytes.size() && start > 0) return start;
            break;
        }
        --i;
    }
    return bytes.size();
}

// A double beyond the float range becomes an infinity rather than an
// undefined conversion.
float ToFloat(double value) {
    if (value > FLT_MAX) return INFINITY;
    if (value < -FLT_MAX) return -INFINITY;
    return static_cast<float>(value);
}

}  // namespace

int ParamManager::Initialize() { return LoadFile(L"Param.txt"); }

int ParamManager::LoadFile(const wchar_t* path) {
    FILE* file = _wfopen(path, L"rb");
    if (!file) {
        MessageTable::Log(5, L"ParamManager::Initialize()");
        return -1;
    }
    // Lines are cut at kMaxLineChars bytes (at most that many characters), so
    // a file of any size or content is read in bounded steps.
    std::string line;
    line.reserve(256);
    bool firstLine = true;
    auto take = [&](size_t cut) {
        std::string_view bytes(line.data(), cut);
        if (firstLine && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        firstLine = false;
        std::wstring text = Utf8ToWide(bytes);
        // Text mode: a line ends in "\n" whatever the file used.
        if (text.size() >= 2 && text[text.size() - 2] == L'\r' && text.back() == L'\n') {
            text.pop_back();
            text.back() = L'\n';
        }
        ParseLine(text);
        line.erase(0, cut);
    };
    std::vector<char> chunk(1 << 16);
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            line.push_back(chunk[i]);
            if (chunk[i] == '\n')
                take(line.size());
            else if (line.size() >= kMaxLineChars)
                take(SafeCut(line));
        }
    }
    if (!line.empty()) take(line.size());
    std::fclose(file);
    return 0;
}

void ParamManager::ParseLine(const std::wstring& line) {
    std::wstring_view s(line);
    // The line is a C string: anything after a NUL (binary files) is not read.
    s = s.substr(0, s.find(L'\0'));
    const size_t comment = s.find(L"//");
    size_t i = 0;
    auto nextToken = [&](size_t& start, size_t& end) {
        while (i < s.size() && IsSeparator(s[i])) ++i;
        if (i == s.size()) return false;
        start = i;
        while (i < s.size() && !IsSeparator(s[i])) ++i;
        end = i;
        return true;
    };
    size_t keyStart, keyEnd, valueStart, valueEnd;
    if (!nextToken(keyStart, keyEnd) || !nextToken(valueStart, valueEnd)) return;
    if (comment != std::wstring_view::npos && keyStart >= comment) return;
    Entry entry;
    entry.key.assign(s.substr(keyStart, keyEnd - keyStart));
    entry.value.assign(s.substr(valueStart, valueEnd - valueStart));
    // A key given again replaces the earlier entry.
    m_entries.insert_or_assign(entry.key, std::move(entry));
}

void ParamManager::Clear() { m_entries.clear(); }

const ParamManager::Entry* ParamManager::Find(const wchar_t* key) const {
    if (!key) return nullptr;
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : &it->second;
}

const wchar_t* ParamManager::GetString(const wchar_t* key) {
    const Entry* e = Find(key);
    return e ? e->value.c_str() : nullptr;
}

char* ParamManager::GetStringA(const wchar_t* key, char* buffer, int size) {
    const Entry* e = Find(key);
    if (!e || !buffer || size <= 0) return nullptr;
    std::memset(buffer, 0, static_cast<size_t>(size));
    const std::string text = WideToUtf8(e->value);
    size_t n = text.size() < static_cast<size_t>(size) ? text.size() : static_cast<size_t>(size) - 1;
    // Never end inside a UTF-8 sequence when the value is cut.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, text.data(), n);
    return buffer;
}

float ParamManager::GetFloat(const wchar_t* key) {
    const Entry* e = Find(key);
    return e ? ToFloat(_wtof(e->value.c_str())) : 0.0f;
}

int ParamManager::GetInt(const wchar_t* key) {
    const Entry* e = Find(key);
    return e ? _wtoi(e->value.c_str()) : 0;
}

bool ParamManager::GetBool(const wchar_t* key) { return GetInt(key) != 0; }

DWORD ParamManager::GetColor(const wchar_t* key) {
    const Entry* e = Find(key);
    if (!e) return 0;
    // The value ends its line with the newline, which is no number.
    constexpr std::wstring_view kSeparators = L" \t(,)\r\n";
    std::wstring_view s(e->value);
    int numbers[4];
    int count = 0;
    size_t i = 0;
    while (count < 4) {
        i = s.find_first_not_of(kSeparators, i);
        if (i == std::wstring_view::npos) break;
        const size_t end = std::min(s.find_first_of(kSeparators, i), s.size());
        numbers[count++] = _wtoi(std::wstring(s.substr(i, end - i)).c_str());
        i = end;
    }
    if (count < 4) return 0;
    // r, g, b, a in the file; each is one byte of the colour.
    auto byte = [](int v) { return static_cast<DWORD>(v) & 0xFFu; };
    return byte(numbers[3]) << 24 | byte(numbers[0]) << 16 | byte(numbers[1]) << 8 | byte(numbers[2]);
}

}  // namespace Quorvex
