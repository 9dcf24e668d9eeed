// The workspace file in memory: an INI text of sections and "key=value"
// lines. Section and key names match without regard to ASCII letter case;
// the order of sections and keys, and everything the program does not know
// (other sections, keys, comment lines), are kept as they were read.
// Reads and writes act on memory; only SaveToFile touches the disk.
//
// Text rules:
// - A line whose first non-blank character is ";" or "#" is a comment. A
//   line that, without its surrounding blanks, starts with "[" and ends with
//   "]" opens a section named by the text between them (blanks around the
//   name dropped). Any other line holding "=" with a non-empty name before it
//   is a key; everything else (blank lines, lines without "=", lines before
//   the first section) is kept as it is and never read.
// - Key names are the text before the first "=" without surrounding blanks.
//   The value is the text after the first "=" exactly as it stands. Number,
//   boolean and date-time readers ignore blanks around the value.
// - Lines end with CR LF, LF or a bare CR. The file keeps the line-end style
//   of its first line end when it is saved; a new file gets LF.
// - A key repeated in a section, or a section repeated in the file: the first
//   occurrence is read and written, the later ones are kept unchanged.
// - Names that would change the structure of the file when written (empty
//   key, "=" in a key, "]" in a section, a key starting with "[", ";" or "#",
//   CR or LF in any name) make the write throw std::invalid_argument. CR and
//   LF inside a written value are each replaced by a blank, so a value always
//   stays on its line.
// - Integers: decimal, an optional sign, blanks around allowed; anything else
//   or a value outside the 32-bit range reads as the default.
// - Booleans are written "1" and "0"; read as an integer, not 0 = true, and
//   the default when the value is not an integer.
// - Floats are written with "." in the shortest text that reads back to the
//   same double; read with "." or with the regional decimal separator. Texts
//   that are not a finite number read as the default (so a written NaN or
//   infinity reads back as the default).
// - Date-times are written "yyyy-mm-dd hh:nn:ss", rounded to the second (a
//   non-finite value is written empty). Read: that form (also with "T"
//   between date and time), a regional date "mm/dd/yyyy" with the regional
//   date separator and an optional time, or a time of day alone "hh:nn[:ss]"
//   with the regional time separator or ":" (with an optional AM/PM), which
//   gives the time as a fraction of a day. Anything else, or fields out of
//   range, read as the default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textscan/TimeScale.h"

namespace qx {

class TMemIniFile {
public:
    TMemIniFile() = default;
    // Opens fileName: a missing file gives an empty workspace, and the name
    // is kept for SaveToFile. False (and an empty workspace) when the file
    // exists but cannot be read.
    bool Open(const std::string& fileName);
    const std::string& FileName() const;

    // Parses text (CR LF, LF or CR lines) replacing the contents. A leading
    // UTF-8 byte order mark is dropped.
    void SetText(std::string_view text);
    // The contents as text, LF line ends, or the given ones.
    std::string Text() const;
    std::string Text(std::string_view lineEnd) const;
    // The line end the text was read with ("\r\n", "\n" or "\r"); LF when it
    // had none. SaveToFile writes with it.
    const std::string& LineEnd() const;

    // Writes the contents to FileName() through a temporary file beside it
    // renamed over the old one, so a failed save leaves the previous file
    // whole. False with an explanation in error when it fails. The old
    // file's permissions are kept; when FileName() is a symbolic link, the
    // file it points to is replaced. The temporary file is named
    // FileName() + ".saving-" and six letters or digits; those an earlier
    // save left behind (interrupted, say) are removed first.
    bool SaveToFile(std::string* error = nullptr) const;

    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Key) const;
    std::vector<std::string> ReadSection(const std::string& Section) const;  // key names in order
    // Every key line's name in order, also those that repeat an earlier
    // name in the same or another letter case.
    std::vector<std::string> ReadSectionKeys(const std::string& Section) const;
    std::vector<std::string> ReadSections() const;
    // Removes the section's header and keys. Blank and comment lines after
    // its last key stay (they usually introduce the next section), and the
    // section takes its old place again when it is written anew.
    void EraseSection(const std::string& Section);
    // Removes every occurrence of the key in the section.
    void DeleteKey(const std::string& Section, const std::string& Key);

    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default) const;
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);

    // Missing or not a valid whole number: Default.
    int ReadInteger(const std::string& Section, const std::string& Key, int Default) const;
    void WriteInteger(const std::string& Section, const std::string& Key, int Value);

    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    double ReadFloat(const std::string& Section, const std::string& Key, double Default) const;
    void WriteFloat(const std::string& Section, const std::string& Key, double Value);

    TDateTime ReadDateTime(const std::string& Section, const std::string& Key,
                           TDateTime Default) const;
    void WriteDateTime(const std::string& Section, const std::string& Key, TDateTime Value);

private:
    // One line of the text, without its line end.
    struct Line {
        std::string Text;
        std::string Key;             // empty: not a key line
        std::size_t ValueStart = 0;  // where the value starts in Text
    };
    // A section header and the lines up to the next header. An erased block
    // keeps its place (and its trailing non-key lines) but is not written or
    // read until a write brings it back.
    struct Block {
        std::string Header;
        std::string Name;
        std::vector<Line> Lines;
        bool Erased = false;
    };

    static std::string TemporaryPrefix(const std::string& target);
    // Removes this user's temporary files of target that no save holds
    // locked; other files are left alone.
    static void RemoveStaleTemporaries(const std::string& target);
    // A new temporary file of target, locked; -1 with errno on failure.
    static int CreateLockedTemporary(const std::string& target, std::string& temp);

    const Line* FindKey(std::string_view Section, std::string_view Key) const;
    Block& BlockForWrite(std::string_view Section);
    static std::vector<Line>::iterator KeyInsertPosition(Block& block);

    std::string fileName_;
    std::string lineEnd_ = "\n";
    std::vector<Line> preamble_;  // lines before the first section
    std::vector<Block> blocks_;
};

}  // namespace qx
