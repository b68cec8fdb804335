#include "TextCodec.h"

#include "settings/ProfileFile.h"

#include <climits>
#include <windows.h>

namespace TextCodec {

namespace {

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(std::wstring_view wide, UINT codePage) {
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), n, nullptr, nullptr);
    return text;
}

} // namespace

std::string FileTextToUtf8(std::string_view fileText) {
    return Narrow(Widen(fileText, CP_ACP), CP_UTF8);
}

std::string Utf8ToFileText(std::string_view utf8) {
    return Narrow(Widen(utf8, CP_UTF8), CP_ACP);
}

std::size_t FileTextPrefix(std::string_view fileText, std::size_t maxBytes) {
    if (GetACP() == CP_UTF8) {
        return ProfileFile::Utf8PrefixLength(fileText, maxBytes);
    }
    // Double-byte code pages (932 on Japanese systems): a lead byte always
    // takes the next byte with it, so walk from the start.
    std::size_t at = 0;
    while (at < fileText.size()) {
        const auto byte = static_cast<BYTE>(fileText[at]);
        const std::size_t length = IsDBCSLeadByteEx(CP_ACP, byte) ? 2 : 1;
        if (at + length > maxBytes) {
            break;
        }
        at += length;
    }
    return at < fileText.size() ? at : fileText.size();
}

const SettingsFile::FileEncoding& SettingsEncoding() {
    static const SettingsFile::FileEncoding encoding{&FileTextToUtf8, &Utf8ToFileText,
                                                     &FileTextPrefix};
    return encoding;
}

} // namespace TextCodec
