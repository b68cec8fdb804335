#include "Autostart.h"
#include "DesktopEntry.h"
#include "RowName.h"
#include "TempFolder.h"
#include "XdgEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A reader written from the Desktop Entry specification alone: the string
// escapes first, then the Exec quoting, then %% as a literal %.
std::string Unescaped(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char c = value[++i];
            out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::vector<std::string> ExecArguments(const std::string& fileValue) {
    const std::string exec = Unescaped(fileValue);
    std::vector<std::string> args;
    std::string current;
    bool quoted = false;
    bool started = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
            current += exec[++i];
            started = true;
        } else if (quoted && c == '\\' && i + 1 < exec.size() &&
                   std::strchr("\"`$\\", exec[i + 1]) != nullptr) {
            current += exec[++i];
        } else if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (!quoted && c == ' ') {
            if (started) {
                args.push_back(current);
            }
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) {
        args.push_back(current);
    }
    return args;
}

std::string Key(const std::string& entry, const std::string& key) {
    const std::size_t at = entry.find("\n" + key + "=");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t from = at + key.size() + 2;
    return entry.substr(from, entry.find('\n', from) - from);
}

// What a session starts: the program, or the shell starting it as its $0.
std::string Started(const std::vector<std::string>& args) {
    if (args.size() == 4 && args[0] == "/bin/sh" && args[1] == "-c" && args[2] == "exec \"$0\"") {
        return args[3];
    }
    return args.size() == 1 ? args[0] : "(" + std::to_string(args.size()) + " arguments)";
}

