#pragma once

#include <QStringList>

#include <string>

// The program's command line. main() parses first; the window starts only in
// Mode::Window, every other mode is carried out by Run without a display.
namespace CommandLine {

enum class Mode { Window, Sync, Query, Help, Version, Error };

struct Options {
    Mode mode = Mode::Window;
    std::string server; // empty: NTP_Server from the settings
    bool dryRun = false;
    bool nts = false;  // authenticate with Network Time Security
    std::string error; // Mode::Error: the one line to print
};

// arguments[0] is the program itself.
Options Parse(const QStringList& arguments);
Options Parse(int argc, char** argv);

std::string HelpText();

// Carries out a mode other than Window and returns the exit status: 0 done,
// 1 the synchronisation or query failed, 2 a bad command line. Creates a
// QCoreApplication when there is none.
int Run(const Options& options);

} // namespace CommandLine
