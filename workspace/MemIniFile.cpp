#include "workspace/MemIniFile.h"
#include "textscan/AsciiText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "textscan/Regional.h"

namespace qx {
namespace {

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

void CheckSectionName(std::string_view section) {
    if (section.find(']') != std::string_view::npos || HasLineBreak(section))
        throw std::invalid_argument("section name not allowed in the workspace file: " +
                                    std::string(section));
}

void CheckKeyName(std::string_view key) {
    const std::string_view trimmed = TrimBlanks(key);
    if (trimmed.empty() || trimmed.size() != key.size() ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';' ||
        key.front() == '#' || HasLineBreak(key))
        throw std::invalid_argument("key name not allowed in the workspace file: " +
                                    std::string(key));
}

std::string OneLine(std::string_view value) {
    std::string out(value);
    std::replace(out.begin(), out.end(), '\r', ' ');
    std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

// A decimal integer over the whole text, optional sign.
bool ParseInteger(std::string_view text, long long& out) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    unsigned long long magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (magnitude > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
        return false;
    out = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

bool ReadNumberField(std::string_view& text, int digitsMin, int digitsMax, int& out) {
    int n = 0;
    int value = 0;
    while (n < digitsMax && n < static_cast<int>(text.size()) &&
           text[static_cast<std::size_t>(n)] >= '0' && text[static_cast<std::size_t>(n)] <= '9') {
        value = value * 10 + (text[static_cast<std::size_t>(n)] - '0');
        ++n;
    }
    if (n < digitsMin) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
    out = value;
    return true;
}

bool Take(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) return false;
    text.remove_prefix(1);
    return true;
}

bool TakeAny(std::string_view& text, char a, char b) {
    return Take(text, a) || Take(text, b);
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool ValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

// "hh:nn[:ss]" with an optional AM/PM, as seconds of the day.
bool ParseTimeOfDay(std::string_view text, char separator, int& seconds) {
    int h = 0, n = 0, s = 0;
    if (!ReadNumberField(text, 1, 2, h)) return false;
    if (!TakeAny(text, separator, ':')) return false;
    if (!ReadNumberField(text, 2, 2, n)) return false;
    if (TakeAny(text, separator, ':') && !ReadNumberField(text, 2, 2, s)) return false;
    text = TrimBlanks(text);
    if (!text.empty()) {
        const bool am = SameIgnoringAsciiCase(text, "AM");
        const bool pm = SameIgnoringAsciiCase(text, "PM");
        if (!am && !pm) return false;
        if (h < 1 || h > 12) return false;
        h = (h % 12) + (pm ? 12 : 0);
    }
    if (h > 23 || n > 59 || s > 59) return false;
    seconds = h * 3600 + n * 60 + s;
    return true;
}

bool ParseDateTime(std::string_view text, TDateTime& out) {
    text = TrimBlanks(text);
    const TRegionalSettings& regional = Regional();
    TDateTimeParts parts;
    std::string_view rest = text;
    bool haveDate = false;
    // yyyy-mm-dd (with an optional "T" before the time), else mm/dd/yyyy
    // with the regional date separator.
    int y = 0, m = 0, d = 0;
    std::string_view t = text;
    if (ReadNumberField(t, 4, 4, y) && Take(t, '-') && ReadNumberField(t, 1, 2, m) &&
        Take(t, '-') && ReadNumberField(t, 1, 2, d)) {
        haveDate = true;
        if (!t.empty() && (t.front() == 'T' || t.front() == 't')) t.remove_prefix(1);
    } else {
        t = text;
        haveDate = ReadNumberField(t, 1, 2, m) && Take(t, regional.DateSeparator) &&
                   ReadNumberField(t, 1, 2, d) && Take(t, regional.DateSeparator) &&
                   ReadNumberField(t, 4, 4, y);
    }
    if (haveDate) {
        if (!ValidDate(y, m, d)) return false;
        parts.Year = y;
        parts.Month = m;
        parts.Day = d;
        rest = t;
    }
    rest = TrimBlanks(rest);
    int seconds = 0;
    if (!rest.empty() && !ParseTimeOfDay(rest, regional.TimeSeparator, seconds)) return false;
    if (!haveDate) {
        if (rest.empty()) return false;
        out = seconds / 86400.0;
        return true;
    }
    parts.Hour = seconds / 3600;
    parts.Minute = seconds % 3600 / 60;
    parts.Second = seconds % 60;
    out = EncodeDateTime(parts);
    return true;
}

std::string TwoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

bool TMemIniFile::Open(const std::string& fileName) {
    fileName_ = fileName;
    SetText({});
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
    if (!S_ISREG(info.st_mode)) return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return false;
    SetText(text.str());
    return true;
}

const std::string& TMemIniFile::FileName() const {
    return fileName_;
}

void TMemIniFile::SetText(std::string_view text) {
    preamble_.clear();
    blocks_.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // CR LF, LF and a bare CR each end a line; the first line end found is
    // the file's style, which a save keeps.
    lineEnd_ = "\n";
    bool styleFound = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        std::string_view raw =
            text.substr(start, end == std::string_view::npos ? text.size() - start : end - start);
        if (end == std::string_view::npos) {
            start = text.size();
        } else {
            const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            if (!styleFound) {
                lineEnd_ = crLf ? "\r\n" : (text[end] == '\r' ? "\r" : "\n");
                styleFound = true;
            }
            start = end + (crLf ? 2 : 1);
        }

        const std::string_view trimmed = TrimBlanks(raw);
        if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#' &&
            trimmed.front() == '[' && trimmed.size() >= 2 && trimmed.back() == ']') {
            Block block;
            block.Header = std::string(raw);
            block.Name = std::string(TrimBlanks(trimmed.substr(1, trimmed.size() - 2)));
            blocks_.push_back(std::move(block));
            continue;
        }
        Line line;
        line.Text = std::string(raw);
        if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
            const std::size_t eq = raw.find('=');
            if (eq != std::string_view::npos) {
                const std::string_view name = TrimBlanks(raw.substr(0, eq));
                if (!name.empty()) {
                    line.Key = std::string(name);
                    line.ValueStart = eq + 1;
                }
            }
        }
        (blocks_.empty() ? preamble_ : blocks_.back().Lines).push_back(std::move(line));
    }
}

std::string TMemIniFile::Text() const {
    return Text("\n");
}

std::string TMemIniFile::Text(std::string_view lineEnd) const {
    std::string out;
    for (const Line& line : preamble_) out.append(line.Text).append(lineEnd);
    for (const Block& block : blocks_) {
        if (!block.Erased) out.append(block.Header).append(lineEnd);
        for (const Line& line : block.Lines) out.append(line.Text).append(lineEnd);
    }
    return out;
}

const std::string& TMemIniFile::LineEnd() const {
    return lineEnd_;
}

std::string TMemIniFile::TemporaryPrefix(const std::string& target) {
    return target + ".saving-";
}

void TMemIniFile::RemoveStaleTemporaries(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string prefix = TemporaryPrefix(target).substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // Exactly the names CreateLockedTemporary makes: the prefix and six
        // letters or digits.
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view random = name.substr(prefix.size());
        if (!std::all_of(random.begin(), random.end(), [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            }))
            continue;
        const std::string path = (slash == std::string::npos ? "" : folder) + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        // A save still running holds its lock; only a file of this user is
        // taken, and only while the name still refers to the file opened.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

int TMemIniFile::CreateLockedTemporary(const std::string& target, std::string& temp) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        temp = TemporaryPrefix(target) + "XXXXXX";
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        // Locked for as long as the save runs, so that another instance's
        // cleaning leaves it alone; removed in the moment before the lock
        // was taken, it is made anew.
        struct stat info {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0) return fd;
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
    errno = EAGAIN;
    return -1;
}

bool TMemIniFile::SaveToFile(std::string* error) const {
    auto fail = [error](const std::string& what) {
        if (error) *error = what;
        return false;
    };
    if (fileName_.empty()) return fail("no file name");

    // Replace the file a symbolic link points to, not the link.
    std::string target = fileName_;
    for (int hops = 0; hops < 40; ++hops) {
        char buffer[4096];
        const ssize_t n = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (n < 0) break;
        std::string link(buffer, static_cast<std::size_t>(n));
        if (link.empty() || link.front() != '/') {
            const std::size_t slash = target.rfind('/');
            link =
                (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
        }
        target = link;
    }

    mode_t mode = 0;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    RemoveStaleTemporaries(target);
    std::string temp;
    const int fd = CreateLockedTemporary(target, temp);
    if (fd < 0) return fail(target + ": " + std::strerror(errno));
    const std::string text = Text(lineEnd_);
    std::size_t written = 0;
    int writeError = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            writeError = errno;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (writeError == 0 && ::fchmod(fd, mode) != 0) writeError = errno;
    if (writeError == 0 && ::fsync(fd) != 0) writeError = errno;
    if (::close(fd) != 0 && writeError == 0) writeError = errno;
    if (writeError == 0 && ::rename(temp.c_str(), target.c_str()) != 0) writeError = errno;
    if (writeError != 0) {
        ::unlink(temp.c_str());
        return fail(target + ": " + std::strerror(writeError));
    }
    return true;
}

const TMemIniFile::Line* TMemIniFile::FindKey(std::string_view Section,
                                              std::string_view Key) const {
    for (const Block& block : blocks_) {
        if (block.Erased || !SameIgnoringAsciiCase(block.Name, Section)) continue;
        for (const Line& line : block.Lines)
            if (!line.Key.empty() && SameIgnoringAsciiCase(line.Key, Key)) return &line;
        return nullptr;
    }
    return nullptr;
}

TMemIniFile::Block& TMemIniFile::BlockForWrite(std::string_view Section) {
    CheckSectionName(Section);
    for (Block& block : blocks_) {
        if (!SameIgnoringAsciiCase(block.Name, Section)) continue;
        if (block.Erased) {
            block.Erased = false;
            block.Header = "[" + std::string(Section) + "]";
            block.Name = std::string(Section);
        }
        return block;
    }
    Block block;
    block.Header = "[" + std::string(Section) + "]";
    block.Name = std::string(Section);
    blocks_.push_back(std::move(block));
    return blocks_.back();
}

std::vector<TMemIniFile::Line>::iterator TMemIniFile::KeyInsertPosition(Block& block) {
    // After the last key; with no key, right after the header, before the
    // blank and comment lines, which usually introduce the next section.
    auto last = std::find_if(block.Lines.rbegin(), block.Lines.rend(),
                             [](const Line& l) { return !l.Key.empty(); });
    return last.base();
}

bool TMemIniFile::SectionExists(const std::string& Section) const {
    return std::any_of(blocks_.begin(), blocks_.end(), [&](const Block& b) {
        return !b.Erased && SameIgnoringAsciiCase(b.Name, Section);
    });
}

bool TMemIniFile::ValueExists(const std::string& Section, const std::string& Key) const {
    return FindKey(Section, Key) != nullptr;
}

std::vector<std::string> TMemIniFile::ReadSection(const std::string& Section) const {
    std::vector<std::string> keys;
    for (const Block& block : blocks_) {
        if (block.Erased || !SameIgnoringAsciiCase(block.Name, Section)) continue;
        // A section of a thousand sensors is read at every start: the names
        // seen are kept in a set rather than compared with each other.
        std::unordered_set<std::string> seen;
        for (const Line& line : block.Lines) {
            if (line.Key.empty()) continue;
            if (seen.insert(UpperAscii(line.Key)).second) keys.push_back(line.Key);
        }
        break;
    }
    return keys;
}

std::vector<std::string> TMemIniFile::ReadSectionKeys(const std::string& Section) const {
    std::vector<std::string> keys;
    for (const Block& block : blocks_) {
        if (block.Erased || !SameIgnoringAsciiCase(block.Name, Section)) continue;
        for (const Line& line : block.Lines)
            if (!line.Key.empty()) keys.push_back(line.Key);
        break;
    }
    return keys;
}

std::vector<std::string> TMemIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const Block& block : blocks_) {
        if (block.Erased) continue;
        const bool seen = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return SameIgnoringAsciiCase(n, block.Name);
        });
        if (!seen) names.push_back(block.Name);
    }
    return names;
}

