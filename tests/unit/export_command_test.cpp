#include "export/export_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "export/file_error.h"
#include "export/messages.h"
#include "fake_platform.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::FakePlatform;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const std::string kWarning = std::string("warning: ") + messages::kNoFieldWarning;
const std::string kSuccess = "success: 你已成功导出 | 恭喜！";

std::string Contact(const std::string& qq, const std::string& name) {
  return "<li class=\"L_n\"><input type=\"checkbox\" name=\"c\" n=\"" + name + "\" e=\"" + qq +
         "@qq.com\">&nbsp;" + name + "</li>";
}

// A small saved page in GBK, CR LF line ends: two contact lines between others.
const std::string kPage = "<html>\r\n<ul>\r\n" + Contact("10001", "\xD5\xC5\xCE\xB0") + "\r\n" +
                          "<li class=\"l_n\">\r\n" + Contact("987654321", "Li Na") +
                          "\r\n</ul>\r\n</html>\r\n";
const std::string kPageOutput =
    "10001----\xD5\xC5\xCE\xB0----10001@qq.com\r\n"
    "987654321----Li Na----987654321@qq.com\r\n";

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(input_, kPage); }
  void Run(const FieldSelection& selection = {}) {
    RunExportCommand(platform_, selection, test::Page(936));
  }

  TempFolder folder_;
  const std::string input_ = folder_.File("contacts.html");
  const std::string output_ = folder_.File("contacts.txt");
  FakePlatform platform_;
};

TEST_F(ExportCommand, ExportsAndReportsSuccessOnceEveryByteIsInPlace) {
  platform_.answers = {input_, output_};
  std::string atSuccess = "(not read)";
  platform_.onSuccess = [&] { atSuccess = ReadFile(output_); };
  Run();
  EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "save chooser", kSuccess}));
  EXPECT_EQ(ReadFile(output_), kPageOutput);
  EXPECT_EQ(atSuccess, kPageOutput);
  EXPECT_EQ(FileNames(folder_.Path()), (std::set<std::string>{"contacts.html", "contacts.txt"}));
  EXPECT_EQ(ReadFile(input_), kPage);
}

TEST_F(ExportCommand, ChooserRequests) {
  platform_.answers = {input_, output_};
  Run();
  ASSERT_EQ(platform_.requests.size(), 2u);
  const std::vector<std::pair<std::string, std::string>> filters = {{"文本文档(*.txt)", "*.txt"},
                                                                    {"All Files(*.*)", "*.*"}};
  for (std::size_t i = 0; i < 2; ++i) {
    const FileChooserRequest& request = platform_.requests[i];
    EXPECT_EQ(request.openForReading, i == 0);
    ASSERT_EQ(request.filters.size(), filters.size());
    for (std::size_t f = 0; f < filters.size(); ++f) {
      EXPECT_EQ(request.filters[f].label, filters[f].first);
      EXPECT_EQ(request.filters[f].pattern, filters[f].second);
    }
    EXPECT_EQ(FilterString(request.filters, '|'), "文本文档(*.txt)|*.txt|All Files(*.*)|*.*||");
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_EQ(request.options, 6u);  // hide read-only | overwrite prompt
  }
}

TEST(AskForFileName, BuildsTheRequestFromItsArguments) {
  FakePlatform platform;
  platform.answers = {"C:\\chosen.csv"};
  EXPECT_EQ(AskForFileName(platform, false, "Comma list", "csv"), "C:\\chosen.csv");
  EXPECT_EQ(AskForFileName(platform, true, "Comma list", "csv"), "");  // cancelled
  ASSERT_EQ(platform.requests.size(), 2u);
  EXPECT_FALSE(platform.requests[0].openForReading);
  EXPECT_TRUE(platform.requests[1].openForReading);
  EXPECT_EQ(FilterString(platform.requests[0].filters, '\0'),
            "Comma list(*.csv)\0*.csv\0All Files(*.*)\0*.*\0\0"s);
  EXPECT_EQ(platform.requests[0].defaultExtension, "csv");
  EXPECT_EQ(platform.events, (std::vector<std::string>{"save chooser", "open chooser"}));
}

