// CodePages.h - text between a code page and UTF-16, for the places where the program's ANSI
// strings (window texts, registry names, captions) meet the wide calls.
//
// Functions in this file:
//   WideFromCodePage   UTF-16 from text of a code page
//   CodePageFromWide   text of a code page from UTF-16
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace framework {

/// Whether text that the code page cannot hold fails the conversion or is replaced.
enum class TInvalidText { Fail, Replace };

/// UTF-16 from text of codePage; empty when text is empty, or invalid in the code page and
/// invalid is Fail.
inline std::wstring WideFromCodePage(std::string_view text, UINT codePage,
                                     TInvalidText invalid = TInvalidText::Fail) {
    if (text.empty())
        return {};
    const DWORD flags = invalid == TInvalidText::Fail ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(text.size());
    const int count = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (count <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), count);
    return wide;
}

/// Text of codePage from UTF-16 (characters it cannot hold become its default character).
inline std::string CodePageFromWide(std::wstring_view text, UINT codePage) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int count =
        ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return {};
    std::string out(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), count, nullptr, nullptr);
    return out;
}

} // namespace framework
