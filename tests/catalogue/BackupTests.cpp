// test-lock: registry-uninstall
//
// The backup written before every removal. Imported with the registry editor (Wine's regedit, run
// as a process of its own), it gives back the removed entry: both hives are dumped before the
// removal and after the import and compared byte for byte. A backup that cannot be written or read
// completely deletes nothing and leaves no file behind. File names.
#include "catalogue/Backup.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Registry.h"
#include "framework/Controls.h"
#include "tests/support/BackupSandbox.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestCatalogue.h"
#include "tests/support/UninstallSandbox.h"
#include "ui/RemovalText.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using TCatalogue = ui::TTreeCatalogue;
using catalogue::TEntryScope;
using catalogue::TRemoval;
using framework::TTreeNode;
using testsupport::BackupSandbox;
using testsupport::RegistryDump;
using testsupport::Scope;

std::vector<BYTE> Bytes(const std::wstring& units) {
    const BYTE* data = reinterpret_cast<const BYTE*>(units.data());
    return {data, data + units.size() * sizeof(wchar_t)};
}

struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> bytes;
};

// Every kind of value, and text in every shape a quoted string could not give back.
std::vector<Value> EveryKind() {
    std::vector<BYTE> large(70000);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<BYTE>(i * 7);
    return {
        {L"", REG_SZ, Bytes(L"Default text\0"s)},
        {L"Quote \" and \\ backslash = tab\t", REG_SZ, Bytes(L"C:\\Program Files\\\"x\"\t\0"s)},
        {L"Empty text", REG_SZ, {}},
        {L"Only NUL", REG_SZ, Bytes(L"\0"s)},
        {L"Embedded NUL", REG_SZ, Bytes(L"a\0b\0"s)},
        {L"Line break", REG_SZ, Bytes(L"one\r\ntwo\0"s)},
        {L"Lone surrogate", REG_SZ,
         Bytes(L"a\xDC00"
               L"b\0"s)},
        {L"Non-BMP \U0001D11E", REG_SZ, Bytes(L"\U0001F600 \u65E5\u672C\0"s)},
        {L"Expand", REG_EXPAND_SZ, Bytes(L"%ProgramFiles%\\Tool\0"s)},
        {L"Expand empty", REG_EXPAND_SZ, {}},
        {L"Multi", REG_MULTI_SZ, Bytes(L"a\0\0b\0\0"s)},
        {L"Multi empty", REG_MULTI_SZ, {}},
        {L"Multi only end", REG_MULTI_SZ, Bytes(L"\0"s)},
        {L"Dword", REG_DWORD, {0xEF, 0xCD, 0xAB, 0x89}},
        {L"Short dword", REG_DWORD, {0x01, 0x02}},
        {L"Big endian", REG_DWORD_BIG_ENDIAN, {0x89, 0xAB, 0xCD, 0xEF}},
        {L"Qword", REG_QWORD, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}},
        {L"Binary", REG_BINARY, {0x00, 0xFF, 0x0D, 0x0A, 0x22, 0x5C}},
        {L"Binary empty", REG_BINARY, {}},
        {L"Large", REG_BINARY, large},
        {L"None", REG_NONE, {}},
        {L"None with bytes", REG_NONE, {0x01, 0x00, 0x02}},
        {L"Unnamed kind", 0x12345, {0xAA, 0xBB}},
        {L"Highest kind", 0xFFFFFFFF, {0x01}},
        {L"\u65E5\u672C\u8A9E \U0001F600 ]", REG_SZ, Bytes(L"\u30C4\u30FC\u30EB\0"s)},
    };
}

