// test-lock: registry-uninstall
//
// The backup of an entry: file names, and a name taken is never replaced.
#include "catalogue/Backup.h"
#include "tests/support/BackupSandbox.h"
#include "tests/support/UninstallSandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using catalogue::TEntryScope;
using testsupport::BackupSandbox;
using testsupport::Scope;

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
    testsupport::UninstallSandbox sandbox;
    BackupSandbox backups;
};

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
    ASSERT_TRUE(first.Written() && second.Written()) << first.Failure << second.Failure;
    EXPECT_EQ(first.Path, backups.Folder() + L"\\" + stamp + L"Twice.reg");
    EXPECT_EQ(second.Path, backups.Folder() + L"\\" + stamp + L"Twice (2).reg");
    EXPECT_EQ(BackupSandbox::ReadUtf16(first.Path), BackupSandbox::ReadUtf16(second.Path));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Twice"));
}

} // namespace
