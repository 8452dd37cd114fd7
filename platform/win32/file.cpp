// Reading existing files through wide paths.
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/services_internal.h"

namespace {

struct FileObject final : win32_internal::KernelObject {
    explicit FileObject(int descriptor) : fd(descriptor) {}
    ~FileObject() override { ::close(fd); }
    const int fd;
};

}  // namespace

std::string NativePath(const wchar_t* path) {
    if (!path) return std::string();
    std::string native = WideToUtf8(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD,
                   HANDLE) {
    if (!path || !*path || access != GENERIC_READ || creation != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    struct stat info;
    // Windows refuses to open a folder as a file.
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return win32_internal::RegisterHandle(std::make_shared<FileObject>(fd));
}

DWORD GetFileSize(HANDLE file, LPDWORD high) {
    const auto object = win32_internal::FindHandleAs<FileObject>(file);
    struct stat info;
    if (!object || ::fstat(object->fd, &info) != 0 || info.st_size < 0) return INVALID_FILE_SIZE;
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (high) *high = static_cast<DWORD>(size >> 32);
    else if (size > 0xFFFFFFFFu) return INVALID_FILE_SIZE;
    return static_cast<DWORD>(size);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    if (read) *read = 0;
    const auto object = win32_internal::FindHandleAs<FileObject>(file);
    if (!object || overlapped || (!buffer && toRead > 0)) return FALSE;
    auto* out = static_cast<unsigned char*>(buffer);
    DWORD done = 0;
    while (done < toRead) {
        const ssize_t n = ::read(object->fd, out + done, toRead - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (read) *read = done;
            return FALSE;
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (read) *read = done;
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
    if (!path || !*path) return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (::stat(NativePath(path).c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

FILE* _wfopen(const wchar_t* path, const wchar_t* mode) {
    if (!path || !mode) {
        errno = EINVAL;
        return nullptr;
    }
    // Text and binary mode are the same here; a ", ccs=" suffix is dropped.
    std::string narrowMode;
    for (; *mode && *mode != L','; ++mode) {
        if (*mode != L't' && *mode != L' ' && *mode < 0x80) narrowMode.push_back(static_cast<char>(*mode));
    }
    return std::fopen(NativePath(path).c_str(), narrowMode.c_str());
}

bool ReadLineW(FILE* file, std::wstring& line) {
    line.clear();
    if (!file) return false;
    const bool atStart = std::ftell(file) == 0;
    char* buffer = nullptr;
    size_t capacity = 0;
    const ssize_t n = ::getline(&buffer, &capacity, file);
    if (n < 0) {
        std::free(buffer);
        return false;
    }
    std::string_view bytes(buffer, static_cast<size_t>(n));
    if (atStart && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const bool crlf = bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n";
    if (crlf) bytes.remove_suffix(2);
    line = Utf8ToWide(bytes);
    if (crlf) line.push_back(L'\n');
    std::free(buffer);
    return true;
}
