#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sstream>

#include "export/contact_reader.h"
#include "export/file_error.h"
#include "export/files.h"
#include "export/messages.h"
#include "version.h"

namespace {

constexpr char kProgram[] = "korvel-cli";
constexpr int kFileFailure = 1;
constexpr int kUsage = 2;

void Report(const std::string& text) { std::cerr << kProgram << ": " << text << '\n'; }

// "qq,name,email" in any order and any subset; "" selects nothing. Unknown names give no value.
std::optional<FieldSelection> ParseFields(const std::string& list) {
  FieldSelection selection{0, 0, 0};
  if (list.empty()) return selection;
  std::istringstream items(list + ",");
  std::string item;
  while (std::getline(items, item, ',')) {
    if (item == "qq") {
      selection.qqNumber = 1;
    } else if (item == "name") {
      selection.name = 1;
    } else if (item == "email") {
      selection.email = 1;
    } else {
      return std::nullopt;
    }
  }
  return selection;
}

void Export(const std::string& inputPath, const std::string& outputPath,
            const FieldSelection& selection, const CodePage& codePage) {
  std::unique_ptr<InputFile> input =
      inputPath == "-" ? OpenStandardInput() : OpenInputFile(inputPath);
  const std::unique_ptr<OutputFile> output =
      outputPath == "-" ? OpenStandardOutput() : CreateOutputFile(outputPath);
  ReadContactRecords(*input, selection, codePage, kDiskLineEnd,
                     [&output](std::string_view records) { output->Write(records); });
  input.reset();  // closed before the output replaces anything: it may be the same file
  output->Commit();
}

}  // namespace

int RunCli(const std::vector<std::string>& args) {
  CLI::App app(
      "Exports the contacts of a saved QQ Mail contact-list page: one line per contact, the\n"
      "chosen fields joined by \"----\", lines ended by CR LF.",
      kProgram);
  std::string input;
  std::string output = "-";
  std::string fields = "qq,name,email";
  std::optional<std::uint32_t> codePageId;
  app.add_option("INPUT", input, "The saved page; - reads standard input")->required();
  app.add_option("-o,--output", output,
                 "Where to write the records; - (default) is standard output");
  app.add_option("--fields", fields,
                 "Comma-separated fields to export, from qq, name, email (default: all);\n"
                 "they are always written in the order qq, name, email");
  app.add_option("--codepage", codePageId,
                 "Code page the page was saved in: 932, 936, 949, 950, 65001 or a single-byte\n"
                 "one (default: the system's: the ANSI code page on Windows, the locale's\n"
                 "character set elsewhere)");
  app.set_version_flag("--version", std::string(kProgram) + " " + KORVEL_VERSION);
  app.allow_windows_style_options(false);  // on Windows too, "/dir/page.html" is a path

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? 0 : kUsage;
  }

  const std::optional<FieldSelection> selection = ParseFields(fields);
  if (!selection) {
    Report("--fields: expected a comma-separated list of qq, name, email, got \"" + fields + "\"");
    return kUsage;
  }
  std::optional<CodePage> codePage = SystemCodePage();
  if (codePageId) codePage = CodePage::FromId(*codePageId);
  if (!codePage) {
    Report("--codepage: code page " + std::to_string(*codePageId) + " is not supported");
    return kUsage;
  }

  if (!selection->AnyOn()) Report(messages::kNoFieldWarning);
  try {
    Export(input, output, *selection, *codePage);
  } catch (const FileError& error) {
    Report(error.what());
    return kFileFailure;
  } catch (const std::bad_alloc&) {
    Report(messages::kOutOfMemory);
    return kFileFailure;
  } catch (const std::exception& error) {  // unwinds, so that no temporary file is left
    Report(error.what());
    return kFileFailure;
  }
  return 0;
}
