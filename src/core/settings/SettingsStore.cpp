#include "settings/SettingsStore.h"

#include "settings/NumberReader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace SettingsStore {

namespace {

// Reads keys with their defaults and types.
class KeyReader {
public:
    explicit KeyReader(const SettingsFile::StoredKeys& keys) : keys_(keys) {}

    std::string Text(std::string_view key, std::string_view defaultText) const {
        return keys_.Text(key, defaultText);
    }

    bool Flag(std::string_view key, bool defaultFlag) const {
        return SettingsFile::ParseYesNo(Text(key, ""), defaultFlag);
    }

    // A value whose nearest integer leaves the 32-bit range has no sound
    // meaning for any of our keys, so it counts as missing.
    std::int32_t Integer(std::string_view key, std::int32_t defaultValue) const {
        const NumberReader::Result n = NumberReader::Read(Text(key, std::to_string(defaultValue)));
        return n.inRange ? n.integer : defaultValue;
    }

    // Too large to be a double counts as missing too.
    double Real(std::string_view key, double defaultValue) const {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, defaultValue);
        const std::string defaultText(buffer, result.ptr);
        const NumberReader::Result n = NumberReader::Read(Text(key, defaultText));
        return std::isfinite(n.real) ? n.real : defaultValue;
    }

private:
    const SettingsFile::StoredKeys& keys_;
};

std::int32_t OutsideBecomes(std::int32_t value, std::int32_t low, std::int32_t high,
                            std::int32_t replacement) {
    return (value < low || value > high) ? replacement : value;
}

// A ratio as single precision with seven decimals and a point, whatever the
// locale; nothing when it cannot be a position (a zero-sized screen gives
// infinity or NaN, which no later start could use).
std::optional<std::string> FormatRatio(double ratio) {
    if (!std::isfinite(ratio) || std::fabs(ratio) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    const double single = static_cast<double>(static_cast<float>(ratio));
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, single, std::chars_format::fixed, 7);
    if (ec != std::errc()) {
        return std::nullopt;
    }
    std::string text(buffer, end);
    if (text == "-0.0000000") {
        text.erase(0, 1);
    }
    return text;
}

// The window's edge as a fraction of the screen; when the screen size is no
// use, the position the record was loaded with is kept rather than losing it.
std::string PositionRatio(double edge, double extent, double loaded, double builtIn) {
    if (extent > 0.0) {
        if (auto text = FormatRatio(edge / extent)) {
            return *text;
        }
    }
    if (auto text = FormatRatio(loaded)) {
        return *text;
    }
    return *FormatRatio(builtIn);
}

