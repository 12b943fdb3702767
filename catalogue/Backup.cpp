// Backup.cpp - the registry file of an entry's key tree, written before the key is deleted.
#include "catalogue/Backup.h"

#include "catalogue/FileApi.h"
#include "catalogue/KeyWalker.h"
#include "catalogue/RegistryApi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <new>
#include <vector>

namespace catalogue {

namespace {

constexpr wchar_t kUninstallBelowSoftware[] = L"\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kHeader[] = L"\uFEFFWindows Registry Editor Version 5.00\r\n";
constexpr wchar_t kLinkComment[] =
    L"; This key is a registry link. Importing makes it an ordinary key holding the link's "
    L"target as its value; the registry editor cannot make it a link again.\r\n";

// The longest caption part of a file name, in UTF-16 units: short enough for the whole path to
// stay within MAX_PATH below a usual profile folder.
constexpr size_t kMaxCaptionUnits = 80;
// What the name of a file being written ends in, after the name it gets once complete.
constexpr wchar_t kPartialSuffix[] = L".partial";
// How many copy numbers are tried before giving up on a name.
constexpr int kMaxCopies = 1000;
// Text is handed to the file in pieces of about this many UTF-16 units.
constexpr size_t kWriteChunkUnits = 32 * 1024;
// The longest value name the registry allows, without its NUL.
constexpr DWORD kMaxValueNameChars = 16383;
// Hex lines are wrapped before this column, as the registry editor does.
constexpr size_t kWrapColumn = 76;

bool IsHighSurrogate(wchar_t c) noexcept {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) noexcept {
    return c >= 0xDC00 && c <= 0xDFFF;
}
// The characters that change the direction of the text around them (embeddings, overrides,
// isolates and marks): in a file name they make it display as another name, "tool\u202Egpj.exe"
// as "toolexe.jpg".
bool IsBidiControl(wchar_t c) noexcept {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// A name can be written into a registry file only when it fits on one line: a line break ends the
// "[key]" or quoted name, and a NUL cannot be written at all.
bool FitsOnOneLine(const wchar_t* name, size_t length) noexcept {
    return std::none_of(name, name + length,
                        [](wchar_t c) { return c == L'\0' || c == L'\r' || c == L'\n'; });
}

void AppendEscaped(std::wstring& out, const wchar_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == L'\\' || text[i] == L'"')
            out += L'\\';
        out += text[i];
    }
}

// Whether "text" gives back exactly these bytes of a REG_SZ: whole UTF-16 units, exactly one NUL
// and that at the end, no line break (which would end the line), and no unpaired surrogate.
bool QuotedHoldsExactly(const BYTE* data, DWORD size) noexcept {
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0)
        return false;
    const size_t units = size / sizeof(wchar_t);
    auto unit = [data](size_t i) {
        return static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    };
    if (unit(units - 1) != L'\0')
        return false;
    for (size_t i = 0; i + 1 < units; ++i) {
        const wchar_t c = unit(i);
        if (c == L'\0' || c == L'\r' || c == L'\n' || IsLowSurrogate(c))
            return false;
        if (IsHighSurrogate(c)) {
            if (i + 2 >= units || !IsLowSurrogate(unit(i + 1)))
                return false;
            ++i;
        }
    }
    return true;
}

void AppendHex(std::wstring& out, wchar_t* scratch, unsigned value, const wchar_t* format) {
    std::swprintf(scratch, 16, format, value);
    out += scratch;
}

