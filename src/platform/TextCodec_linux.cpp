#include "TextCodec.h"

#include "settings/ProfileFile.h"

namespace TextCodec {

std::string FileTextToUtf8(std::string_view fileText) {
    return std::string(fileText);
}

std::string Utf8ToFileText(std::string_view utf8) {
    return std::string(utf8);
}

std::size_t FileTextPrefix(std::string_view fileText, std::size_t maxBytes) {
    return ProfileFile::Utf8PrefixLength(fileText, maxBytes);
}

const SettingsFile::FileEncoding& SettingsEncoding() {
    return SettingsFile::Utf8Encoding();
}

} // namespace TextCodec