void ReadKeys(SettingsRecord& s, const SettingsFile::StoredKeys& keys) {
    const SettingsRecord d{};
    const KeyReader in(keys);

    s.Blink = in.Flag("Blink", d.Blink);
    s.BlinkDelay = OutsideBecomes(in.Integer("BlinkDelay", d.BlinkDelay), 1, 1000, d.BlinkDelay);
    s.TimeOffset = in.Integer("TimeOffset", d.TimeOffset);
    s.UseTimeOffset = in.Flag("UseTimeOffset", d.UseTimeOffset);
    s.NTPatRun = in.Flag("NTPatRun", d.NTPatRun);
    s.NTPatResume = in.Flag("NTPatResume", d.NTPatResume);
    s.NTP_Server = in.Text("NTP_Server", d.NTP_Server);
    s.NTPatRun_Delay =
        OutsideBecomes(in.Integer("NTPatRun_Delay", d.NTPatRun_Delay), 1, 60000, d.NTPatRun_Delay);
    s.NTPatResume_Delay = OutsideBecomes(in.Integer("NTPatResume_Delay", d.NTPatResume_Delay), 1,
                                         60000, d.NTPatResume_Delay);
    s.NTP_PermissibleDelay = in.Integer("NTP_PermissibleDelay", d.NTP_PermissibleDelay);
    s.NTP_UsePermissibleDelay = in.Flag("NTP_UsePermissibleDelay", d.NTP_UsePermissibleDelay);
    s.NTP_Samples = OutsideBecomes(in.Integer("NTP_Samples", d.NTP_Samples), 1, 8, d.NTP_Samples);
    s.NTP_Tolerance = in.Integer("NTP_Tolerance", d.NTP_Tolerance);
    s.NTPbyTimer = in.Flag("NTPbyTimer", d.NTPbyTimer);
    // The countdown counts this in minutes, so the product must fit as well.
    constexpr std::int32_t kMaxHours = std::numeric_limits<std::int32_t>::max() / 60;
    s.NTPbyTimer_Interval = OutsideBecomes(in.Integer("NTPbyTimer_Interval", d.NTPbyTimer_Interval),
                                           -kMaxHours, kMaxHours, d.NTPbyTimer_Interval);
    // An empty value keeps the zone's offset set just before loading; a
    // value too large for single precision counts as empty.
    if (const std::string offset = in.Text("NTP_UTCOffset", ""); !offset.empty()) {
        const double hours = NumberReader::Read(offset).real;
        if (std::isfinite(hours) && std::fabs(hours) <= std::numeric_limits<float>::max()) {
            s.NTP_UTCOffset = static_cast<float>(hours);
        }
    }
    s.NTP_ShowDialog = in.Flag("NTP_ShowDialog", d.NTP_ShowDialog);
    s.NTP_Logging = in.Flag("NTP_Logging", d.NTP_Logging);
    s.TopMost = in.Flag("TopMost", d.TopMost);
    s.FixWindowPosition = in.Flag("FixWindowPosition", d.FixWindowPosition);
    s.XPosR = in.Real("XPosR", d.XPosR);
    s.YPosR = in.Real("YPosR", d.YPosR);
    s.DrawInterval = in.Integer("DrawInterval", d.DrawInterval);
    if (s.DrawInterval < 0) {
        s.DrawInterval = d.DrawInterval;
    }
    s.TimeFormat = in.Integer("TimeFormat", d.TimeFormat);
    s.DateFormat = in.Text("DateFormat", d.DateFormat);
    s.EXITbyDblClick = in.Flag("EXITbyDblClick", d.EXITbyDblClick);
    s.ClearRecent = in.Flag("ClearRecent", d.ClearRecent);
    s.ClearRecycleBin = in.Flag("ClearRecycleBin", d.ClearRecycleBin);
    s.ClearRecycleBin_NoConfirm = in.Flag("ClearRecycleBin_NoConfirm", d.ClearRecycleBin_NoConfirm);
    s.NTS = in.Flag("NTS", d.NTS);
    s.NTS_Port = OutsideBecomes(in.Integer("NTS_Port", d.NTS_Port), 1, 65535, d.NTS_Port);
}

std::vector<std::string> ValuesOf(const std::vector<ProfileFile::Entry>& entries) {
    std::vector<std::string> values;
    values.reserve(entries.size());
    for (const ProfileFile::Entry& entry : entries) {
        values.push_back(entry.value);
    }
    return values;
}

bool IsPosition(std::string_view key) {
    return key == "XPosR" || key == "YPosR";
}

// What a save writes when the file may have changed since this process last
// read or wrote it: its own value for each key it changed since, the file's
// value, in the form a save writes it, for the others, and its own again for
// a key the file lacks.
std::vector<ProfileFile::Entry> Merged(const SettingsRecord& s,
                                       std::vector<ProfileFile::Entry> ours,
                                       const SettingsFile::StoredKeys& current) {
    SettingsRecord inFile;
    ReadKeys(inFile, current);
    const std::vector<ProfileFile::Entry> theirs = Entries(inFile, {});
    const std::vector<ProfileFile::Entry> loaded = Entries(s, {});
    const bool knowsStored = s.StoredValues.size() == ours.size();
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const bool position = IsPosition(ours[i].key);
        const bool changed =
            position ? s.OwnsWindowPosition : !knowsStored || ours[i].value != s.StoredValues[i];
        if (changed) {
            continue;
        }
        if (!current.Text(ours[i].key, "").empty()) {
            ours[i].value = theirs[i].value;
        } else if (position) {
            ours[i].value = loaded[i].value;
        }
    }
    return ours;
}

} // namespace