bool Present(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

struct PathRow {
    const char* name;
    std::string path;
};
class ExecRows : public testing::TestWithParam<PathRow> {};

TEST_P(ExecRows, SessionStartsExactlyThatPath) {
    const std::string& path = GetParam().path;
    const std::string entry = DesktopEntry::AutostartEntry(path);
    EXPECT_EQ(Started(ExecArguments(Key(entry, "Exec"))), path) << entry;
    EXPECT_EQ(Unescaped(Key(entry, "TryExec")), path) << entry;
    EXPECT_TRUE(DesktopEntry::StartsAtLogOn(entry)) << entry;
}

TEST_P(ExecRows, DesktopToolsStartThatPath) {
    if (!Present("gio") && !Present("desktop-file-validate")) {
        GTEST_SKIP() << "neither gio nor desktop-file-validate is installed";
    }
    TempFolder temp;
    // The program lives in a folder named by the row, so the whole path is
    // tested, and writes down what it was started as.
    const fs::path folder = temp.Path() / ("dir" + GetParam().path);
    fs::create_directories(folder);
    const fs::path program = folder / "prog";
    const std::string seen = temp.File("seen");
    Put(program.string(), "#!/bin/sh\nprintf '%s' \"$0\" > '" + seen + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    const std::string entry = temp.File("morvatel.desktop");
    Put(entry, DesktopEntry::AutostartEntry(program.string()));

    if (Present("desktop-file-validate")) {
        EXPECT_EQ(std::system(("desktop-file-validate '" + entry + "'").c_str()), 0);
    }
    if (Present("gio")) {
        const std::string launch = "env -i PATH=/usr/bin:/bin HOME='" + temp.Path().string() +
                                   "' gio launch '" + entry + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(launch.c_str()), 0);
        for (int i = 0; i < 100 && Slurp(seen).empty(); ++i) {
            ::usleep(50'000);
        }
        EXPECT_EQ(Slurp(seen), program.string());
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ExecRows, testing::Values(
    PathRow{"Plain", "/opt/morvatel/morvatel"},
    PathRow{"ShellCharacters", "/home/u/My \"Programs\" 'x' $HOME ${PATH} `id` a\\b\\\\c\\n ;&|<>*?#()/morvatel"},
    PathRow{"AlsoPercent", "/tmp/ 100% %f %U \"q\" $d \\e/morvatel"}
), RowName());
// clang-format on

struct EntryRow {
    const char* name;
    std::string text;
    bool starts;
};
class EntryRows : public testing::TestWithParam<EntryRow> {};

TEST_P(EntryRows, CountsAsRegistered) {
    EXPECT_EQ(DesktopEntry::StartsAtLogOn(GetParam().text), GetParam().starts);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, EntryRows, testing::Values(
    EntryRow{"HandWrittenOtherPath", "# mine\n\n[Desktop Entry]\nName=Clock\nType = Application\nExec=/usr/local/bin/morvatel --dry-run\n[Desktop Action x]\nHidden=true\n", true},
    EntryRow{"Hidden", "[Desktop Entry]\nType=Application\nExec=morvatel\nHidden=true\n", false},
    EntryRow{"SwitchedOffInGnome", "[Desktop Entry]\nType=Application\nExec=morvatel\nX-GNOME-Autostart-enabled=false\n", false},
    EntryRow{"EmptyExec", "[Desktop Entry]\nType=Application\nExec=  \n", false},
    EntryRow{"OtherGroupFirst", "[Other]\nA=b\n[Desktop Entry]\nType=Application\nExec=morvatel\n", false},
    EntryRow{"BrokenLine", "[Desktop Entry]\nType=Application\nExec=morvatel\nnonsense\n", false},
    EntryRow{"NotUtf8", "[Desktop Entry]\nType=Application\nExec=/media/\xe9t\xe9/morvatel\n", false}
), RowName());
// clang-format on

TEST(Autostart, ApplyQueryRemoveRoundTrip) {
    TempFolder temp;
    const ScopedXdgFolder config("XDG_CONFIG_HOME", temp.File("config"));
    const fs::path entry = temp.Path() / "config/autostart/morvatel.desktop";
    EXPECT_FALSE(Autostart::Query());

    // Linked to another program's entry, switched off: replaced by ours, the
    // other file left as it was.
    const std::string other = "[Desktop Entry]\nType=Application\nExec=/x\nHidden=true\n";
    Put(temp.File("other.desktop"), other);
    fs::create_directories(entry.parent_path());
    fs::create_symlink(temp.File("other.desktop"), entry);
    EXPECT_FALSE(Autostart::Query());
    Autostart::Apply(true);
    EXPECT_TRUE(Autostart::Query());
    EXPECT_EQ(Slurp(temp.File("other.desktop")), other);
    EXPECT_FALSE(fs::is_symlink(entry));
    EXPECT_EQ(Started(ExecArguments(Key(Slurp(entry.string()), "Exec"))),
              fs::read_symlink("/proc/self/exe").string());

    Autostart::Apply(false);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(Autostart::Query());
    Autostart::Apply(false); // nothing to remove is no error
}

class PathEncodingRows : public testing::TestWithParam<EntryRow> {};

TEST_P(PathEncodingRows, TickedOnlyWhenADesktopWouldStartIt) {
    TempFolder temp;
    const ScopedXdgFolder config("XDG_CONFIG_HOME", temp.File("config"));
    const std::string entry = temp.File("config/autostart/morvatel.desktop");
    fs::create_directories(fs::path(entry).parent_path());
    Put(entry, DesktopEntry::AutostartEntry("/elsewhere/morvatel"));
    testing::internal::CaptureStderr();
    Autostart::ApplyFor(true, GetParam().text);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Autostart::Query(), GetParam().starts);
    EXPECT_EQ(fs::exists(entry), GetParam().starts);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), GetParam().starts ? 0 : 1) << said;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PathEncodingRows, testing::Values(
    EntryRow{"Utf8", "/home/u/\xe6\x99\x82\xe8\xa8\x88/morvatel", true},
    EntryRow{"Latin1", "/media/\xe9t\xe9/morvatel", false},
    EntryRow{"CutCharacter", "/x/\xe6\x99/morvatel", false},
    EntryRow{"EncodedSurrogate", "/x/\xed\xa0\x80/morvatel", false}
), RowName());
// clang-format on

} // namespace
