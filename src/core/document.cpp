#include "core/document.h"

#include <utility>

namespace kolvaro {
namespace {

// An observer may detach itself while being told: walk a copy.
template <typename Call>
void TellAll(const std::vector<IDocumentObserver*>& observers, Call call) {
  if (observers.empty()) return;
  const std::vector<IDocumentObserver*> copy = observers;
  for (IDocumentObserver* o : copy) call(*o);
}

}  // namespace

void CDocument::SetPathName(const std::string& path) {
  m_strPathName = path;
  const auto slash = path.find_last_of("/\\");
  m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CDocument::ChangedOnDisk() const {
  if (m_strPathName.empty() || !m_diskIdentity.known) return false;
  const FileIdentity now = FileIdentity::OfPath(m_strPathName);
  return now.known && !(now == m_diskIdentity);
}

void CDocument::SetModifiedFlag(bool modified) {
  if (m_bModified == modified) return;
  m_bModified = modified;
  TellAll(m_views, [modified](IDocumentObserver& o) { o.OnModifiedChanged(modified); });
}

void CDocument::NotifySelectionChanged() {
  if (m_holds > 0) {
    m_selectionHeld = true;
    return;
  }
  TellAll(m_views, [](IDocumentObserver& o) { o.OnSelectionChanged(); });
}

void CDocument::NotifyContentsChanged() {
  ContentsTouched();
  if (m_holds > 0) {
    m_contentsHeld = true;
    return;
  }
  TellAll(m_views, [](IDocumentObserver& o) { o.OnContentsChanged(); });
}

void CDocument::EndHold() {
  if (--m_holds > 0) return;
  const bool selection = std::exchange(m_selectionHeld, false);
  const bool contents = std::exchange(m_contentsHeld, false);
  if (selection) NotifySelectionChanged();
  if (contents) NotifyContentsChanged();
}

void CDocument::UpdateAllViews(IDocumentObserver* sender, long hint) {
  // A view may detach itself while being updated: walk a copy.
  const std::vector<IDocumentObserver*> views = m_views;
  for (IDocumentObserver* v : views)
    if (v != sender) v->OnUpdate(*this, sender, hint);
}

}  // namespace kolvaro
