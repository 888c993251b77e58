#pragma once
// While collaboration is on, the program notices what other editors put into
// the transaction folder: a look at the start, on every change the file
// system reports, and now and then besides (network shares report nothing).
// News are offered in a note above the picture, or taken at once when the
// user chose so and nothing else is under way.

#include <QFileSystemWatcher>
#include <QFrame>
#include <QTimer>
#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

namespace kolvaro {

class CMeriskDoc;

class CSyncNote : public QFrame {
  Q_OBJECT
 public:
  explicit CSyncNote(CMeriskDoc& doc, QWidget* parent = nullptr);

  /// Watches the transaction folder for the album now open, and looks once.
  /// Nothing while collaboration is off or the album has no file yet.
  void Restart();
  /// Looks at the folder now.
  void Look();

  /// How often the folder is looked at without a notification, in milliseconds.
  static constexpr int kPollInterval = 15000;

 signals:
  /// The user wants the news, or they are to be taken at once: `atOnce` says
  /// which (a sync asked for by no one shows its summary only when it must).
  void SyncRequested(bool atOnce);

 private:
  /// Whether taking the news now could not get in the user's way: no dialog
  /// open, no command running, nothing unsaved, no text being typed.
  bool QuietMoment() const;

  CMeriskDoc& m_doc;
  QFileSystemWatcher m_watcher;
  QTimer m_settle;  // a sync engine writes a file in several steps
  QTimer m_poll;
  QLabel* m_text = nullptr;
  QPushButton* m_apply = nullptr;
  std::string m_album;
  std::string m_folder;
  std::uint64_t m_dismissed = 0;  // the news the user put off with "Später"
};

}  // namespace kolvaro
