#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "export/file_error.h"
#include "export/files.h"
#include "export/platform.h"

namespace test {

// A platform that records every call in order and answers the file choosers from a script.
// Files are the system's own (OpenInputFile, CreateOutputFile), with failures to inject.
class FakePlatform : public Platform {
 public:
  // What the platform was asked to do, in order: "warning: TEXT", "open chooser",
  // "save chooser", "error: TEXT", "success: TEXT | CAPTION", "launch: COMMAND LINE".
  std::vector<std::string> events;
  std::vector<FileChooserRequest> requests;
  // The chooser answers, one per chooser, "" for cancel; an exhausted script cancels.
  std::deque<std::string> answers;
  // Called inside ChooseFile before it answers.
  std::function<void(const FileChooserRequest&)> onChoose;
  // Called inside ShowSuccess.
  std::function<void()> onSuccess;

  // Inputs that are open right now.
  int openInputs = 0;

  // Failures of the output, thrown as FileError with this cause and the output's path.
  enum class Fault { kNone, kWrite, kCommit };
  Fault outputFault = Fault::kNone;
  FileErrorCause faultCause = FileErrorCause::kDiskFull;

  std::string ChooseFile(const FileChooserRequest& request) override {
    events.push_back(request.openForReading ? "open chooser" : "save chooser");
    requests.push_back(request);
    if (onChoose) onChoose(request);
    if (answers.empty()) return "";
    std::string answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
  void ShowWarning(const std::string& text) override { events.push_back("warning: " + text); }
  void ShowSuccess(const std::string& text, const std::string& caption) override {
    events.push_back("success: " + text + " | " + caption);
    if (onSuccess) onSuccess();
  }
  void ShowError(const std::string& text) override { events.push_back("error: " + text); }
  void Launch(const std::string& commandLine) override {
    events.push_back("launch: " + commandLine);
  }

  std::unique_ptr<InputFile> OpenInput(const std::string& path) override {
    return std::make_unique<CountedInput>(OpenInputFile(path), openInputs);
  }
  std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override {
    std::unique_ptr<OutputFile> real = CreateOutputFile(path);
    if (outputFault == Fault::kNone) return real;
    return std::make_unique<FaultyOutput>(std::move(real), outputFault,
                                          FileError(faultCause, path));
  }

 private:
  class CountedInput : public InputFile {
   public:
    CountedInput(std::unique_ptr<InputFile> real, int& count)
        : real_(std::move(real)), count_(count) {
      ++count_;
    }
    ~CountedInput() override { --count_; }
    std::size_t Read(char* buffer, std::size_t size) override { return real_->Read(buffer, size); }

   private:
    std::unique_ptr<InputFile> real_;
    int& count_;
  };

  // Passes bytes to the real output until the fault strikes: Write throws after storing half of
  // what it was given; Commit throws without putting anything in place.
  class FaultyOutput : public OutputFile {
   public:
    FaultyOutput(std::unique_ptr<OutputFile> real, Fault fault, FileError error)
        : real_(std::move(real)), fault_(fault), error_(std::move(error)) {}
    void Write(std::string_view bytes) override {
      if (fault_ == Fault::kWrite) {
        real_->Write(bytes.substr(0, bytes.size() / 2));
        throw error_;
      }
      real_->Write(bytes);
    }
    void Commit() override {
      if (fault_ == Fault::kCommit) throw error_;
      real_->Commit();
    }

   private:
    std::unique_ptr<OutputFile> real_;
    Fault fault_;
    FileError error_;
  };
};

}  // namespace test
