// FileApi.cpp - the native file table, the table in force and its scoped override.
#include "catalogue/FileApi.h"

namespace catalogue {

const FileApi& NativeFileApi() noexcept {
    static const FileApi native{
        &::SHGetKnownFolderPath, &::CreateDirectoryW, &::CreateFileW, &::WriteFile,
        &::FlushFileBuffers,     &::CloseHandle,      &::DeleteFileW, &::MoveFileExW};
    return native;
}

FileApi& detail::MutableFileApi() noexcept {
    // One thread uses the catalogue, so a plain variable is enough.
    static FileApi current = NativeFileApi();
    return current;
}

const FileApi& CurrentFileApi() noexcept {
    return detail::MutableFileApi();
}

} // namespace catalogue