// How some of them are written: as the quoted text only where that gives back the same bytes.
const wchar_t* const kExpectedLines[] = {
    L"@=\"Default text\"\r\n",
    L"\"Quote \\\" and \\\\ backslash = tab\t\"=\"C:\\\\Program Files\\\\\\\"x\\\"\t\"\r\n",
    L"\"Empty text\"=hex(1):\r\n",
    L"\"Only NUL\"=\"\"\r\n",
    L"\"Embedded NUL\"=hex(1):61,00,00,00,62,00,00,00\r\n",
    L"\"Line break\"=hex(1):6f,00,6e,00,65,00,0d,00,0a,00,74,00,77,00,6f,00,00,00\r\n",
    L"\"Lone surrogate\"=hex(1):61,00,00,dc,62,00,00,00\r\n",
    L"\"Non-BMP \U0001D11E\"=\"\U0001F600 \u65E5\u672C\"\r\n",
    L"\"Multi\"=hex(7):61,00,00,00,00,00,62,00,00,00,00,00\r\n",
    L"\"Dword\"=dword:89abcdef\r\n",
    L"\"Short dword\"=hex(4):01,02\r\n",
    L"\"Qword\"=hex(b):88,77,66,55,44,33,22,11\r\n",
    L"\"None\"=hex(0):\r\n",
    L"\"Unnamed kind\"=hex(12345):aa,bb\r\n",
    L"\"Highest kind\"=hex(ffffffff):01\r\n",
};

struct Entry {
    Scope scope;
    TEntryScope entryScope;
    std::wstring name;
    std::wstring caption;
    std::wstring fileCaption; // the caption as the file name holds it
};

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {Scope::User, TEntryScope::User, L"Every kind \U0001F600", L"Every Kind \U0001F600 1.0",
         L"Every Kind \U0001F600 1.0"},
        {Scope::Machine, TEntryScope::System, L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB",
         L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB 2.0", L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB 2.0"},
        {Scope::Machine32, TEntryScope::System32, L"{0A1B-32} ]Tool[", L"Tool: 32-bit \"edition\"",
         L"Tool_ 32-bit _edition_"},
    };
    return entries;
}

// The three Uninstall keys alone: what a deletion could reach. (A backup writes no key at all.)
RegistryDump DumpUninstallKeys() {
    const std::wstring below = L"\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    return RegistryDump(
        {{HKEY_CURRENT_USER, L"Software" + below, 0, L"HKCU"},
         {HKEY_LOCAL_MACHINE, L"Software" + below, KEY_WOW64_64KEY, L"HKLM"},
         {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node" + below, KEY_WOW64_64KEY, L"HKLM"}});
}

std::string Utf8(const std::wstring& text) {
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                            nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), count,
                          nullptr, nullptr);
    return out;
}

class BackupTest : public ::testing::Test {
protected:
    TCatalogue& Build() {
        built = std::make_unique<testsupport::TestCatalogue>();
        catalogue = &built->Catalogue();
        return *catalogue;
    }
    TTreeNode* Node(TEntryScope scope, const std::wstring& name) {
        return built->Node(scope, Utf8(name));
    }

    void SetValues(Scope scope, const std::wstring& key, const std::vector<Value>& values) {
        for (const Value& v : values)
            sandbox.SetValue(scope, key, v.name, v.type, v.bytes.data(),
                             static_cast<DWORD>(v.bytes.size()));
    }

    // An entry with every kind of value, three levels of keys below it, a key without values and
    // a link to a key outside the Uninstall keys.
    void SeedEveryKind(const Entry& e) {
        sandbox.AddEntry(e.scope, e.name, e.caption);
        SetValues(e.scope, e.name, EveryKind());
        const std::wstring deep = e.name + L"\\Level 1 \u00FC\\Level 2 \U0001D11E\\Level 3 ]x[";
        SetValues(e.scope, deep,
                  {{L"", REG_DWORD, {1, 0, 0, 0}}, {L"Deep", REG_SZ, Bytes(L"d\0"s)}});
        SetValues(e.scope, e.name + L"\\Level 1 \u00FC", {{L"Middle", REG_BINARY, {0x42}}});
        sandbox.AddEntry(e.scope, e.name + L"\\Key without values", L"");
        sandbox.CreateLink(e.scope, Utf8(e.name) + "\\Links\\To target",
                           scratch.NativePath() + L"\\target");
    }

    // Imports a registry file with the registry editor, silently, as a user's double click does.
    static void Import(const std::wstring& file) {
        EXPECT_EQ(testsupport::RunToEnd(L"regedit.exe /S \"" + file + L"\""), 0u);
    }

