#pragma once
// Stand-ins for the platform: questions answered from a script and recorded,
// file operations, transaction records and view updates recorded or counted.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/document.h"
#include "core/transactionlog.h"
#include "core/ports/fileops.h"
#include "core/ports/userquestions.h"

namespace kolvaro::test {

using AskedMessage = UserMessage;

class FakeUserQuestions : public IUserQuestions {
 public:
  Answer Show(const UserMessage& message) override {
    messages.push_back(message);
    return Answer::Ok;  // a question takes that as no "Ja"
  }
  std::vector<std::string> GetOpenFileNames(const std::string& title, const std::string& filter,
                                            const std::string& initialFolder,
                                            bool multiple) override {
    openDialogs.push_back({title, filter, initialFolder, multiple});
    return chosenFiles;
  }
  std::string GetSaveFileName(const std::string& title, const std::string& filter,
                              const std::string& proposed) override {
    saveDialogs.push_back({title, filter, proposed, false});
    return chosenSaveFile;
  }
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initialFolder) override {
    folderTitles.push_back(title);
    (void)initialFolder;
    return chosenFolder;
  }
  void BeginWaitCursor() override { ++waitDepth, ++waitCursors; }
  void EndWaitCursor() override { --waitDepth; }

  struct OpenDialog {
    std::string title, filter, initialFolder;
    bool multiple;
  };

  // Answers.
  std::vector<std::string> chosenFiles;
  std::string chosenSaveFile;
  std::optional<std::string> chosenFolder;
  // What was asked.
  std::vector<AskedMessage> messages;
  std::vector<OpenDialog> openDialogs;
  std::vector<OpenDialog> saveDialogs;
  std::vector<std::string> folderTitles;
  int waitCursors = 0;
  int waitDepth = 0;
};

/// Answers message boxes from a queue (`fallback` once it is empty) and records them.
class ScriptedQuestions : public FakeUserQuestions {
 public:
  explicit ScriptedQuestions(Answer fallbackAnswer = Answer::Ok) : fallback(fallbackAnswer) {}
  Answer Show(const UserMessage& message) override {
    FakeUserQuestions::Show(message);
    if (answers.empty()) return fallback;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<Answer> answers;
  Answer fallback;
};

class FakeFileOperations : public IFileOperations {
 public:
  bool MoveToTrash(const std::string& path) override {
    trashed.push_back(path);
    return true;
  }
  bool OpenWithDefaultProgram(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  std::vector<std::string> trashed;
  std::vector<std::string> opened;
};

/// Records every transaction record as a short line.
class RecordingLog : public ITransactionLog {
 public:
  explicit RecordingLog(std::vector<std::string>& lines) : m_lines(lines) {}
  void WritePicture(std::int32_t id, const std::string&, const COleDateTime&, std::uint64_t,
                    const std::string&) override {
    Add("picture", id);
  }
  void WritePerson(std::int32_t id, const std::string&) override { Add("person", id); }
  void WritePersonOnPicture(std::int32_t, const Rect&, std::int32_t picture) override {
    Add("person-on-picture", picture);
  }
  void WriteTheme(std::int32_t id, const std::string&) override { Add("theme", id); }
  void WriteThemeOfPicture(std::int32_t, std::int32_t picture) override {
    Add("theme-of-picture", picture);
  }
  void WriteRemovePerson(std::int32_t person) override { Add("remove-person", person); }
  void WriteRemovePersonOnPicture(std::int32_t, std::int32_t picture) override {
    Add("remove-person-on-picture", picture);
  }
  void WriteRemovePicture(std::int32_t picture) override { Add("remove-picture", picture); }
  void WriteRemoveTheme(std::int32_t theme) override { Add("remove-theme", theme); }
  void WriteRemoveThemeOfPicture(std::int32_t, std::int32_t picture) override {
    Add("remove-theme-of-picture", picture);
  }

 private:
  void Add(const char* what, std::int32_t id) {
    m_lines.push_back(what + (" " + std::to_string(id)));
  }
  std::vector<std::string>& m_lines;
};

/// A log that only counts what reaches it.
class CountingLog final : public ITransactionLog {
 public:
  void WritePicture(std::int32_t, const std::string&, const COleDateTime&, std::uint64_t,
                    const std::string&) override { ++writes; }
  void WritePerson(std::int32_t, const std::string&) override { ++writes; }
  void WritePersonOnPicture(std::int32_t, const Rect&, std::int32_t) override { ++writes; }
  void WriteTheme(std::int32_t, const std::string&) override { ++writes; }
  void WriteThemeOfPicture(std::int32_t, std::int32_t) override { ++writes; }
  void WriteRemovePerson(std::int32_t) override { ++writes; }
  void WriteRemovePersonOnPicture(std::int32_t, std::int32_t) override { ++writes; }
  void WriteRemovePicture(std::int32_t) override { ++writes; }
  void WriteRemoveTheme(std::int32_t) override { ++writes; }
  void WriteRemoveThemeOfPicture(std::int32_t, std::int32_t) override { ++writes; }
  int writes = 0;
};

class CountingView : public IDocumentObserver {
 public:
  void OnUpdate(CDocument&, IDocumentObserver*, long) override { ++updates; }
  int updates = 0;
};

}  // namespace kolvaro::test
