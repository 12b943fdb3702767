#include "ui/ShellOpen.h"

#include "framework/Application.h"

namespace ui {

namespace {
bool IsBlank(char c) noexcept {
    return static_cast<unsigned char>(c) <= ' ';
}
} // namespace

ShellApi& detail::MutableShellApi() noexcept {
    static ShellApi current{&::ShellExecuteA};
    return current;
}

const ShellApi& CurrentShellApi() noexcept {
    return detail::MutableShellApi();
}

std::string DirectoryPart(const std::string& path, UINT codePage) {
    size_t last = std::string::npos;
    // Where the character before the last separator begins: the byte before the separator may
    // be the trail byte of a double-byte character.
    size_t beforeLast = std::string::npos, previous = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == ':') {
            last = i;
            beforeLast = previous;
        }
        previous = i;
        if (::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(c)) && i + 1 < path.size())
            ++i; // the trail byte may look like a "\"
    }
    if (last == std::string::npos)
        return {};
    // The character before the "\" is a separator only when it is a single byte.
    const bool afterSeparator = beforeLast != std::string::npos && beforeLast + 1 == last &&
                                (path[beforeLast] == '\\' || path[beforeLast] == ':');
    if (path[last] == '\\' && last > 0 && !afterSeparator)
        return path.substr(0, last);
    return path.substr(0, last + 1);
}

void ShellOpen(const std::string& target) {
    size_t first = 0, end = target.size();
    while (first < end && IsBlank(target[first]))
        ++first;
    while (end > first && IsBlank(target[end - 1]))
        --end;
    if (first == end)
        return;
    const std::string directory = DirectoryPart(target);
    framework::TApplication* app = framework::Application();
    CurrentShellApi().Execute(app ? app->Handle() : nullptr, "open", target.c_str(), nullptr,
                              directory.c_str(), SW_SHOWNORMAL);
}

} // namespace ui