    // Only the keys this test owns: the Uninstall keys and its scratch key (the link target).
    std::vector<std::wstring> Watched(std::vector<std::wstring> paths) const {
        const std::wstring scratchName =
            testsupport::Wide(scratch.Path().substr(scratch.Path().rfind('\\') + 1));
        std::erase_if(paths, [&](const std::wstring& p) {
            return p.find(L"\\CurrentVersion\\Uninstall") == std::wstring::npos &&
                   p.find(L"\\OrdanelTests\\" + scratchName) == std::wstring::npos;
        });
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    testsupport::UninstallSandbox sandbox;
    testsupport::RegistrySandbox scratch;
    BackupSandbox backups;
    std::unique_ptr<testsupport::TestCatalogue> built;
    TCatalogue* catalogue = nullptr;
};

TEST_F(BackupTest, ImportingTheBackupOfARemovedEntryGivesBackEveryKeyAndValueByteForByte) {
    scratch.SetString("target\\child", "Target only", L"every byte");
    for (const Entry& e : Entries())
        SeedEveryKind(e);
    Build();
    // While a backup is being written, the folder holds it under its temporary name only: a
    // process that ended there would leave nothing that passes for a backup.
    int writes = 0, wrongFolders = 0;
    backups.WriteFile = [&](HANDLE f, LPCVOID d, DWORD n, LPDWORD w, LPOVERLAPPED o) {
        const std::vector<std::wstring> files = backups.Files();
        ++writes;
        wrongFolders += files.size() != 1 || !files[0].ends_with(L".reg.partial");
        return backups.Previous().WriteFile(f, d, n, w, o);
    };
    for (const Entry& e : Entries()) {
        SCOPED_TRACE(Utf8(e.name));
        const RegistryDump before = testsupport::DumpBothHives();
        const TRemoval removal = catalogue->RemoveEntry(*Node(e.entryScope, e.name));
        ASSERT_TRUE(removal.Removed())
            << ui::BackupFailureText(removal.BackupFailure) << " " << removal.Error;
        EXPECT_EQ(removal.KeysDeleted, 7);
        const std::vector<std::wstring> gone =
            Watched(before.Differences(testsupport::DumpBothHives()));
        EXPECT_EQ(gone.size(), 7u);

        const std::wstring& file = removal.BackupPath;
        ASSERT_EQ(backups.Files(), std::vector<std::wstring>{file});
        EXPECT_EQ(file.rfind(backups.Folder() + L"\\", 0), 0u);
        const std::wstring ending = L" " + e.fileCaption + L".reg";
        EXPECT_EQ(file.substr(file.size() - std::min(file.size(), ending.size())), ending);
        const std::wstring text = BackupSandbox::ReadUtf16(file);
        EXPECT_EQ(text.rfind(L"Windows Registry Editor Version 5.00\r\n\r\n[" +
                                 catalogue::RegFileKeyPath(e.entryScope, e.name) + L"]\r\n",
                             0),
                  0u);
        for (const wchar_t* line : kExpectedLines)
            EXPECT_NE(text.find(line), std::wstring::npos) << Utf8(line);
        // The link is written as a key holding its link value; its target is never read.
        EXPECT_NE(text.find(L"\\Links\\To target]\r\n; "), std::wstring::npos);
        EXPECT_NE(text.find(L"\"SymbolicLinkValue\"=hex(6):"), std::wstring::npos);
        EXPECT_EQ(text.find(L"Target only"), std::wstring::npos);

        Import(file);
        EXPECT_EQ(Watched(before.Differences(testsupport::DumpBothHives())),
                  std::vector<std::wstring>{});
        ::DeleteFileW(file.c_str());
    }
    EXPECT_TRUE(scratch.KeyExists("target\\child"));
    EXPECT_GE(writes, 6) << "each file is written in more than one piece";
    EXPECT_EQ(wrongFolders, 0);
}

TEST_F(BackupTest, TextWithoutItsFinalNulIsWrittenAsItsBytesAndWinesImportAddsTheNul) {
    struct Case {
        Value value;
        const wchar_t* line;
        std::vector<BYTE> afterImport; // what Wine's regedit stores for those bytes
    } cases[] = {
        {{L"No NUL", REG_SZ, Bytes(L"AB")}, L"\"No NUL\"=hex(1):41,00,42,00\r\n", Bytes(L"AB\0"s)},
        {{L"Expand no NUL", REG_EXPAND_SZ, Bytes(L"%A%")},
         L"\"Expand no NUL\"=hex(2):25,00,41,00,25,00\r\n",
         Bytes(L"%A%\0"s)},
        {{L"Multi no NUL", REG_MULTI_SZ, Bytes(L"a\0b"s)},
         L"\"Multi no NUL\"=hex(7):61,00,00,00,62,00\r\n",
         Bytes(L"a\0b\0"s)},
        // An odd byte count: the NUL is put after the last whole unit, over the odd byte.
        {{L"Odd length", REG_SZ, {0x41, 0x00, 0x42}},
         L"\"Odd length\"=hex(1):41,00,42\r\n",
         {0x41, 0x00, 0x00, 0x00, 0x00}},
    };
    sandbox.AddEntry(Scope::User, L"Unterminated", L"Unterminated Tool");
    for (const Case& c : cases)
        SetValues(Scope::User, L"Unterminated", {c.value});
    Build();
    const RegistryDump before = testsupport::DumpBothHives();
    const TRemoval removal = catalogue->RemoveEntry(*Node(TEntryScope::User, L"Unterminated"));
    ASSERT_TRUE(removal.Removed());
    const std::wstring text = BackupSandbox::ReadUtf16(removal.BackupPath);
    Import(removal.BackupPath);
    // Only this entry's key differs, and in it only the values Wine's import completed.
    EXPECT_EQ(Watched(before.Differences(testsupport::DumpBothHives())),
              std::vector<std::wstring>{L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\"
                                        L"Uninstall\\Unterminated"});
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegOpenKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Unterminated", 0,
                        KEY_READ, &key),
        ERROR_SUCCESS);
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.value.name));
        EXPECT_NE(text.find(c.line), std::wstring::npos);
        BYTE data[64] = {};
        DWORD type = 0, size = sizeof data;
        ASSERT_EQ(::RegQueryValueExW(key, c.value.name.c_str(), nullptr, &type, data, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, c.value.type);
        EXPECT_EQ(std::vector<BYTE>(data, data + size), c.afterImport);
    }
    BYTE caption[64] = {};
    DWORD size = sizeof caption;
    EXPECT_EQ(::RegQueryValueExW(key, L"DisplayName", nullptr, nullptr, caption, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::vector<BYTE>(caption, caption + size), Bytes(L"Unterminated Tool\0"s));
    ::RegCloseKey(key);
}

