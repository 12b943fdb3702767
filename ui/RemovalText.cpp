// RemovalText.cpp - the messages of a removal, from the catalogue's codes.
#include "ui/RemovalText.h"

#include "catalogue/Errors.h"
#include "framework/CodePages.h"

namespace ui {

namespace {

// The sentence for what failed, without the note about the incomplete file.
std::string StepText(const catalogue::TBackupFailure& failure) {
    using Step = catalogue::TBackupFailure::Step;
    // The paths in the ANSI code page, as the windows show text.
    const std::string path = framework::CodePageFromWide(failure.Path, CP_ACP);
    switch (failure.What) {
    case Step::None: break;
    case Step::NoDataFolder:
        return "The folder for the user's local application data could not be found.";
    case Step::FolderNotCreated: return "The folder " + path + " could not be created.";
    case Step::FileNotCreated: return "The file " + path + " could not be created.";
    case Step::NoNameLeft: return "No new file name was left in the folder " + path + ".";
    case Step::FileNotWritten: return "The file " + path + " could not be written.";
    case Step::NotWritten: return "The backup could not be written.";
    case Step::FileNotRenamed:
        return "The file " + path + " could not be renamed to " +
               framework::CodePageFromWide(failure.Target, CP_ACP) + ".";
    case Step::KeyNotOpened: return "The key " + path + " could not be opened.";
    case Step::KeyNotRead: return "The key " + path + " could not be read.";
    case Step::KeyChanged: return "The key " + path + " changed while it was being saved.";
    case Step::SubkeysNotListed: return "The keys below " + path + " could not be listed.";
    case Step::ValuesNotRead: return "The values of the key " + path + " could not be read.";
    case Step::KeyNameUnwritable:
        return "The name of the key " + path + " cannot be written into a registry file.";
    case Step::ValueNameUnwritable:
        return "A value name of the key " + path + " cannot be written into a registry file.";
    case Step::LinkAbove: return "A registry link was found above the key " + path + ".";
    }
    return {};
}

} // namespace

std::string SystemErrorText(LSTATUS error) {
    // The catalogue's own codes, which the system has no text for.
    if (error == catalogue::kErrorKeyChanged)
        return "A key of the entry changed after its backup was written.";
    if (error == catalogue::kErrorLinkAbove)
        return "A registry link was found among the keys above the entry.";
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = text && length ? std::string(text, length) : std::string();
    if (text)
        ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty())
        message = "System error " + std::to_string(error);
    return message;
}

std::string BackupFailureText(const catalogue::TBackupFailure& failure) {
    std::string text = StepText(failure);
    if (failure.IncompleteFileLeft)
        text += " The incomplete file could not be deleted.";
    return text;
}

std::string RemovalFailureText(const catalogue::TRemoval& removal) {
    if (removal.Removed())
        return {};
    const std::string reason = removal.ReasonKnown ? SystemErrorText(removal.Error)
                                                   : "Error " + std::to_string(removal.Error) + ".";
    const std::string failure = BackupFailureText(removal.BackupFailure);
    if (removal.Result == catalogue::TRemoval::Outcome::NotBackedUp)
        return "The entry was not removed: its backup could not be written, so nothing was "
               "deleted.\r\n\r\n" +
               (failure.empty() ? "" : failure + "\r\n") + reason;
    if (removal.Error == catalogue::kErrorLinkAbove)
        return "The entry was not removed: a registry link was found among the keys above it, so "
               "its path leads into another part of the registry, and nothing was deleted. It "
               "stays in the list of installed programs.";
    if (removal.Error == ERROR_KEY_DELETED)
        return "The entry was not removed: another program deleted or replaced its key while it "
               "was being removed. What stands there now stays in the list of installed "
               "programs.";
    if (removal.Error == ERROR_ALREADY_EXISTS)
        return "The entry's key was deleted, but it has been created again meanwhile (by another "
               "program), so the entry stays in the list of installed programs.\r\n\r\n" +
               reason;
    if (removal.Error == catalogue::kErrorKeyChanged)
        return "The entry changed while it was being removed (another program wrote to its keys "
               "after its backup was written), so it was " +
               (removal.Partial() ? "only removed in part: " + std::to_string(removal.KeysDeleted) +
                                        (removal.KeysDeleted == 1 ? " key that the backup holds "
                                                                    "was deleted"
                                                                  : " keys that the backup holds "
                                                                    "were deleted") +
                                        ", and what changed stays"
                                  : std::string("not removed")) +
               ". It stays in the list of installed programs.\r\n\r\n" + reason;
    if (removal.Partial())
        return "The entry was only removed in part: " + std::to_string(removal.KeysDeleted) +
               (removal.KeysDeleted == 1 ? " key below it was deleted"
                                         : " keys below it were deleted") +
               ", but its own key could not be, so it stays in the list of installed "
               "programs.\r\n\r\n" +
               reason;
    return "The entry could not be removed from the list of installed programs.\r\n\r\n" + reason;
}

} // namespace ui