// No field selected: the warning comes first, then the command goes on, one empty line per
// contact line.
TEST_F(ExportCommand, WarnsWhenNoFieldIsSelectedAndGoesOn) {
  for (const FieldSelection& selection :
       {FieldSelection{0, 0, 0}, FieldSelection{2, -1, 0}, FieldSelection{2, 2, 2}}) {
    platform_.events.clear();
    platform_.answers = {input_, output_};
    Run(selection);
    EXPECT_EQ(platform_.events,
              (std::vector<std::string>{kWarning, "open chooser", "save chooser", kSuccess}));
    EXPECT_EQ(ReadFile(output_), "\r\n\r\n");
  }
}

TEST_F(ExportCommand, CancellingTheOpenChooserEndsTheCommand) {
  for (const FieldSelection& selection : {FieldSelection{}, FieldSelection{0, 0, 0}}) {
    platform_.events.clear();
    Run(selection);
    std::vector<std::string> expected = {"open chooser"};
    if (!selection.AnyOn()) expected.insert(expected.begin(), kWarning);
    EXPECT_EQ(platform_.events, expected);
  }
  EXPECT_EQ(FileNames(folder_.Path()), std::set<std::string>{"contacts.html"});
}

TEST_F(ExportCommand, CancellingTheSaveChooserWritesNothing) {
  WriteFile(output_, "old");
  platform_.answers = {input_, ""};
  Run();
  EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "save chooser"}));
  EXPECT_EQ(ReadFile(output_), "old");
  EXPECT_EQ(FileNames(folder_.Path()), (std::set<std::string>{"contacts.html", "contacts.txt"}));
}

// The input is closed before the Save chooser opens, so that the output may be the same file.
TEST_F(ExportCommand, ClosesTheInputBeforeAskingWhereToSave) {
  platform_.answers = {input_, output_};
  int openAtSave = -1;
  platform_.onChoose = [&](const FileChooserRequest& request) {
    if (request.openForReading) return;
    openAtSave = platform_.openInputs;
    // Where the system locks an open file, opening it again proves it closed.
    EXPECT_NO_THROW(OpenInputFile(input_));
  };
  Run();
  EXPECT_EQ(openAtSave, 0);
  EXPECT_EQ(platform_.openInputs, 0);
}

// The output may be the input: it is replaced whole by the records, also when the page is
// larger than the blocks it is read in.
TEST_F(ExportCommand, OutputMayBeTheInput) {
  std::string page;
  std::string expected;
  for (int i = 0; i < 50000; ++i) {
    page += Contact(std::to_string(100000 + i), "\xC0\xEE\xC4\xC8") + "\r\n<br>\r\n";
    expected += std::to_string(100000 + i) + "----\xC0\xEE\xC4\xC8----" +
                std::to_string(100000 + i) + "@qq.com\r\n";
  }
  ASSERT_GT(page.size(), std::size_t{4} << 20);
  WriteFile(input_, page);
  platform_.answers = {input_, input_};
  Run();
  EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "save chooser", kSuccess}));
  EXPECT_TRUE(ReadFile(input_) == expected);
  EXPECT_EQ(FileNames(folder_.Path()), std::set<std::string>{"contacts.html"});
}

TEST_F(ExportCommand, NoContactLineGivesAnEmptyFile) {
  WriteFile(input_, "<html>\r\n<li class=\"l_n\">\r\n</html>");
  WriteFile(output_, "old content");
  platform_.answers = {input_, output_};
  Run();
  EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "save chooser", kSuccess}));
  EXPECT_TRUE(fs::exists(output_));
  EXPECT_EQ(fs::file_size(output_), 0u);
}

