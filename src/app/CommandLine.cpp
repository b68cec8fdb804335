#include "CommandLine.h"

#include "ProgramContext.h"
#include "SyncRunner.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#ifndef MORVATEL_VERSION
#define MORVATEL_VERSION "0.0.0"
#endif

namespace CommandLine {

namespace {

// Options Qt itself understands; the window program passes them on.
bool IsQtOptionWithValue(const QString& argument) {
    static const QStringList options = {"-platform",   "-display",         "-style",
                                        "-stylesheet", "-qwindowgeometry", "-qwindowtitle",
                                        "-qwindowicon"};
    return options.contains(argument);
}

// A control character in a server name would reach the log and the
// terminal as it is: a line break forges a line, an escape sequence acts.
bool HoldsControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

Options Failure(const std::string& message) {
    Options options;
    options.mode = Mode::Error;
    options.error = "morvatel: " + message + " (--help で使い方を表示します)";
    return options;
}

// The dialog's text on a terminal: CRLF is the dialog's line break, a bare
// LF the terminal's.
std::string ForTerminal(const std::string& text) {
#ifdef _WIN32
    return text;
#else
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
#endif
}

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fputs(ForTerminal(text).c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// What the dialog would show, whatever NTP_ShowDialog says.
class CapturedMessage final : public ntp::MessageSink {
public:
    void ShowSyncMessage(const std::string& text) override { text_ = text; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

int RunSync(const Options& options) {
    ProgramContext context = LoadProgramContext(options.dryRun);
    context.settings.NTS = context.settings.NTS || options.nts;
    const std::string server =
        options.server.empty() ? context.settings.NTP_Server : options.server;
    CapturedMessage shown;
    SyncRunner runner(context.settings, shown, *context.setter, context.logPath);
    const ntp::SyncOutcome outcome = runner.SyncSystemTime(true, server);
    // A clock the system's time service keeps was measured but not set: a
    // script that asked for the clock to be set must not take that as done.
    const bool ok = outcome == ntp::SyncOutcome::Succeeded;
    PrintLine(ok ? stdout : stderr, shown.Text());
    return ok ? 0 : 1;
}

int RunQuery(const Options& options) {
    // A query never sets the clock, so it never needs the real setter.
    ProgramContext context = LoadProgramContext(true);
    const std::string server =
        options.server.empty() ? context.settings.NTP_Server : options.server;
    context.settings.NTS = context.settings.NTS || options.nts;
    CapturedMessage unused;
    SyncRunner runner(context.settings, unused, *context.setter, std::string());
    const ntp::QueryOutcome result = runner.Query(server);
    if (!result.Ok) {
        PrintLine(stderr, result.FailureText);
        return 1;
    }
    std::printf("server: %s\nstratum: %d\noffset: %+.6f s\ndelay: %.6f s\n", server.c_str(),
                result.Stratum, result.OffsetSeconds, result.DelaySeconds);
    if (result.Authenticated) {
        std::printf("authenticated: NTS\n");
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

Options Parse(const QStringList& arguments) {
    Options options;
    bool help = false;
    bool version = false;
    bool qtOptions = false;
    QString server;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--sync") || argument == QLatin1String("--query") ||
            argument.startsWith(QLatin1String("--sync=")) ||
            argument.startsWith(QLatin1String("--query="))) {
            if (options.mode != Mode::Window) {
                return Failure("--sync と --query は一度に一つだけ指定できます");
            }
            const bool sync = argument.startsWith(QLatin1String("--sync"));
            options.mode = sync ? Mode::Sync : Mode::Query;
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            if (equals >= 0) {
                server = argument.mid(equals + 1);
                if (server.isEmpty()) {
                    return Failure("サーバー名が空です");
                }
            } else if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1Char('-'))) {
                server = arguments[++i];
            }
        } else if (argument == QLatin1String("--dry-run")) {
            options.dryRun = true;
        } else if (argument == QLatin1String("--nts")) {
#ifdef _WIN32
            // Built without OpenSSL (src/app/CMakeLists.txt).
            return Failure("この Windows 版は NTS に対応していません");
#else
            options.nts = true;
#endif
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (IsQtOptionWithValue(argument) && i + 1 < arguments.size()) {
            qtOptions = true;
            ++i;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return Failure("不明なオプション '" + argument.toStdString() + "' です");
        } else if (options.mode != Mode::Window && server.isEmpty()) {
            // The server may follow other options: --query --nts localhost.
            server = argument;
        } else {
            return Failure("余分な引数 '" + argument.toStdString() + "' です");
        }
    }
    if (HoldsControlCharacter(server)) {
        return Failure("サーバー名に制御文字は使えません");
    }
    options.server = server.toStdString();
    if (help || version) {
        Options info;
        info.mode = help ? Mode::Help : Mode::Version;
        return info;
    }
    if (options.nts && options.mode != Mode::Sync && options.mode != Mode::Query) {
        return Failure("--nts は --sync か --query と一緒に指定します");
    }
    if (qtOptions && options.mode != Mode::Window) {
        return Failure("Qt のオプションはウィンドウでのみ使えます");
    }
    return options;
}

Options Parse(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return Parse(arguments);
}

std::string HelpText() {
    return "使い方: morvatel [オプション]\n"
           "\n"
           "オプションなしで時計のウィンドウを開きます。\n"
           "\n"
           "  --sync [SERVER]   ウィンドウを開かずに一度だけ時刻を同期します。\n"
           "                    SERVER を省くと設定の NTP サーバーを使います。\n"
           "                    結果は成功なら標準出力、失敗なら標準エラーに出ます。\n"
           "  --query [SERVER]  時刻を変えずにサーバーに問い合わせ、\n"
           "                    stratum、時刻のずれ (offset) と遅延 (delay) を表示します。\n"
           "  --nts             --sync と --query で、時刻を NTS で認証します。\n"
           "  --dry-run         時刻を変更せず、変更できたものとして扱います。\n"
           "                    --sync とウィンドウのどちらにも使えます。\n"
           "  --help            この説明を表示します。\n"
           "  --version         バージョンを表示します。\n"
           "\n"
           "終了コード: 0 成功、1 同期または問い合わせの失敗、2 コマンドラインの誤り。\n";
}

int Run(const Options& options) {
    switch (options.mode) {
    case Mode::Help:
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    case Mode::Version:
        std::puts(MORVATEL_VERSION);
        return 0;
    case Mode::Error:
        std::fprintf(stderr, "%s\n", options.error.c_str());
        return 2;
    case Mode::Window:
        return 0;
    case Mode::Sync:
    case Mode::Query:
        break;
    }
    // The socket and the event pump need an application object, but no
    // display: a QCoreApplication serves when main has not made one.
    std::optional<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "morvatel";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        app.emplace(argc, argv);
    }
    return options.mode == Mode::Sync ? RunSync(options) : RunQuery(options);
}

} // namespace CommandLine
