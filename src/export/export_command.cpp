#include "export/export_command.h"

#include "export/contact_reader.h"
#include "export/file_error.h"
#include "export/messages.h"

std::string FilterString(const std::vector<FileFilter>& filters, char separator) {
  std::string text;
  for (const FileFilter& filter : filters) {
    text += filter.label;
    text += separator;
    text += filter.pattern;
    text += separator;
  }
  text += separator;
  return text;
}

std::string AskForFileName(Platform& platform, bool openForReading, const std::string& description,
                           const std::string& extension) {
  const std::string pattern = "*." + extension;
  FileChooserRequest request;
  request.openForReading = openForReading;
  request.filters = {{description + "(" + pattern + ")", pattern},
                     {messages::kAllFilesLabel, messages::kAllFilesPattern}};
  request.defaultExtension = extension;
  request.options = kChooserHideReadOnly | kChooserOverwritePrompt;
  return platform.ChooseFile(request);
}

void RunExportCommand(Platform& platform, const FieldSelection& selection,
                      const CodePage& codePage) {
  if (!selection.AnyOn()) platform.ShowWarning(messages::kNoFieldWarning);
  const std::string inputPath =
      AskForFileName(platform, true, messages::kTextFileDescription, messages::kTextFileExtension);
  if (inputPath.empty()) return;
  try {
    std::string collected;  // the records as they go to disk, each line feed stored as CR LF
    {
      const std::unique_ptr<InputFile> input = platform.OpenInput(inputPath);
      ReadContactRecords(*input, selection, codePage, kDiskLineEnd,
                         [&collected](std::string_view records) { collected += records; });
    }  // the input is closed before the Save chooser opens: the output may be the same file
    const std::string outputPath = AskForFileName(platform, false, messages::kTextFileDescription,
                                                  messages::kTextFileExtension);
    if (outputPath.empty()) return;
    const std::unique_ptr<OutputFile> output = platform.CreateOutput(outputPath);
    output->Write(collected);
    output->Commit();
  } catch (const FileError& error) {
    platform.ShowError(error.what());
    return;
  }
  platform.ShowSuccess(messages::kExportDone, messages::kExportDoneCaption);
}
