#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "services/Registration.h"

namespace qx::services {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RegistrationFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qx-registration-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

TEST(Registration, TheUserDataDirectoryFollowsXdg) {
    EXPECT_EQ(UserDataDirectory("/x/data", "/home/u"), fs::path("/x/data"));
    EXPECT_EQ(UserDataDirectory("", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_EQ(UserDataDirectory(nullptr, "/home/u"), fs::path("/home/u/.local/share"));
    // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
    EXPECT_EQ(UserDataDirectory("data", "/home/u"), fs::path("/home/u/.local/share"));
    EXPECT_EQ(UserDataDirectory(nullptr, nullptr), fs::path());
    EXPECT_EQ(UserDataDirectory(nullptr, "relative"), fs::path());
}

TEST(Registration, ExecWordsTheBusCanParse) {
    struct TCase {
        const char* Path;
        const char* Word;
    };
    const TCase cases[] = {
        {"/opt/qx/qxrirovozer", "/opt/qx/qxrirovozer"},
        {"/opt/q-x_1.2+/prog", "/opt/q-x_1.2+/prog"},
        {"/home/u/My Programs/qxrirovozer", "'/home/u/My Programs/qxrirovozer'"},
        {"/home/u/$HOME/p", "'/home/u/$HOME/p'"},
        {"/home/u/o'brien/p", "\"/home/u/o'brien/p\""},
        // No quoting holds these.
        {"/home/u/o'brien \"x\"/p", ""},
        {"/home/u/a\\b/p", ""},
        {"/home/u/a\nb/p", ""},
        {"", ""},
    };
    for (const TCase& c : cases) EXPECT_EQ(ExecWord(c.Path), c.Word) << c.Path;
}

TEST_F(RegistrationFiles, WritesTheActivationFileAndEveryInterfaceThenRemovesThem) {
    const std::vector<TInterfaceFile> interfaces = AutomationInterfaceFiles();
    ASSERT_EQ(interfaces.size(), 5u);
    std::string error;
    ASSERT_TRUE(WriteRegistration(dir_, "/opt/my qx/qxrirovozer", interfaces, error)) << error;

    EXPECT_EQ(ReadAll(dir_ / "dbus-1/services/QXRTD.QXRTDCom.service"),
              "# The automation server of QX RIRovozer, started by the bus for its clients.\n"
              "[D-BUS Service]\n"
              "Name=QXRTD.QXRTDCom\n"
              "Exec='/opt/my qx/qxrirovozer' -Automation\n");
    for (const TInterfaceFile& i : interfaces) {
        const std::string xml =
            ReadAll(dir_ / "dbus-1/interfaces" / (std::string(i.Name) + ".xml"));
        EXPECT_EQ(xml, i.Xml) << i.Name;
        EXPECT_NE(xml.find("<interface name=\"" + std::string(i.Name) + "\">"), std::string::npos)
            << i.Name;
    }
    // Writing again replaces the files; nothing is left beside them.
    ASSERT_TRUE(WriteRegistration(dir_, "/opt/qx/qxrirovozer", interfaces, error)) << error;
    EXPECT_NE(ReadAll(ServiceFilePath(dir_)).find("Exec=/opt/qx/qxrirovozer -Automation\n"),
              std::string::npos);
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 6u);

    ASSERT_TRUE(RemoveRegistration(dir_, interfaces, error)) << error;
    EXPECT_FALSE(fs::exists(ServiceFilePath(dir_)));
    for (const TInterfaceFile& i : interfaces)
        EXPECT_FALSE(fs::exists(InterfaceFilePath(dir_, i.Name)));
    // Removing what is not there is no failure.
    EXPECT_TRUE(RemoveRegistration(dir_, interfaces, error)) << error;
}

TEST_F(RegistrationFiles, FailuresAreReportedNotPassedOver) {
    const std::vector<TInterfaceFile> interfaces = AutomationInterfaceFiles();
    std::string error;
    EXPECT_FALSE(WriteRegistration({}, "/opt/qx/qxrirovozer", interfaces, error));
    EXPECT_NE(error.find("XDG_DATA_HOME"), std::string::npos) << error;
    EXPECT_FALSE(WriteRegistration(dir_, "qxrirovozer", interfaces, error));
    EXPECT_FALSE(WriteRegistration(dir_, "/opt/a\\b/qxrirovozer", interfaces, error));
    EXPECT_FALSE(fs::exists(ServiceFilePath(dir_)));

    // The data directory is a file: nothing can be written under it.
    const fs::path file = dir_ / "file";
    std::ofstream(file) << "x";
    error.clear();
    EXPECT_FALSE(WriteRegistration(file, "/opt/qx/qxrirovozer", interfaces, error));
    EXPECT_FALSE(error.empty());

    if (::geteuid() != 0) {
        // A folder the user may not write: registration and removal fail.
        ASSERT_TRUE(WriteRegistration(dir_, "/opt/qx/qxrirovozer", interfaces, error)) << error;
        fs::permissions(dir_ / "dbus-1/services", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteRegistration(dir_, "/opt/qx/other", interfaces, error));
        EXPECT_FALSE(RemoveRegistration(dir_, interfaces, error));
        EXPECT_NE(error.find("QXRTD.QXRTDCom.service"), std::string::npos) << error;
        fs::permissions(dir_ / "dbus-1/services", fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace qx::services
