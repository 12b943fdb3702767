// BackupSandbox.cpp - the scratch folder for backups and the hookable file table.
#include "tests/support/BackupSandbox.h"

#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestPrefix.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

// Deletes folder with every file and folder in it (nothing there is a link or a reparse point:
// the sandbox made it all).
void DeleteFolderTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolderTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

} // namespace

BackupSandbox* BackupSandbox::active_ = nullptr;

BackupSandbox::BackupSandbox() : BackupSandbox(TestProgramName()) {}

BackupSandbox::BackupSandbox(const std::string& name) : previous_(catalogue::CurrentFileApi()) {
    RequireTestPrefix("write backups into a scratch folder");
    if (active_)
        throw std::logic_error("BackupSandbox does not nest");
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        throw std::runtime_error("no temporary folder");
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    base += L"\\ordanel-tests";
    ::CreateDirectoryW(base.c_str(), nullptr);
    root_ = base + L"\\" + Wide(name);
    DeleteFolderTree(root_);
    if (!::CreateDirectoryW(root_.c_str(), nullptr))
        throw std::runtime_error("cannot create the backup scratch folder");

    CreateDirectory = previous_.CreateDirectory;
    CreateFile = previous_.CreateFile;
    WriteFile = previous_.WriteFile;
    FlushFileBuffers = previous_.FlushFileBuffers;
    DeleteFile = previous_.DeleteFile;
    MoveFileEx = previous_.MoveFileEx;
    active_ = this;
    override_.emplace(catalogue::FileApi{
        [](REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path) -> HRESULT {
            if (!IsEqualGUID(id, FOLDERID_LocalAppData))
                return active_->previous_.KnownFolderPath(id, flags, token, path);
            const std::wstring& root = active_->root_;
            const size_t bytes = (root.size() + 1) * sizeof(wchar_t);
            *path = static_cast<PWSTR>(::CoTaskMemAlloc(bytes));
            if (!*path)
                return E_OUTOFMEMORY;
            std::memcpy(*path, root.c_str(), bytes);
            return S_OK;
        },
        [](LPCWSTR path, LPSECURITY_ATTRIBUTES security) -> BOOL {
            return active_->CreateDirectory(path, security);
        },
        [](LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
           DWORD disposition, DWORD flags, HANDLE model) -> HANDLE {
            const HANDLE file =
                active_->CreateFile(path, access, share, security, disposition, flags, model);
            if (file != INVALID_HANDLE_VALUE)
                active_->open_.insert(file);
            return file;
        },
        [](HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
            -> BOOL { return active_->WriteFile(file, data, size, written, overlapped); },
        [](HANDLE file) -> BOOL { return active_->FlushFileBuffers(file); },
        [](HANDLE handle) -> BOOL {
            active_->open_.erase(handle);
            return active_->previous_.CloseHandle(handle);
        },
        [](LPCWSTR path) -> BOOL { return active_->DeleteFile(path); },
        [](LPCWSTR from, LPCWSTR to, DWORD flags) -> BOOL {
            return active_->MoveFileEx(from, to, flags);
        }});
}

BackupSandbox::~BackupSandbox() {
    override_.reset();
    active_ = nullptr;
    try {
        DeleteFolderTree(root_);
    } catch (...) {
    }
}

std::wstring BackupSandbox::Folder() const {
    return root_ + L"\\Ordanel\\Removed";
}

std::vector<std::wstring> BackupSandbox::Files() const {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((Folder() + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(Folder() + L"\\" + found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring BackupSandbox::ReadUtf16(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open a backup");
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(file);
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[0] != '\xFF' || bytes[1] != '\xFE')
        throw std::runtime_error("a backup that is not UTF-16 LE with a byte order mark");
    std::wstring text(bytes.size() / 2 - 1, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
}

} // namespace testsupport