void TMemIniFile::EraseSection(const std::string& Section) {
    // Every occurrence goes, so that nothing of the section is read afterwards.
    for (Block& block : blocks_) {
        if (block.Erased || !SameIgnoringAsciiCase(block.Name, Section)) continue;
        auto last = std::find_if(block.Lines.rbegin(), block.Lines.rend(),
                                 [](const Line& l) { return !l.Key.empty(); });
        block.Lines.erase(block.Lines.begin(), last.base());
        block.Erased = true;
    }
}

void TMemIniFile::DeleteKey(const std::string& Section, const std::string& Key) {
    for (Block& block : blocks_) {
        if (block.Erased || !SameIgnoringAsciiCase(block.Name, Section)) continue;
        std::erase_if(block.Lines, [&](const Line& l) {
            return !l.Key.empty() && SameIgnoringAsciiCase(l.Key, Key);
        });
        return;
    }
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Key,
                                    const std::string& Default) const {
    const Line* line = FindKey(Section, Key);
    return line ? line->Text.substr(line->ValueStart) : Default;
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Key,
                              const std::string& Value) {
    CheckSectionName(Section);
    CheckKeyName(Key);
    Block& block = BlockForWrite(Section);
    for (Line& line : block.Lines) {
        if (line.Key.empty() || !SameIgnoringAsciiCase(line.Key, Key)) continue;
        line.Text = line.Text.substr(0, line.ValueStart) + OneLine(Value);
        return;
    }
    Line line;
    line.Key = Key;
    line.Text = Key + "=" + OneLine(Value);
    line.ValueStart = Key.size() + 1;
    block.Lines.insert(KeyInsertPosition(block), std::move(line));
}

