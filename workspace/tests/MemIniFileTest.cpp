#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "textscan/Regional.h"
#include "textscan/TimeScale.h"
#include "workspace/MemIniFile.h"

namespace qx {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "qxini.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary);
    out << text;
}

// A hand-written file in the earlier Windows form: CR LF lines, mixed
// letter case, blanks around "=", comments and a section the program does
// not know.
constexpr const char* kWindowsFile =
    "; written by hand\r\n"
    "[Windows]\r\n"
    "Top=10\r\n"
    "left = 20 \r\n"
    "\r\n"
    "[PageSettings]\r\n"
    "ListPages=2\r\n"
    "GraphPages=abc\r\n"
    "[Custom]\r\n"
    "Anything=goes=here\r\n"
    "[WatchList0]\r\n"
    "STA1,Temp=1\r\n"
    "sta2,Level,=1\r\n";

TEST(MemIniFile, ReadsHandWrittenCrLfFileIgnoringCase) {
    TMemIniFile ini;
    ini.SetText(kWindowsFile);
    EXPECT_EQ(ini.ReadInteger("windows", "TOP", 0), 10);
    EXPECT_EQ(ini.ReadInteger("Windows", "Left", 0), 20);
    EXPECT_EQ(ini.ReadString("Windows", "Left", ""), " 20 ");
    EXPECT_EQ(ini.ReadInteger("PageSettings", "ListPages", 5), 2);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "GraphPages", 3), 3);
    EXPECT_EQ(ini.ReadInteger("PageSettings", "Missing", 3), 3);
    EXPECT_EQ(ini.ReadString("Custom", "anything", ""), "goes=here");
    EXPECT_EQ(ini.ReadSection("watchlist0"),
              (std::vector<std::string>{"STA1,Temp", "sta2,Level,"}));
    EXPECT_EQ(ini.ReadSections(),
              (std::vector<std::string>{"Windows", "PageSettings", "Custom", "WatchList0"}));
    EXPECT_TRUE(ini.SectionExists("CUSTOM"));
    EXPECT_TRUE(ini.ValueExists("custom", "ANYTHING"));
    EXPECT_FALSE(ini.ValueExists("custom", "other"));
}

TEST(MemIniFile, WritingKeepsOrderSpellingAndUnknownLines) {
    TMemIniFile ini;
    ini.SetText(kWindowsFile);
    ini.WriteInteger("WINDOWS", "top", 11);
    ini.WriteInteger("Windows", "Height",
                     300);  // new key after the last key, before the blank line
    ini.WriteString("PageSettings", "GraphPages", "4");
    ini.WriteString("TabNames", "WatchList0", "Pumps");  // new section at the end
    EXPECT_EQ(ini.Text(),
              "; written by hand\n"
              "[Windows]\n"
              "Top=11\n"
              "left = 20 \n"
              "Height=300\n"
              "\n"
              "[PageSettings]\n"
              "ListPages=2\n"
              "GraphPages=4\n"
              "[Custom]\n"
              "Anything=goes=here\n"
              "[WatchList0]\n"
              "STA1,Temp=1\n"
              "sta2,Level,=1\n"
              "[TabNames]\n"
              "WatchList0=Pumps\n");
}

TEST(MemIniFile, EraseSectionThenWriteTakesTheOldPlace) {
    TMemIniFile ini;
    ini.SetText("[A]\nx=1\ny=2\n\n; next\n[B]\nz=3\n[a]\nlate=4\n");
    ini.EraseSection("a");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_TRUE(ini.ReadSection("A").empty());
    EXPECT_EQ(ini.ReadString("A", "late", "none"), "none");
    EXPECT_EQ(ini.Text(), "\n; next\n[B]\nz=3\n");
    ini.WriteInteger("A", "w", 1);
    EXPECT_EQ(ini.Text(), "[A]\nw=1\n\n; next\n[B]\nz=3\n");
    ini.DeleteKey("b", "Z");
    EXPECT_FALSE(ini.ValueExists("B", "z"));
}