TEST_F(BackupTest, ABackupThatCannotBeWrittenOrReadCompletelyDeletesNothingAndLeavesNoFile) {
    std::vector<BYTE> large(70000, 0x5A); // more than one piece is written before the end
    sandbox.AddEntry(Scope::User, L"Sturdy", L"Sturdy Tool");
    SetValues(Scope::User, L"Sturdy", {{L"Large", REG_BINARY, large}});
    SetValues(Scope::User, L"Sturdy\\A\\B\\C", {{L"Leaf", REG_SZ, Bytes(L"leaf\0"s)}});
    SetValues(Scope::User, L"Sturdy\\A\\B", {{L"Middle", REG_DWORD, {1, 0, 0, 0}}});
    sandbox.AddEntry(Scope::User, L"Broken", L"Broken Tool");
    SetValues(Scope::User, L"Broken\\Below", {{L"Line\nbreak", REG_SZ, Bytes(L"x\0"s)}});
    Build();

    int writes = 0;
    HKEY keyB = nullptr;
    using Inject = std::function<void(testsupport::RegistryApiHooks&)>;
    struct Case {
        const char* what;
        const wchar_t* entry;
        Inject inject;
        LSTATUS error;
        const char* says;
    } cases[] = {
        {"disk full after the first piece", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.WriteFile = [&](HANDLE f, LPCVOID d, DWORD n, LPDWORD w, LPOVERLAPPED o) {
                 if (++writes < 2)
                     return backups.Previous().WriteFile(f, d, n, w, o);
                 ::SetLastError(ERROR_DISK_FULL);
                 return FALSE;
             };
         },
         ERROR_DISK_FULL, "could not be written"},
        {"the flush fails", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.FlushFileBuffers = [](HANDLE) {
                 ::SetLastError(ERROR_DISK_FULL);
                 return FALSE;
             };
         },
         ERROR_DISK_FULL, "could not be written"},
        {"the complete file cannot be renamed", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.MoveFileEx = [](LPCWSTR, LPCWSTR, DWORD) {
                 ::SetLastError(ERROR_ACCESS_DENIED);
                 return FALSE;
             };
         },
         ERROR_ACCESS_DENIED, ".reg.partial could not be renamed to "},
        {"the folder cannot be created", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.CreateDirectory = [](LPCWSTR, LPSECURITY_ATTRIBUTES) {
                 ::SetLastError(ERROR_ACCESS_DENIED);
                 return FALSE;
             };
         },
         ERROR_ACCESS_DENIED, "Ordanel\\Removed could not be created"},
        {"memory runs out finding the folder", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.CreateDirectory = [](LPCWSTR, LPSECURITY_ATTRIBUTES) -> BOOL {
                 throw std::bad_alloc();
             };
         },
         ERROR_NOT_ENOUGH_MEMORY, "The backup could not be written."},
        {"the file cannot be created", L"Sturdy",
         [&](testsupport::RegistryApiHooks&) {
             backups.CreateFile = [](LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                     HANDLE) {
                 ::SetLastError(ERROR_ACCESS_DENIED);
                 return INVALID_HANDLE_VALUE;
             };
         },
         ERROR_ACCESS_DENIED, ".reg.partial could not be created"},
        {"a key deep down cannot be opened", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.OpenKeyExW = [&](HKEY base, LPCWSTR sub, DWORD options, REGSAM access,
                                    PHKEY result) {
                 if (sub && std::wstring(sub) == L"C")
                     return LSTATUS(ERROR_ACCESS_DENIED);
                 return hooks.Previous().OpenKeyExW(base, sub, options, access, result);
             };
         },
         ERROR_ACCESS_DENIED, "Sturdy\\A\\B\\C could not be opened"},
        {"the values of a key cannot be read", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.OpenKeyExW = [&](HKEY base, LPCWSTR sub, DWORD options, REGSAM access,
                                    PHKEY result) {
                 const LSTATUS status =
                     hooks.Previous().OpenKeyExW(base, sub, options, access, result);
                 if (status == ERROR_SUCCESS && sub && std::wstring(sub) == L"B")
                     keyB = *result;
                 return status;
             };
             hooks.EnumValueW = [&](HKEY key, DWORD i, LPWSTR n, LPDWORD nl, LPDWORD r, LPDWORD t,
                                    LPBYTE d, LPDWORD s) {
                 if (key == keyB)
                     return LSTATUS(ERROR_ACCESS_DENIED);
                 return hooks.Previous().EnumValueW(key, i, n, nl, r, t, d, s);
             };
         },
         ERROR_ACCESS_DENIED, "Sturdy\\A\\B could not be read"},
        {"the keys below a key cannot be listed", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.EnumKeyExW = [](HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD,
                                   PFILETIME) { return LSTATUS(ERROR_INVALID_HANDLE); };
         },
         ERROR_INVALID_HANDLE, "could not be listed"},
        {"the entry's key cannot be queried", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.QueryInfoKeyW = [](HKEY, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                      LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                      PFILETIME) { return LSTATUS(ERROR_ACCESS_DENIED); };
         },
         ERROR_ACCESS_DENIED, "Uninstall\\Sturdy could not be read"},
        // Rewritten and put back while its key is read: only the last-write time tells.
        {"a value is rewritten while its key is read", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.EnumValueW = [&](HKEY key, DWORD i, LPWSTR n, LPDWORD nl, LPDWORD r, LPDWORD t,
                                    LPBYTE d, LPDWORD s) {
                 const LSTATUS status = hooks.Previous().EnumValueW(key, i, n, nl, r, t, d, s);
                 if (status == ERROR_SUCCESS && std::wstring(n, *nl) == L"Middle")
                     for (BYTE middle : {2, 1})
                         SetValues(Scope::User, L"Sturdy\\A\\B",
                                   {{L"Middle", REG_DWORD, {middle, 0, 0, 0}}});
                 return status;
             };
         },
         catalogue::kErrorKeyChanged, "Sturdy\\A\\B changed while it was being saved"},
        // A key made while the entry's keys are listed shifts the indexes after it: "A" would
        // be skipped.
        {"a key is inserted while the keys are listed", L"Sturdy",
         [&](testsupport::RegistryApiHooks& hooks) {
             hooks.EnumKeyExW = [&](HKEY key, DWORD i, LPWSTR n, LPDWORD nl, LPDWORD r, LPWSTR c,
                                    LPDWORD cl, PFILETIME t) {
                 if (!sandbox.Exists(Scope::User, "Sturdy\\0 Inserted"))
                     sandbox.AddEntry(Scope::User, "Sturdy\\0 Inserted");
                 return hooks.Previous().EnumKeyExW(key, i, n, nl, r, c, cl, t);
             };
         },
         catalogue::kErrorKeyChanged, "Uninstall\\Sturdy changed while it was being saved"},
        {"a value name that a registry file cannot hold", L"Broken", [](auto&) {},
         ERROR_INVALID_DATA, "Broken\\Below cannot be written into a registry file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RegistryDump before = DumpUninstallKeys();
        TRemoval removal;
        {
            testsupport::RegistryApiHooks hooks;
            c.inject(hooks);
            removal = catalogue->RemoveEntry(*Node(TEntryScope::User, c.entry));
            EXPECT_EQ(hooks.StillOpen(), 0u);
        }
        // The one key a case may add, which nothing else makes.
        testsupport::DeleteKeyNoFollow(
            HKEY_CURRENT_USER,
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sturdy\\0 Inserted");
        EXPECT_EQ(removal.Result, TRemoval::Outcome::NotBackedUp);
        EXPECT_EQ(removal.KeysDeleted, 0);
        EXPECT_EQ(removal.Error, c.error);
        EXPECT_TRUE(removal.ReasonKnown);
        EXPECT_EQ(ui::SystemErrorText(removal.Error), ui::SystemErrorText(c.error));
        const std::string failure = ui::BackupFailureText(removal.BackupFailure);
        EXPECT_NE(failure.find(c.says), std::string::npos) << failure;
        EXPECT_TRUE(removal.BackupPath.empty());
        EXPECT_EQ(before.Differences(DumpUninstallKeys()), std::vector<std::wstring>{});
        EXPECT_EQ(backups.Files(), std::vector<std::wstring>{});
        EXPECT_EQ(backups.StillOpen(), 0u);
        backups.WriteFile = backups.Previous().WriteFile;
        backups.FlushFileBuffers = backups.Previous().FlushFileBuffers;
        backups.CreateDirectory = backups.Previous().CreateDirectory;
        backups.CreateFile = backups.Previous().CreateFile;
        backups.MoveFileEx = backups.Previous().MoveFileEx;
    }
    EXPECT_GE(writes, 2) << "the disk filled up after a piece was written";
}