void LoadFrom(SettingsRecord& s, std::string_view fileContent,
              const SettingsFile::FileEncoding& encoding) {
    ReadKeys(s, SettingsFile::StoredKeys(SettingsFile::DecodeFileText(fileContent), encoding));
    s.StoredValues = ValuesOf(Entries(s, {}));
}

void Load(SettingsRecord& s, const std::string& settingsPath,
          const SettingsFile::FileEncoding& encoding) {
    const SettingsFile::FileBytes file = SettingsFile::ReadFileBytes(settingsPath);
    LoadFrom(s, file.bytes, encoding);
}

std::vector<ProfileFile::Entry> Entries(const SettingsRecord& s, const WindowPosition& w) {
    const SettingsRecord d{};
    // Both ratios first, as a save has always done, before any key is written.
    std::string xPosR = PositionRatio(w.left, w.screenWidth, s.XPosR, d.XPosR);
    std::string yPosR = PositionRatio(w.top, w.screenHeight, s.YPosR, d.YPosR);
    const auto flag = [](bool f) { return SettingsFile::FormatYesNo(f); };
    const auto number = [](std::int32_t n) { return std::to_string(n); };
    return {
        {"Blink", flag(s.Blink)},
        {"BlinkDelay", number(s.BlinkDelay)},
        {"TimeOffset", number(s.TimeOffset)},
        {"UseTimeOffset", flag(s.UseTimeOffset)},
        {"NTPatRun", flag(s.NTPatRun)},
        {"NTPatResume", flag(s.NTPatResume)},
        {"NTP_Server", s.NTP_Server},
        {"NTPatRun_Delay", number(s.NTPatRun_Delay)},
        {"NTPatResume_Delay", number(s.NTPatResume_Delay)},
        {"NTP_PermissibleDelay", number(s.NTP_PermissibleDelay)},
        {"NTP_UsePermissibleDelay", flag(s.NTP_UsePermissibleDelay)},
        {"NTP_Tolerance", number(s.NTP_Tolerance)},
        {"NTPbyTimer", flag(s.NTPbyTimer)},
        {"NTPbyTimer_Interval", number(s.NTPbyTimer_Interval)},
        {"NTP_ShowDialog", flag(s.NTP_ShowDialog)},
        {"NTP_Logging", flag(s.NTP_Logging)},
        {"TopMost", flag(s.TopMost)},
        {"XPosR", std::move(xPosR)},
        {"YPosR", std::move(yPosR)},
        {"TimeFormat", number(s.TimeFormat)},
        {"DateFormat", s.DateFormat},
        {"EXITbyDblClick", flag(s.EXITbyDblClick)},
        {"FixWindowPosition", flag(s.FixWindowPosition)},
        {"ClearRecent", flag(s.ClearRecent)},
        {"ClearRecycleBin", flag(s.ClearRecycleBin)},
        {"ClearRecycleBin_NoConfirm", flag(s.ClearRecycleBin_NoConfirm)},
        {"NTS", flag(s.NTS)},
        {"NTS_Port", number(s.NTS_Port)},
        {"NTP_Samples", number(s.NTP_Samples)},
    };
}

bool Save(SettingsRecord& s, const WindowPosition& w, const std::string& settingsPath,
          const SettingsFile::FileReplacer& replace, const SettingsFile::FileEncoding& encoding) {
    std::vector<ProfileFile::Entry> ours = Entries(s, w);
    const bool written = SettingsFile::WriteSettings(
        settingsPath,
        [&](const SettingsFile::StoredKeys& current) { return Merged(s, ours, current); }, replace,
        encoding);
    if (written) {
        s.StoredValues = ValuesOf(ours);
    }
    return written;
}

} // namespace SettingsStore
