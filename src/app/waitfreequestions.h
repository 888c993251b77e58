#pragma once
// Questions of a long command asked without the wait cursor: a message that
// appears while the command still shows it ends the wait cursor first, so the
// user is never shown "busy" over a box that waits for them.

#include "core/ports/userquestions.h"

namespace kolvaro {

class CWaitFreeQuestions : public IUserQuestions {
 public:
  explicit CWaitFreeQuestions(IUserQuestions& inner) : m_inner(inner) {}
  ~CWaitFreeQuestions() override { EndWaiting(); }

  Answer Show(const UserMessage& message) override {
    EndWaiting();
    return m_inner.Show(message);
  }
  std::vector<std::string> GetOpenFileNames(const std::string& title, const std::string& filter,
                                            const std::string& initialFolder, bool multiple) override {
    EndWaiting();
    return m_inner.GetOpenFileNames(title, filter, initialFolder, multiple);
  }
  std::string GetSaveFileName(const std::string& title, const std::string& filter,
                              const std::string& proposed) override {
    EndWaiting();
    return m_inner.GetSaveFileName(title, filter, proposed);
  }
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialFolder) override {
    EndWaiting();
    return m_inner.ChooseFolder(title, initialFolder);
  }
  void BeginWaitCursor() override {
    m_inner.BeginWaitCursor();
    ++m_nWaiting;
  }
  // A guard ending after its message ended the wait cursor early has nothing left to end.
  void EndWaitCursor() override {
    if (m_nWaiting == 0) return;
    --m_nWaiting;
    m_inner.EndWaitCursor();
  }

 private:
  void EndWaiting() {
    while (m_nWaiting > 0) EndWaitCursor();
  }

  IUserQuestions& m_inner;
  int m_nWaiting = 0;
};

}  // namespace kolvaro