// One value as the registry editor writes it: "name"= or @= for the default value, then the data.
void AppendValue(std::wstring& out, const std::wstring& name, DWORD type, const BYTE* data,
                 DWORD size) {
    const size_t lineStart = out.size();
    if (name.empty()) {
        out += L"@=";
    } else {
        out += L'"';
        AppendEscaped(out, name.data(), name.size());
        out += L"\"=";
    }
    wchar_t scratch[16];
    if (type == REG_SZ && QuotedHoldsExactly(data, size)) {
        out += L'"';
        std::wstring text(size / sizeof(wchar_t) - 1, L'\0');
        std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
        AppendEscaped(out, text.data(), text.size());
        out += L"\"\r\n";
        return;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        const unsigned value =
            data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<unsigned>(data[3]) << 24);
        AppendHex(out, scratch, value, L"dword:%08x");
        out += L"\r\n";
        return;
    }
    if (type == REG_BINARY)
        out += L"hex:";
    else
        AppendHex(out, scratch, type, L"hex(%x):");
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    size_t column = out.size() - lineStart;
    for (DWORD i = 0; i < size; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
        column += 2;
        if (i + 1 < size) {
            out += L',';
            ++column;
            if (column >= kWrapColumn) {
                out += L"\\\r\n  ";
                column = 2;
            }
        }
    }
    out += L"\r\n";
}

// Accumulates the file's text and hands it to the file in pieces; remembers the first failure.
class RegFileWriter {
public:
    explicit RegFileWriter(HANDLE file) : file_(file) { text_.reserve(kWriteChunkUnits * 2); }

    std::wstring& Text() noexcept { return text_; }

    // Writes the text gathered so far once it is long enough.
    LSTATUS WriteWhenFull() { return text_.size() >= kWriteChunkUnits ? Write() : ERROR_SUCCESS; }

    // Writes the file's header over the blank that it was written with: only a file written to
    // its end is a registry file (a process that ends while writing leaves one that no registry
    // editor reads). The handle is synchronous, so the write at that offset is done on return.
    LSTATUS WriteHeader() {
        OVERLAPPED atStart{};
        DWORD written = 0;
        const DWORD size = sizeof kHeader - sizeof(wchar_t);
        if (!CurrentFileApi().WriteFile(file_, kHeader, size, &written, &atStart))
            return ErrorOr(ERROR_WRITE_FAULT);
        return written == size ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
    }

    // Writes everything gathered so far.
    LSTATUS Write() {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(text_.data());
        size_t left = text_.size() * sizeof(wchar_t);
        while (left > 0) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(left, 1u << 20));
            DWORD written = 0;
            if (!CurrentFileApi().WriteFile(file_, bytes, piece, &written, nullptr))
                return ErrorOr(ERROR_WRITE_FAULT);
            if (written == 0 || written > piece)
                return ERROR_WRITE_FAULT;
            bytes += written;
            left -= written;
        }
        text_.clear();
        return ERROR_SUCCESS;
    }

    static LSTATUS ErrorOr(LSTATUS fallback) noexcept {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? static_cast<LSTATUS>(error) : fallback;
    }

private:
    HANDLE file_;
    std::wstring text_;
};

// Reads a tree and writes it as key blocks, parents first, as a walk in the wide form visits it.
// Every key is read once more when its subkeys are done: when it changed meanwhile (a subkey or
// value added or removed shifts the indexes it is read by, so one may have been skipped) the
// backup fails. What each key held is recorded by its path relative to the entry key.
class TreeWriter final : public TKeyWalker::Visitor {
public:
    using Next = TKeyWalker::Next;
    using Step = TBackupFailure::Step;

    TreeWriter(RegFileWriter& writer, const TKeyWalker& walker, std::wstring entryPath)
        : writer_(writer), walker_(walker), entryPath_(std::move(entryPath)) {}

    LSTATUS Status() const noexcept { return status_; }
    const TBackupFailure& Failure() const noexcept { return failure_; }
    TKeyStates& States() noexcept { return states_; }

