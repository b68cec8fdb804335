#include "DesktopEntry.h"

#include <unicode/ustring.h>

#include <climits>
#include <map>

namespace DesktopEntry {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string EscapeString(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            // Blanks around the value are not part of it, so a leading one
            // must be spelt out.
            out += i == 0 ? "\\s" : " ";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string ExecArgument(std::string_view argument) {
    // Always quoted: the quotes cost nothing and every reserved character
    // (blanks, quotes, ;, &, |, ...) is then taken literally.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            // Field codes are expanded inside quotes too.
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';
    return EscapeString(quoted);
}

bool IsUtf8(std::string_view text) {
    if (text.size() > INT32_MAX) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING ||
           U_SUCCESS(status);
}

std::string AutostartEntry(std::string_view programPath) {
    // GLib checks that the Exec line's first word names a program before it
    // expands %%, so a path holding % would never start there; the shell
    // then starts it instead, with the path as its $0.
    std::string exec = ExecArgument(programPath);
    if (programPath.find('%') != std::string_view::npos) {
        exec = "/bin/sh -c " + ExecArgument("exec \"$0\"") + " " + exec;
    }
    // TryExec makes a session skip the entry quietly once the program has
    // been moved or removed, instead of failing at every log-on.
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Morvatel\n"
           "Exec=" +
           exec +
           "\n"
           "TryExec=" +
           EscapeString(programPath) +
           "\n"
           "Icon=morvatel\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool StartsAtLogOn(std::string_view text) {
    if (!IsUtf8(text)) {
        return false;
    }
    std::map<std::string_view, std::string_view> keys;
    bool sawGroup = false;
    bool inMainGroup = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = Trimmed(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                return false;
            }
            inMainGroup = !sawGroup && line == "[Desktop Entry]";
            if (!sawGroup && !inMainGroup) {
                return false;
            }
            sawGroup = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!sawGroup || equals == std::string_view::npos || equals == 0) {
            return false;
        }
        if (inMainGroup) {
            // The first of repeated keys wins, as in the common readers.
            keys.emplace(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
        }
    }
    auto value = [&keys](std::string_view key) {
        const auto it = keys.find(key);
        return it == keys.end() ? std::string_view{} : it->second;
    };
    return value("Type") == "Application" && !value("Exec").empty() && value("Hidden") != "true" &&
           value("X-GNOME-Autostart-enabled") != "false";
}

} // namespace DesktopEntry
