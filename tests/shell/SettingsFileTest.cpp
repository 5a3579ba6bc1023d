// The settings file: private-profile reading and writing, integers, limits,
// and where the file lives.

#include "shell/SettingsFile.h"

#include "shell/SettingsLocation.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace vellinor {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("vellinor-settings-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "vellinor.ini").string();
    }
    void TearDown() override { fs::remove_all(folder); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Contents() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path folder;
    std::string path;
};

TEST_F(SettingsFileTest, ReadsLikeThePrivateProfileFunctions) {
    Write("; comment\r\n[other]\r\nLeft=99\r\n[copyright form]\r\n  left =  12  \r\n"
          "WINDOW STATE=1\r\nCopyright=\"  quoted  \"\r\nEmpty=\r\nLeft=77\r\n");
    const TSettingsFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Left", 0), 12); // first key of the section
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Window State", 2), 1);
    EXPECT_EQ(ini.ReadString("Copyright Form", "Copyright", "x"), "  quoted  ");
    EXPECT_EQ(ini.ReadString("Copyright Form", "Empty", "x"), "");
    EXPECT_EQ(ini.ReadString("Copyright Form", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.ReadInteger("Missing Section", "Left", -5), -5);
    EXPECT_FALSE(ini.ValueExists("Copyright Form", "; comment"));
}

TEST_F(SettingsFileTest, IntegersAreDecimalOrHexAfter0x) {
    struct Case {
        const char* text;
        bool converts;
        int32_t value;
    } cases[] = {
        {"0x200", true, 512},
        {"0X1f4", true, 500},
        {"512", true, 512},
        {"-40", true, -40},
        {"+7", true, 7},
        {"abc", false, 0},
        {"0x", false, 0},
        {"12abc", false, 0},
        {"", false, 0},
        {"0xFFFFFFFF", true, -1},
        {"0x1FFFFFFFF", false, 0},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483648", true, INT32_MIN},
        {"0x7g", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(ParseSettingsInteger(c.text, v), c.converts) << c.text;
        if (c.converts) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    Write("[S]\nWidth=abc\n");
    EXPECT_EQ(TSettingsFile(path).ReadInteger("S", "Width", 1280), 1280);
}

TEST_F(SettingsFileTest, StringsStopAt2047BytesWithoutSplittingACharacter) {
    const std::string longAscii(3000, 'a');
    std::string chinese;
    for (int i = 0; i < 1000; ++i)
        chinese += "版"; // three bytes each
    Write("[S]\nA=" + longAscii + "\nC=" + chinese + "\n");
    const TSettingsFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "A", "").size(), 2047u);
    const std::string c = ini.ReadString("S", "C", "");
    EXPECT_EQ(c.size(), 2046u); // 682 whole characters
    EXPECT_EQ(c, chinese.substr(0, 2046));
}

TEST_F(SettingsFileTest, WritesReplaceInPlaceAndKeepEverythingElse) {
    Write("; kept\n[Other]\nx=1\n\n[Copyright Form]\nLeft=5\nTop=6\n\n[Tail]\ny=2\n");
    TSettingsFile ini(path);
    ini.WriteInteger("Copyright Form", "left", 40);
    ini.WriteInteger("Copyright Form", "Width", 800);
    ini.WriteString("New", "Copyright", "版权所有 \u00A9 2010");
    EXPECT_EQ(Contents(), "; kept\n[Other]\nx=1\n\n[Copyright Form]\nleft=40\nTop=6\nWidth=800\n\n"
                          "[Tail]\ny=2\n\n[New]\nCopyright=版权所有 \u00A9 2010\n");
    const TSettingsFile again(path);
    EXPECT_EQ(again.ReadInteger("COPYRIGHT FORM", "LEFT", 0), 40);
    EXPECT_EQ(again.ReadString("new", "copyright", ""), "版权所有 \u00A9 2010");
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenRaisesUnableToWrite) {
    Write("blocker");
    const std::string blocked = path + "/vellinor.ini"; // its folder is a file
    TSettingsFile ini(blocked);
    try {
        ini.WriteInteger("Copyright Form", "Left", 1);
        FAIL() << "no error";
    } catch (const ESettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked);
    }
}

TEST_F(SettingsFileTest, WritingCreatesTheConfigurationFolder) {
    const std::string nested = (folder / "config" / "vellinor" / "vellinor.ini").string();
    TSettingsFile ini(nested);
    ini.WriteString("Copyright Form", "Copyright", "x");
    EXPECT_EQ(TSettingsFile(nested).ReadString("Copyright Form", "Copyright", ""), "x");
}

TEST_F(SettingsFileTest, LivesBesideAWritableExecutableElseInTheConfigurationFolder) {
    const std::string exe = (folder / "vellinor").string();
    EXPECT_EQ(SettingsFilePath(exe, "/cfg"), (folder / "vellinor.ini").string());
    EXPECT_EQ(SettingsFilePath("/no/such/folder/vellinor", "/cfg"), "/cfg/vellinor/vellinor.ini");
    const char* home = std::getenv("HOME");
    const std::string oldHome = home != nullptr ? home : "";
    setenv("HOME", folder.c_str(), 1);
    EXPECT_EQ(SettingsFilePath("/no/such/folder/vellinor", ""),
              (folder / ".config" / "vellinor" / "vellinor.ini").string());
    EXPECT_EQ(SettingsFilePath("/no/such/folder/vellinor", "relative"),
              (folder / ".config" / "vellinor" / "vellinor.ini").string());
    setenv("HOME", oldHome.c_str(), 1);
}

} // namespace
} // namespace vellinor