    // Writes the key's block: its name and every value. A link is written as what it is, a key
    // holding its link value; the walk never reads the keys of its target.
    Next Enter(TKeyWalker::Visit& key) override {
        const std::wstring path = PathOf(key);
        if (key.Kind == TKeyKind::Unknown)
            return Fail(key.KindStatus, Step::KeyNotRead, path);
        if (key.InfoStatus != ERROR_SUCCESS)
            return Fail(key.InfoStatus, Step::KeyNotRead, path);
        TKeyState& state = states_[key.Relative];
        state = TKeyState::CountsAndTimeOf(key.Info);
        std::wstring& text = writer_.Text();
        text += L"\r\n[";
        text += path;
        text += L"]\r\n";
        return WriteValues(key.Key, path, key.Info.NumValues, key.Info.MaxValueLen,
                           key.Info.MaxDataLen, state.Values);
    }

    // As many subkeys as the key reported (a leaf costs no enumeration step); fewer means that
    // one was deleted meanwhile.
    Next Subkey(TKeyWalker::Visit& key, const TKeyName& name) override {
        const std::wstring path = PathOf(key);
        if (name.WideStatus == ERROR_NO_MORE_ITEMS)
            return Changed(path);
        if (name.WideStatus != ERROR_SUCCESS)
            return Fail(name.WideStatus, Step::SubkeysNotListed, path);
        if (name.Wide.empty() || !FitsOnOneLine(name.Wide.data(), name.Wide.size()))
            return Fail(ERROR_INVALID_DATA, Step::KeyNameUnwritable, path + L"\\" + name.Wide);
        return Next::Go;
    }

    Next OpenFailed(TKeyWalker::Visit& key, const TKeyName& name, LSTATUS status) override {
        return Fail(status, Step::KeyNotOpened, PathOf(key) + L"\\" + name.Wide);
    }

    Next Leave(TKeyWalker::Visit& key) override {
        TRegKeyInfo after;
        if (const LSTATUS status = walker_.Query(key.Key, after); status != ERROR_SUCCESS)
            return Fail(status, Step::KeyNotRead, PathOf(key));
        if (!TKeyState::CountsAndTimeOf(after).SameCountsAndTime(states_[key.Relative]))
            return Changed(PathOf(key));
        return Next::Go;
    }

private:
    // The key's name in the file.
    std::wstring PathOf(const TKeyWalker::Visit& key) const {
        return key.Relative.empty() ? entryPath_ : entryPath_ + L"\\" + key.Relative;
    }

    Next Changed(const std::wstring& path) {
        return Fail(kErrorKeyChanged, Step::KeyChanged, path);
    }

    // Writes count values of key; Stop when one cannot be read or written.
    Next WriteValues(HKEY key, const std::wstring& path, DWORD count, DWORD maxNameLen,
                     DWORD maxDataLen, std::vector<TValueRecord>& written) {
        names_.resize(std::max<size_t>(names_.size(), size_t{maxNameLen} + 1));
        data_.resize(std::max<size_t>(data_.size(), std::max<DWORD>(maxDataLen, 1)));
        int retries = 0;
        for (DWORD index = 0; index < count;) {
            DWORD nameLength = static_cast<DWORD>(names_.size());
            DWORD type = REG_NONE;
            DWORD size = static_cast<DWORD>(data_.size());
            const LSTATUS status = CurrentRegistryApi().EnumValueW(
                key, index, names_.data(), &nameLength, nullptr, &type, data_.data(), &size);
            if (status == ERROR_NO_MORE_ITEMS)
                return Changed(path);
            if (status == ERROR_MORE_DATA && retries < 3) {
                // The value grew since the key was queried: read it again with room for it.
                ++retries;
                names_.resize(kMaxValueNameChars + 1);
                data_.resize(std::max<size_t>(size, data_.size() * 2));
                continue;
            }
            if (status != ERROR_SUCCESS)
                return Fail(status, Step::ValuesNotRead, path);
            retries = 0;
            nameLength = std::min<DWORD>(nameLength, static_cast<DWORD>(names_.size()));
            size = std::min<DWORD>(size, static_cast<DWORD>(data_.size()));
            const std::wstring name(names_.data(), nameLength);
            if (!FitsOnOneLine(name.data(), name.size()))
                return Fail(ERROR_INVALID_DATA, Step::ValueNameUnwritable, path);
            if (type == REG_LINK && NamesSymbolicLinkValue(name))
                writer_.Text() += kLinkComment;
            AppendValue(writer_.Text(), name, type, data_.data(), size);
            written.push_back({name, type, std::vector<BYTE>(data_.data(), data_.data() + size)});
            if (const LSTATUS flushed = writer_.WriteWhenFull(); flushed != ERROR_SUCCESS)
                return FailWrite(flushed);
            ++index;
        }
        return Next::Go;
    }

