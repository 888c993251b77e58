#include "app/syncnote.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "collab/transactionfile.h"
#include "collab/transactionsync.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "qt/qtstring.h"
#include "res/strings.h"

namespace kolvaro {

CSyncNote::CSyncNote(CMeriskDoc& doc, QWidget* parent) : QFrame(parent), m_doc(doc) {
  setObjectName(QStringLiteral("syncNote"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::ToolTipBase);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  m_text = new QLabel(this);
  m_text->setForegroundRole(QPalette::ToolTipText);
  m_text->setWordWrap(true);
  m_apply = new QPushButton(ToQString(LoadString(IDS_SYNC_NEWS_APPLY)), this);
  m_apply->setObjectName(QStringLiteral("syncNoteApply"));
  auto* later = new QPushButton(ToQString(LoadString(IDS_SYNC_NEWS_LATER)), this);
  later->setObjectName(QStringLiteral("syncNoteLater"));
  layout->addWidget(m_text, 1);
  layout->addWidget(m_apply);
  layout->addWidget(later);
  hide();

  connect(m_apply, &QPushButton::clicked, this, [this] {
    hide();
    emit SyncRequested(false);
  });
  connect(later, &QPushButton::clicked, this, [this] {
    m_dismissed = SyncFolderNews(m_album, m_folder).fingerprint;
    hide();
  });
  m_settle.setSingleShot(true);
  m_settle.setInterval(1000);
  connect(&m_settle, &QTimer::timeout, this, &CSyncNote::Look);
  connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
  connect(&m_poll, &QTimer::timeout, this, &CSyncNote::Look);
}

void CSyncNote::Restart() {
  const std::string album = m_doc.GetPathName();
  const bool on = !album.empty() && ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kCollaboration);
  const std::string folder = on ? TransactionFolder(m_doc.Settings()) : std::string();
  // A save of the same album keeps what the user put off.
  if (album == m_album && folder == m_folder) return Look();
  if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
  m_poll.stop();
  m_settle.stop();
  hide();
  m_dismissed = 0;
  m_album = album;
  m_folder = folder;
  if (!on) return;
  m_watcher.addPath(ToQString(m_folder));  // where it cannot watch, the poll still looks
  m_poll.start(kPollInterval);
  Look();
}

bool CSyncNote::QuietMoment() const {
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || m_doc.IsModified())
    return false;
  // A headline half typed would be stored by the sync's save.
  const QWidget* focus = QApplication::focusWidget();
  return !qobject_cast<const QLineEdit*>(focus) && !qobject_cast<const QPlainTextEdit*>(focus);
}

void CSyncNote::Look() {
  if (m_folder.empty()) return;
  const SyncNews news = SyncFolderNews(m_album, m_folder);
  if (news.files == 0) {
    hide();
    return;
  }
  if (ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kSyncAtOnce) && QuietMoment()) {
    hide();
    emit SyncRequested(true);
    return;
  }
  if (news.fingerprint == m_dismissed) return;
  m_text->setText(ToQString(FormatMessage(LoadString(IDS_SYNC_NEWS),
                                          {static_cast<long long>(news.files)})));
  show();
}

}  // namespace kolvaro