int TMemIniFile::ReadInteger(const std::string& Section, const std::string& Key,
                             int Default) const {
    const Line* line = FindKey(Section, Key);
    long long value = 0;
    if (!line || !ParseInteger(std::string_view(line->Text).substr(line->ValueStart), value))
        return Default;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return Default;
    return static_cast<int>(value);
}

void TMemIniFile::WriteInteger(const std::string& Section, const std::string& Key, int Value) {
    WriteString(Section, Key, std::to_string(Value));
}

bool TMemIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
    const Line* line = FindKey(Section, Key);
    long long value = 0;
    if (!line || !ParseInteger(std::string_view(line->Text).substr(line->ValueStart), value))
        return Default;
    return value != 0;
}

void TMemIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

double TMemIniFile::ReadFloat(const std::string& Section, const std::string& Key,
                              double Default) const {
    const Line* line = FindKey(Section, Key);
    if (!line) return Default;
    std::string text(TrimBlanks(std::string_view(line->Text).substr(line->ValueStart)));
    const char separator = Regional().DecimalSeparator;
    if (separator != '.') std::replace(text.begin(), text.end(), separator, '.');
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') return Default;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return Default;
    return value;
}

void TMemIniFile::WriteFloat(const std::string& Section, const std::string& Key, double Value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
    WriteString(Section, Key, ec == std::errc() ? std::string(buffer, end) : std::string());
}

TDateTime TMemIniFile::ReadDateTime(const std::string& Section, const std::string& Key,
                                    TDateTime Default) const {
    const Line* line = FindKey(Section, Key);
    TDateTime value = 0;
    if (!line || !ParseDateTime(std::string_view(line->Text).substr(line->ValueStart), value))
        return Default;
    return value;
}

void TMemIniFile::WriteDateTime(const std::string& Section, const std::string& Key,
                                TDateTime Value) {
    if (!std::isfinite(Value)) {
        WriteString(Section, Key, "");
        return;
    }
    const TDateTimeParts p = DecodeDateTime(Value);
    std::string year = std::to_string(p.Year);
    while (year.size() < 4) year.insert(year.begin(), '0');
    WriteString(Section, Key,
                year + "-" + TwoDigits(p.Month) + "-" + TwoDigits(p.Day) + " " + TwoDigits(p.Hour) +
                    ":" + TwoDigits(p.Minute) + ":" + TwoDigits(p.Second));
}

}  // namespace qx