    // Ends the walk with status, described by failure.
    Next Fail(LSTATUS status, Step what, std::wstring path) {
        status_ = status;
        failure_.What = what;
        failure_.Path = std::move(path);
        return Next::Stop;
    }
    // A failed write is described by the caller, which knows the file.
    Next FailWrite(LSTATUS status) { return Fail(status, Step::None, {}); }

    RegFileWriter& writer_;
    const TKeyWalker& walker_;
    std::wstring entryPath_;
    LSTATUS status_ = ERROR_SUCCESS;
    TKeyStates states_;
    std::vector<wchar_t> names_;
    std::vector<BYTE> data_;
    TBackupFailure failure_;
};

// Creates every missing folder of path below its first component (the drive or share, and the
// folder it was found under, already exist).
LSTATUS CreateFolders(const std::wstring& base, const std::wstring& below) {
    std::wstring path = base;
    size_t start = 0;
    while (start <= below.size()) {
        size_t end = below.find(L'\\', start);
        if (end == std::wstring::npos)
            end = below.size();
        path += L'\\';
        path.append(below, start, end - start);
        if (!CurrentFileApi().CreateDirectory(path.c_str(), nullptr)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS)
                return error != ERROR_SUCCESS ? static_cast<LSTATUS>(error) : ERROR_CANNOT_MAKE;
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

} // namespace

std::wstring BackupFileName(const SYSTEMTIME& time, const std::wstring& caption, int copy) {
    std::wstring safe;
    safe.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        const wchar_t c = caption[i];
        if (IsHighSurrogate(c) && i + 1 < caption.size() && IsLowSurrogate(caption[i + 1])) {
            safe += c;
            safe += caption[++i];
            continue;
        }
        const bool forbidden = c < 0x20 || c == 0x7F || std::wcschr(L"\\/:*?\"<>|", c) ||
                               IsHighSurrogate(c) || IsLowSurrogate(c) || IsBidiControl(c);
        safe += forbidden ? L'_' : c;
    }
    auto trim = [](std::wstring& text) {
        while (!text.empty() && (text.back() == L' ' || text.back() == L'.'))
            text.pop_back();
        const size_t first = text.find_first_not_of(L' ');
        text.erase(0, first == std::wstring::npos ? text.size() : first);
    };
    trim(safe);
    if (safe.size() > kMaxCaptionUnits) {
        size_t cut = kMaxCaptionUnits;
        if (IsHighSurrogate(safe[cut - 1]))
            --cut; // the pair stays whole, or goes as a whole
        safe.resize(cut);
        trim(safe);
    }
    if (safe.empty())
        safe = L"entry";
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u-%02u-%02u %02u-%02u-%02u ", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    std::wstring name = stamp + safe;
    if (copy > 1)
        name += L" (" + std::to_wstring(copy) + L")";
    return name + L".reg";
}

