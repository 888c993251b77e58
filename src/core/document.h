#pragma once
// The document base: path, title, modified flag and the views that show it.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/safefile.h"

namespace kolvaro {

class CDocument;

/// A view of the document, or anyone else who follows its state. Each
/// notification comes after the change, once per operation.
class IDocumentObserver {
 public:
  virtual ~IDocumentObserver() = default;
  /// `sender` is the observer that caused the update, or null.
  virtual void OnUpdate(CDocument& doc, IDocumentObserver* sender, long hint) = 0;
  /// Only when the flag really flips.
  virtual void OnModifiedChanged(bool /*modified*/) {}
  /// The selection, the current picture or its position changed.
  virtual void OnSelectionChanged() {}
  /// A table or an album setting changed, or another album was loaded.
  virtual void OnContentsChanged() {}
};

class CDocument {
 public:
  virtual ~CDocument() = default;

  const std::string& GetPathName() const { return m_strPathName; }
  void SetPathName(const std::string& path);
  /// The file name without folder, or "Unbenannt" for a document never saved.
  const std::string& GetTitle() const { return m_strTitle; }
  void SetTitle(const std::string& title) { m_strTitle = title; }

  bool IsModified() const { return m_bModified; }
  void SetModifiedFlag(bool modified = true);

  void AddView(IDocumentObserver* view) { m_views.push_back(view); }
  void RemoveView(IDocumentObserver* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
  }
  void UpdateAllViews(IDocumentObserver* sender, long hint = 0);

  /// While a hold lasts, selection and contents notifications wait; when
  /// the last hold ends, each that came is sent once (selection first).
  /// For long runs of operations, such as a replay, that observers need
  /// only hear of as a whole. The modified flag is told at once as ever.
  class NotificationHold {
   public:
    explicit NotificationHold(CDocument& doc) : m_doc(doc) { ++m_doc.m_holds; }
    ~NotificationHold() { m_doc.EndHold(); }
    NotificationHold(const NotificationHold&) = delete;
    NotificationHold& operator=(const NotificationHold&) = delete;

   private:
    CDocument& m_doc;
  };

  /// True when the file at the path name is no longer the one last opened
  /// or saved: another program saved over it meanwhile. A file that is gone
  /// counts as unchanged, since saving loses nothing of it.
  bool ChangedOnDisk() const;
  /// The lock a command holds on the file for its whole read-change-save;
  /// a save of the file keeps it on the new file. Null: no lock.
  void SetFileLock(CFileLock* lock) { m_pFileLock = lock; }

  /// Grows with every change of the tables or settings; what is derived
  /// from them is current while it has not grown.
  std::uint64_t ContentsVersion() const { return m_contentsVersion; }

 protected:
  void NotifySelectionChanged();
  void NotifyContentsChanged();
  /// Counts a change of the tables at once, ahead of its notification.
  void ContentsTouched() { ++m_contentsVersion; }

  std::string m_strPathName;
  std::string m_strTitle = "Unbenannt";
  bool m_bModified = false;
  FileIdentity m_diskIdentity;  ///< of the file as last opened or saved
  CFileLock* m_pFileLock = nullptr;

 private:
  void EndHold();

  std::vector<IDocumentObserver*> m_views;
  int m_holds = 0;
  bool m_selectionHeld = false;
  bool m_contentsHeld = false;
  std::uint64_t m_contentsVersion = 0;
};

}  // namespace kolvaro
