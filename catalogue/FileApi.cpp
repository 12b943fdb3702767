// FileApi.cpp - the native file table, the table in force and its scoped override.
#include "catalogue/FileApi.h"

namespace catalogue {

namespace {

FileApi& Current() noexcept {
    // One thread uses the catalogue, so a plain variable is enough.
    static FileApi current = NativeFileApi();
    return current;
}

} // namespace

const FileApi& NativeFileApi() noexcept {
    static const FileApi native{
        &::SHGetKnownFolderPath, &::CreateDirectoryW, &::CreateFileW, &::WriteFile,
        &::FlushFileBuffers,     &::CloseHandle,      &::DeleteFileW, &::MoveFileExW};
    return native;
}

const FileApi& CurrentFileApi() noexcept {
    return Current();
}

ScopedFileApi::ScopedFileApi(const FileApi& replacement) noexcept : previous_(Current()) {
    Current() = replacement;
}

ScopedFileApi::~ScopedFileApi() {
    Current() = previous_;
}

} // namespace catalogue