LSTATUS BackupFolder(std::wstring& folder, TBackupFailure& failure) {
    folder.clear();
    PWSTR base = nullptr;
    const HRESULT result =
        CurrentFileApi().KnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base);
    std::wstring root = SUCCEEDED(result) && base ? base : L"";
    ::CoTaskMemFree(base);
    if (root.empty()) {
        failure = TBackupFailure::Of(TBackupFailure::Step::NoDataFolder);
        return HRESULT_FACILITY(result) == FACILITY_WIN32
                   ? static_cast<LSTATUS>(HRESULT_CODE(result))
                   : ERROR_PATH_NOT_FOUND;
    }
    while (root.size() > 1 && root.back() == L'\\')
        root.pop_back();
    if (const LSTATUS status = CreateFolders(root, kBackupFolderBelowLocalAppData);
        status != ERROR_SUCCESS) {
        failure = TBackupFailure::Of(TBackupFailure::Step::FolderNotCreated,
                                     root + L"\\" + kBackupFolderBelowLocalAppData);
        return status;
    }
    folder = root + L"\\" + kBackupFolderBelowLocalAppData;
    return ERROR_SUCCESS;
}

std::wstring RegFileKeyPath(TEntryScope scope, const std::wstring& keyName) {
    std::wstring root;
    switch (scope) {
    case TEntryScope::System: root = L"HKEY_LOCAL_MACHINE\\SOFTWARE"; break;
    case TEntryScope::System32: root = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node"; break;
    case TEntryScope::User: root = L"HKEY_CURRENT_USER\\Software"; break;
    }
    return root + kUninstallBelowSoftware + keyName;
}

namespace {

// The backup into a file already created at path; the file is left to the caller.
LSTATUS WriteBackup(HANDLE file, TEntryScope scope, const std::wstring& keyName,
                    TBackupFailure& failure, TKeyStates& states) {
    RegFileWriter writer(file);
    // NULs where the header goes: it is written last (RegFileWriter::WriteHeader).
    writer.Text().append(std::size(kHeader) - 1, L'\0');
    const std::wstring path = RegFileKeyPath(scope, keyName);
    if (keyName.empty() || keyName.find(L'\\') != std::wstring::npos ||
        !FitsOnOneLine(keyName.data(), keyName.size())) {
        failure = TBackupFailure::Of(TBackupFailure::Step::KeyNameUnwritable, path);
        return ERROR_INVALID_DATA;
    }
    // The keys above the entry key one level at a time, each as itself: a link among them would
    // lead into another tree. The entry key is opened as itself too (a link entry is written as
    // the link).
    const TKeyWalker walker(TNameForm::Wide, ViewOf(scope));
    std::vector<TKeyName> above;
    for (const wchar_t* name : kKeysAboveEntry)
        above.push_back(TKeyName::FromWide(name));
    UniqueHkey uninstall;
    LSTATUS status = walker.OpenPathAsItself(RootKeyOf(scope), above, uninstall);
    if (status == kErrorLinkAbove) {
        failure = TBackupFailure::Of(TBackupFailure::Step::LinkAbove, path);
        return status;
    }
    TreeWriter tree(writer, walker, path);
    if (status == ERROR_SUCCESS)
        walker.Walk(uninstall.get(), TKeyName::FromWide(keyName), KEY_READ, false, tree, status);
    if (status != ERROR_SUCCESS) {
        failure = TBackupFailure::Of(TBackupFailure::Step::KeyNotOpened, path);
        return status;
    }
    status = tree.Status();
    states = std::move(tree.States());
    if (status == ERROR_SUCCESS) {
        writer.Text() += L"\r\n";
        status = writer.Write();
    }
    // On the disk before the header goes over the blank: a system that stops in between leaves
    // a file without its header, never a header without the rest.
    if (status == ERROR_SUCCESS && !CurrentFileApi().FlushFileBuffers(file))
        status = RegFileWriter::ErrorOr(ERROR_WRITE_FAULT);
    if (status == ERROR_SUCCESS)
        status = writer.WriteHeader();
    failure = tree.Failure();
    if (status == ERROR_SUCCESS && !CurrentFileApi().FlushFileBuffers(file))
        status = RegFileWriter::ErrorOr(ERROR_WRITE_FAULT);
    return status;
}

// Gives the complete, closed file partial the first backup name that is free, as one rename that
// is on the disk when it returns; a file that has the name already is never replaced. path
// receives the final name.
LSTATUS NameFinished(const std::wstring& partial, const std::wstring& folder,
                     const SYSTEMTIME& time, const std::wstring& caption, std::wstring& path,
                     TBackupFailure& failure) {
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        path = folder + L"\\" + BackupFileName(time, caption, copy);
        if (CurrentFileApi().MoveFileEx(partial.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
            return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            failure = TBackupFailure::Of(TBackupFailure::Step::FileNotRenamed, partial, path);
            path.clear();
            return error != ERROR_SUCCESS ? static_cast<LSTATUS>(error) : ERROR_CAN_NOT_COMPLETE;
        }
    }
    path.clear();
    failure = TBackupFailure::Of(TBackupFailure::Step::NoNameLeft, folder);
    return ERROR_FILE_EXISTS;
}

} // namespace