TEST(MemIniFile, RepeatedKeysAndSectionsReadTheFirst) {
    TMemIniFile ini;
    ini.SetText("[S]\nk=1\nK=2\n[s]\nk=3\nj=4\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    EXPECT_EQ(ini.ReadSection("S"), std::vector<std::string>{"k"});
    EXPECT_FALSE(ini.ValueExists("S", "j"));
    ini.WriteInteger("S", "k", 9);
    EXPECT_EQ(ini.Text(), "[S]\nk=9\nK=2\n[s]\nk=3\nj=4\n");
}

// Every key line of a section, as the list pages read their rows; the
// readers by name still take the first.
TEST(MemIniFile, SectionKeysIncludeNamesThatDifferOnlyInCase) {
    TMemIniFile ini;
    ini.SetText("[W]\nWX1,AIR=1\nwx1,air=1\n; note\nWX1,AIR=1\nST2,X=1\n[w]\nlate=1\n");
    EXPECT_EQ(ini.ReadSectionKeys("w"),
              (std::vector<std::string>{"WX1,AIR", "wx1,air", "WX1,AIR", "ST2,X"}));
    EXPECT_EQ(ini.ReadSection("W"), (std::vector<std::string>{"WX1,AIR", "ST2,X"}));
    EXPECT_TRUE(ini.ReadSectionKeys("none").empty());
}

TEST(MemIniFile, LineEndsOfEveryStyleReadAsLines) {
    const struct {
        const char* text;
        const char* lineEnd;
    } cases[] = {
        {"[S]\nk=1\nj=2", "\n"},
        {"[S]\r\nk=1\r\nj=2\r\n", "\r\n"},
        {"[S]\rk=1\rj=2\r", "\r"},
        {"[S]\r\nk=1\nj=2\r", "\r\n"},  // mixed: the first one counts
    };
    for (const auto& c : cases) {
        TMemIniFile ini;
        ini.SetText(c.text);
        EXPECT_EQ(ini.ReadString("S", "k", ""), "1") << c.text;
        EXPECT_EQ(ini.ReadString("S", "j", ""), "2") << c.text;
        EXPECT_EQ(ini.LineEnd(), c.lineEnd) << c.text;
        EXPECT_EQ(ini.Text(), "[S]\nk=1\nj=2\n") << c.text;
    }
    TMemIniFile empty;
    empty.SetText("");
    EXPECT_EQ(empty.LineEnd(), "\n");
}

TEST(MemIniFile, IntegersAndBooleans) {
    struct Case {
        const char* Value;
        int Integer;  // default 7
        bool Bool;    // default true
    };
    const Case cases[] = {
        {"0", 0, false},
        {"12", 12, true},
        {" -3 ", -3, true},
        {"+4", 4, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", std::numeric_limits<int>::min(), true},
        {"2147483648", 7, true},  // out of range: default, but still an integer
        {"99999999999999999999", 7, true},
        {"", 7, true},
        {"abc", 7, true},
        {"1.5", 7, true},
        {"0x10", 7, true},
        {"--1", 7, true},
        {"1 2", 7, true},
    };
    for (const Case& c : cases) {
        TMemIniFile ini;
        ini.WriteString("S", "k", c.Value);
        EXPECT_EQ(ini.ReadInteger("S", "k", 7), c.Integer) << c.Value;
        EXPECT_EQ(ini.ReadBool("S", "k", true), c.Bool) << c.Value;
    }
    TMemIniFile ini;
    ini.WriteBool("S", "on", true);
    ini.WriteBool("S", "off", false);
    EXPECT_EQ(ini.Text(), "[S]\non=1\noff=0\n");
    EXPECT_FALSE(ini.ReadBool("S", "off", true));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

TEST(MemIniFile, FloatsRoundTripAndRegionalComma) {
    TMemIniFile ini;
    for (double v : {0.0, 0.1, -2.5e-300, 1.0 / 3.0, 123456789.125}) {
        ini.WriteFloat("F", "v", v);
        EXPECT_EQ(ini.ReadFloat("F", "v", -1), v);
    }
    ini.WriteFloat("F", "nan", std::numeric_limits<double>::quiet_NaN());
    ini.WriteFloat("F", "inf", std::numeric_limits<double>::infinity());
    EXPECT_EQ(ini.ReadFloat("F", "nan", 5), 5);
    EXPECT_EQ(ini.ReadFloat("F", "inf", 5), 5);
    for (const char* bad : {"", "x", "1.5x", "+-1", "1e999"}) {
        ini.WriteString("F", "bad", bad);
        EXPECT_EQ(ini.ReadFloat("F", "bad", 5), 5) << bad;
    }
    ini.WriteString("F", "plus", " +2.5 ");
    EXPECT_EQ(ini.ReadFloat("F", "plus", 0), 2.5);

    TRegionalSettings comma;
    comma.DecimalSeparator = ',';
    ScopedRegional pinned(comma);
    ini.WriteString("F", "c", "2,75");
    EXPECT_EQ(ini.ReadFloat("F", "c", 0), 2.75);
    ini.WriteFloat("F", "w", 2.75);
    EXPECT_EQ(ini.ReadString("F", "w", ""), "2.75");
    EXPECT_EQ(ini.ReadFloat("F", "w", 0), 2.75);
}

TEST(MemIniFile, DateTimes) {
    const TDateTime noon = EncodeDateTime({2009, 5, 12, 13, 4, 5});
    TMemIniFile ini;
    ini.WriteDateTime("D", "t", noon + 0.4 / 86400.0);  // rounded to the second
    EXPECT_EQ(ini.ReadString("D", "t", ""), "2009-05-12 13:04:05");
    EXPECT_DOUBLE_EQ(ini.ReadDateTime("D", "t", 0), noon);
    ini.WriteDateTime("D", "nan", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(ini.ReadString("D", "nan", "x"), "");
    EXPECT_EQ(ini.ReadDateTime("D", "nan", 42), 42);

    ScopedRegional pinned('.', '-');
    struct Case {
        const char* Text;
        double Expected;  // -1: the default
    };
    const Case cases[] = {
        {"2009-05-12T13:04:05", noon},
        {"2009-05-12", EncodeDateTime({2009, 5, 12, 0, 0, 0})},
        {"05.12.2009 13-04-05", noon},
        {"5.12.2009 1:04:05 PM", noon},
        {"5.12.2009", EncodeDateTime({2009, 5, 12, 0, 0, 0})},
        {"06:00", 0.25},
        {"12-00 AM", 0.0},
        {"2009-02-29", -1},
        {"2009-05-12 24:00:00", -1},
        {"13.01.2009", -1},
        {"13:00 PM", -1},
        {"yesterday", -1},
        {"", -1},
    };
    for (const Case& c : cases) {
        ini.WriteString("D", "r", c.Text);
        EXPECT_DOUBLE_EQ(ini.ReadDateTime("D", "r", -1), c.Expected) << c.Text;
    }
}

TEST(MemIniFile, NamesThatWouldBreakTheFileAreRefusedAndValuesStayOnTheirLine) {
    TMemIniFile ini;
    for (const char* key : {"", "a=b", "[x", ";c", "#c", "a\nb", " pad"})
        EXPECT_THROW(ini.WriteString("S", key, "v"), std::invalid_argument) << key;
    EXPECT_THROW(ini.WriteString("a]b", "k", "v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString("a\rb", "k", "v"), std::invalid_argument);
    EXPECT_EQ(ini.Text(), "");
    ini.WriteString("S", "k", "one\r\ntwo");
    EXPECT_EQ(ini.Text(), "[S]\nk=one  two\n");
}

TEST(MemIniFile, ByteOrderMarkAndTextBeforeTheFirstSection) {
    TMemIniFile ini;
    ini.SetText("\xEF\xBB\xBFstray=1\n[S]\nk=v");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    EXPECT_EQ(ini.ReadSections(), std::vector<std::string>{"S"});
    EXPECT_EQ(ini.Text(), "stray=1\n[S]\nk=v\n");
}

TEST(MemIniFileDisk, MissingFileIsEmptyAndSaveCreatesIt) {
    TempDir dir;
    const std::string name = dir.File("qx.QFG");
    TMemIniFile ini;
    EXPECT_TRUE(ini.Open(name));
    EXPECT_EQ(ini.FileName(), name);
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.WriteInteger("PageSettings", "ListPages", 0);
    std::string error;
    ASSERT_TRUE(ini.SaveToFile(&error)) << error;
    EXPECT_EQ(ReadAll(name), "[PageSettings]\nListPages=0\n");

    TMemIniFile again;
    ASSERT_TRUE(again.Open(name));
    EXPECT_EQ(again.ReadInteger("PageSettings", "ListPages", 5), 0);
    // Nothing but the file is left in the folder: the temporary file was renamed.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

// A file saved keeps the line ends it was read with; a new one gets LF.
TEST(MemIniFileDisk, SaveKeepsTheLineEndsOfTheFile) {
    TempDir dir;
    for (const std::string& lineEnd : {std::string("\r\n"), std::string("\r")}) {
        const std::string name = dir.File("qx.QFG");
        WriteAll(name, "; hand" + lineEnd + "[S]" + lineEnd + "k=1" + lineEnd);
        TMemIniFile ini;
        ASSERT_TRUE(ini.Open(name));
        ini.WriteString("S", "j", "2");
        ini.WriteString("T", "x", "3");
        ASSERT_TRUE(ini.SaveToFile());
        EXPECT_EQ(ReadAll(name), "; hand" + lineEnd + "[S]" + lineEnd + "k=1" + lineEnd + "j=2" +
                                     lineEnd + "[T]" + lineEnd + "x=3" + lineEnd);
    }
}

// Temporary files that interrupted saves left behind go at the next save;
// one a running save holds, and files that only look similar, stay.
TEST(MemIniFileDisk, SaveRemovesOnlyItsOwnStaleTemporaries) {
    TempDir dir;
    const std::string name = dir.File("qx.QFG");
    const std::vector<std::string> stale = {"qx.QFG.saving-a1B2c3", "qx.QFG.saving-XXXXXX"};
    // The first is held by a save in progress.
    const std::vector<std::string> kept = {"qx.QFG.saving-held00",    "qx.QFG.saving-abc",
                                           "qx.QFG.saving-abcdefg",   "qx.QFG.saving-ab.cde",
                                           "qx.QFG.a1B2c3",           "qx.QFG.backup",
                                           "other.QFG.saving-a1B2c3", "qx.QFG~"};
    for (const std::string& file : stale) WriteAll(dir.File(file), "[S]\nk=partial");
    for (const std::string& file : kept) WriteAll(dir.File(file), "keep");
    ASSERT_EQ(::mkdir(dir.File("qx.QFG.saving-dir000").c_str(), 0700), 0);
    const int held = ::open(dir.File("qx.QFG.saving-held00").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(name));
    ini.WriteString("S", "k", "v");
    ASSERT_TRUE(ini.SaveToFile());
    ::close(held);

    for (const std::string& file : stale) EXPECT_FALSE(fs::exists(dir.File(file))) << file;
    for (const std::string& file : kept) EXPECT_EQ(ReadAll(dir.File(file)), "keep") << file;
    EXPECT_TRUE(fs::is_directory(dir.File("qx.QFG.saving-dir000")));
    EXPECT_EQ(ReadAll(name), "[S]\nk=v\n");
    // The save's own temporary was renamed: nothing else is new.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(kept.size() + 2));
}

TEST(MemIniFileDisk, FailedSaveKeepsThePreviousFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const std::string name = dir.File("qx.QFG");
    WriteAll(name, "[S]\nk=old\n");
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(name));
    ini.WriteString("S", "k", "new");
    ::chmod(dir.Path().c_str(), 0500);
    std::string error;
    EXPECT_FALSE(ini.SaveToFile(&error));
    EXPECT_NE(error.find("qx.QFG"), std::string::npos) << error;
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadAll(name), "[S]\nk=old\n");
}

// A disk that fills during the save (a file size limit stands in for it):
// the previous file stays whole and no temporary file is left behind.
TEST(MemIniFileDisk, SaveThatRunsOutOfSpaceKeepsThePreviousFile) {
    TempDir dir;
    const std::string name = dir.File("qx.QFG");
    WriteAll(name, "[S]\nk=old\n");
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(name));
    ini.WriteString("S", "k", std::string(4096, 'x'));

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved_ok = ini.SaveToFile(&error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_NE(error.find("qx.QFG"), std::string::npos) << error;
    EXPECT_EQ(ReadAll(name), "[S]\nk=old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(MemIniFileDisk, SaveKeepsPermissionsAndFollowsLinks) {
    TempDir dir;
    const std::string real = dir.File("real.QFG");
    const std::string link = dir.File("link.QFG");
    WriteAll(real, "[S]\n");
    ::chmod(real.c_str(), 0640);
    ASSERT_EQ(::symlink("real.QFG", link.c_str()), 0);
    TMemIniFile ini;
    ASSERT_TRUE(ini.Open(link));
    ini.WriteString("S", "k", "v");
    ASSERT_TRUE(ini.SaveToFile());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "[S]\nk=v\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(MemIniFileDisk, UnreadableFileFailsToOpen) {
    TempDir dir;
    TMemIniFile ini;
    EXPECT_FALSE(ini.Open(dir.Path()));  // a folder
    EXPECT_TRUE(ini.ReadSections().empty());
    TMemIniFile none;
    EXPECT_FALSE(none.SaveToFile());
    TMemIniFile nowhere;
    ASSERT_TRUE(nowhere.Open(dir.File("missing/qx.QFG")));
    nowhere.WriteString("S", "k", "v");
    std::string error;
    EXPECT_FALSE(nowhere.SaveToFile(&error));
    EXPECT_NE(error.find("missing/qx.QFG"), std::string::npos) << error;
}

}  // namespace
}  // namespace qx