TEST_F(BackupTest, FileNamesHoldTheTimeAndACaptionAnyFolderCanHoldAndNeverReplaceAFile) {
    const SYSTEMTIME time{2026, 12, 3, 9, 14, 5, 33, 0};
    const std::wstring stamp = L"2026-12-09 14-05-33 ";
    struct Case {
        std::wstring caption;
        std::wstring name;
    } cases[] = {
        {L"Tool 1.0", L"Tool 1.0"},
        {L"a\\b/c:d*e?f\"g<h>i|j", L"a_b_c_d_e_f_g_h_i_j"},
        {L"tab\there\x01\x7F", L"tab_here__"},
        {L"  blanks and dots . . ", L"blanks and dots"},
        {L"CON", L"CON"},
        {L"nul", L"nul"},
        {L"COM1", L"COM1"},
        {L"LPT9.txt", L"LPT9.txt"},
        {L"", L"entry"},
        {L"...", L"entry"},
        {L"\u65E5\u672C\u8A9E \U0001F600", L"\u65E5\u672C\u8A9E \U0001F600"},
        {L"lone \xD800 surrogate", L"lone _ surrogate"},
        // Direction controls would make the name display as another ("...exe.jpg").
        {L"photo \u202Egpj.exe", L"photo _gpj.exe"},
        {L"\u202A\u202B\u202C\u202D \u2066\u2067\u2068\u2069 \u200E\u200F\u061C", L"____ ____ ___"},
        {std::wstring(200, L'y'), std::wstring(80, L'y')},
        // The pair would be cut in two at the limit: it goes as a whole.
        {std::wstring(79, L'x') + L"\U0001F600tail", std::wstring(79, L'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        const std::wstring name = catalogue::BackupFileName(time, c.caption);
        EXPECT_EQ(name, stamp + c.name + L".reg");
        // Every name is an ordinary new file, never a device.
        const std::wstring path = backups.Root() + L"\\" + name;
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(::GetFileType(file), DWORD(FILE_TYPE_DISK));
        ::CloseHandle(file);
        EXPECT_TRUE(::DeleteFileW(path.c_str()));
    }
    EXPECT_EQ(catalogue::BackupFileName(time, L"Tool", 3), stamp + L"Tool (3).reg");

    // Two backups of one entry within the same second: the second gets a name of its own.
    sandbox.AddEntry(Scope::User, L"Twice", L"Twice");
    const catalogue::TBackup first =
        catalogue::BackUpEntry(TEntryScope::User, L"Twice", L"Twice", time);
    const catalogue::TBackup second =
        catalogue::BackUpEntry(TEntryScope::User, L"Twice", L"Twice", time);
    ASSERT_TRUE(first.Written() && second.Written())
        << ui::BackupFailureText(first.Failure) << ui::BackupFailureText(second.Failure);
    EXPECT_EQ(first.Path, backups.Folder() + L"\\" + stamp + L"Twice.reg");
    EXPECT_EQ(second.Path, backups.Folder() + L"\\" + stamp + L"Twice (2).reg");
    EXPECT_EQ(BackupSandbox::ReadUtf16(first.Path), BackupSandbox::ReadUtf16(second.Path));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Twice"));
}

// A process that ends while it writes a backup leaves the ".partial" file behind. Renamed by hand,
// that file must not import as if it were whole: its header is written last.
TEST_F(BackupTest, AFileLeftIncompleteIsNoRegistryFileEvenWhenRenamed) {
    sandbox.AddEntry(Scope::User, L"Cut", L"Cut Tool");
    SetValues(Scope::User, L"Cut\\First", {{L"v", REG_SZ, Bytes(L"first\0"s)}});
    SetValues(Scope::User, L"Cut\\Second",
              {{L"Large", REG_BINARY, std::vector<BYTE>(70000, 0x5A)}});
    // The process "ends" at the second piece of text: that write fails, and the file stays.
    int writes = 0;
    backups.WriteFile = [&](HANDLE f, LPCVOID d, DWORD n, LPDWORD w, LPOVERLAPPED o) {
        if (++writes < 2)
            return backups.Previous().WriteFile(f, d, n, w, o);
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    };
    backups.DeleteFile = [](LPCWSTR) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    };
    const SYSTEMTIME time{2026, 12, 3, 9, 14, 5, 33, 0};
    const catalogue::TBackup backup =
        catalogue::BackUpEntry(TEntryScope::User, L"Cut", L"Cut Tool", time);
    EXPECT_FALSE(backup.Written());
    const std::vector<std::wstring> files = backups.Files();
    ASSERT_EQ(files.size(), 1u);
    ASSERT_TRUE(files[0].ends_with(L".reg.partial"));
    std::vector<char> bytes;
    if (FILE* f = ::_wfopen(files[0].c_str(), L"rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(f);
    }
    // It holds the keys written before the end, but no header.
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()),
                            bytes.size() / sizeof(wchar_t));
    EXPECT_NE(text.find(L"[" + catalogue::RegFileKeyPath(TEntryScope::User, L"Cut\\First") + L"]"),
              std::wstring::npos);
    EXPECT_EQ(text.find(L"Windows Registry Editor"), std::wstring::npos);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_FALSE(bytes[0] == '\xFF' && bytes[1] == '\xFE') << "no byte order mark";

    // Renamed to what a backup is called and imported, it changes nothing.
    sandbox.RemoveUninstallKey(Scope::User);
    const std::wstring renamed = backups.Root() + L"\\renamed.reg";
    ASSERT_TRUE(::MoveFileW(files[0].c_str(), renamed.c_str()));
    testsupport::RunToEnd(L"regedit.exe /S \"" + renamed + L"\"");
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Cut"));
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Cut\\First"));
}

} // namespace