TBackup BackUpEntry(TEntryScope scope, const std::wstring& keyName, const std::wstring& caption,
                    const SYSTEMTIME& time) noexcept {
    TBackup backup;
    // The file is written under a name that no backup has, and takes its final name only once it
    // is complete, flushed and closed: a process that ends while writing leaves no file that
    // passes for a backup.
    std::wstring partial;
    bool created = false;
    try {
        std::wstring folder;
        backup.Error = BackupFolder(folder, backup.Failure);
        if (backup.Error != ERROR_SUCCESS)
            return backup;
        UniqueFile file;
        for (int copy = 1; copy <= kMaxCopies && !file; ++copy) {
            partial = folder + L"\\" + BackupFileName(time, caption, copy) + kPartialSuffix;
            file.reset(CurrentFileApi().CreateFile(partial.c_str(), GENERIC_WRITE, 0, nullptr,
                                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file)
                break;
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                backup.Error =
                    error != ERROR_SUCCESS ? static_cast<LSTATUS>(error) : ERROR_CANNOT_MAKE;
                backup.Failure = TBackupFailure::Of(TBackupFailure::Step::FileNotCreated, partial);
                return backup;
            }
        }
        if (!file) {
            backup.Error = ERROR_FILE_EXISTS;
            backup.Failure = TBackupFailure::Of(TBackupFailure::Step::NoNameLeft, folder);
            return backup;
        }
        created = true;
        backup.Error = WriteBackup(file.get(), scope, keyName, backup.Failure, backup.Keys);
        // The last writes of a file may only fail when it is closed.
        if (backup.Error == ERROR_SUCCESS && !CurrentFileApi().CloseHandle(file.release()))
            backup.Error = RegFileWriter::ErrorOr(ERROR_WRITE_FAULT);
        if (backup.Error == ERROR_SUCCESS)
            backup.Error =
                NameFinished(partial, folder, time, caption, backup.Path, backup.Failure);
    } catch (const std::bad_alloc&) {
        backup.Error = ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        backup.Error = ERROR_CAN_NOT_COMPLETE;
    }
    if (backup.Error == ERROR_SUCCESS)
        return backup;
    backup.Path.clear();
    backup.Keys.clear();
    // Without a file name yet (memory ran out finding the folder) there is no file to name.
    if (!backup.Failure.Failed()) {
        backup.Failure.What = partial.empty() ? TBackupFailure::Step::NotWritten
                                              : TBackupFailure::Step::FileNotWritten;
        try {
            backup.Failure.Path = partial;
        } catch (...) {
            backup.Failure.What = TBackupFailure::Step::None; // nothing can be named
        }
    }
    // Nothing incomplete is left behind: the file was closed when its owner went out of scope.
    if (created && !CurrentFileApi().DeleteFile(partial.c_str()))
        backup.Failure.IncompleteFileLeft = true;
    return backup;
}

} // namespace catalogue