// A page that cannot be opened: the error box names the full path, and the command ends
// without asking where to save.
TEST_F(ExportCommand, InputErrors) {
  fs::create_directory(folder_.Path() / "folder");
  struct Case {
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {folder_.File("missing.html"), "没有找到 " + folder_.File("missing.html") + "。"},
      {folder_.File("no-such-folder/contacts.html"),
       (folder_.Path() / "no-such-folder" / "contacts.html").string() + " 中包含无效的路径。"},
      {folder_.File("folder"), "对 " + folder_.File("folder") + " 的存取被拒绝。"},
  };
  for (const Case& c : cases) {
    platform_.events.clear();
    platform_.answers = {c.path, output_};
    Run();
    EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "error: " + c.message}));
  }
  EXPECT_EQ(platform_.openInputs, 0);
  EXPECT_EQ(FileNames(folder_.Path()), (std::set<std::string>{"contacts.html", "folder"}));
}

// A relative name is reported with its full path.
TEST_F(ExportCommand, InputErrorNamesTheFullPath) {
  const fs::path saved = fs::current_path();
  fs::current_path(folder_.Path());
  platform_.answers = {"missing.html"};
  Run();
  fs::current_path(saved);
  EXPECT_EQ(platform_.events,
            (std::vector<std::string>{"open chooser",
                                      "error: 没有找到 " + folder_.File("missing.html") + "。"}));
}

#ifdef _WIN32
// While another program holds the page open, it cannot be read.
TEST_F(ExportCommand, InputHeldOpenElsewhere) {
  const std::unique_ptr<InputFile> holder = OpenInputFile(input_);
  platform_.answers = {input_, output_};
  Run();
  EXPECT_EQ(platform_.events, (std::vector<std::string>{"open chooser", "error: 在存取 " + input_ +
                                                                            " 时发生共享违例。"}));
}
#endif

// Output that cannot be created or written: the error box, no success message, the old target
// as it was and no temporary file left behind.
TEST_F(ExportCommand, OutputErrors) {
  using Fault = FakePlatform::Fault;
  fs::create_directory(folder_.Path() / "folder");
  struct Case {
    const char* what;
    std::string path;
    Fault fault;
    FileErrorCause cause;
    std::string message;
  };
  const std::string missingFolder = (folder_.Path() / "no-such-folder" / "out.txt").string();
  const Case cases[] = {
      {"missing folder", missingFolder, Fault::kNone, FileErrorCause::kDiskFull,
       missingFolder + " 中包含无效的路径。"},
      {"a folder", folder_.File("folder"), Fault::kNone, FileErrorCause::kDiskFull,
       "对 " + folder_.File("folder") + " 的存取被拒绝。"},
      {"disk full", output_, Fault::kWrite, FileErrorCause::kDiskFull,
       "磁盘已满，无法写完 " + output_ + "。"},
      {"write failure", output_, Fault::kWrite, FileErrorCause::kWriteFailed,
       "写入 " + output_ + " 时发生错误。"},
      {"failure putting it in place", output_, Fault::kCommit, FileErrorCause::kWriteFailed,
       "写入 " + output_ + " 时发生错误。"},
  };
  for (const Case& c : cases) {
    WriteFile(output_, "old");
    platform_.events.clear();
    platform_.answers = {input_, c.path};
    platform_.outputFault = c.fault;
    platform_.faultCause = c.cause;
    Run();
    EXPECT_EQ(platform_.events,
              (std::vector<std::string>{"open chooser", "save chooser", "error: " + c.message}))
        << c.what;
    EXPECT_EQ(ReadFile(output_), "old") << c.what;
    EXPECT_EQ(FileNames(folder_.Path()),
              (std::set<std::string>{"contacts.html", "contacts.txt", "folder"}))
        << c.what;
    EXPECT_TRUE(fs::is_empty(folder_.Path() / "folder")) << c.what;
  }
}

}  // namespace
