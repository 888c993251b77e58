#include "core/document.h"

namespace kolvaro {

void CDocument::SetPathName(const std::string& path) {
  m_strPathName = path;
  const auto slash = path.find_last_of("/\\");
  m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
}

void CDocument::UpdateAllViews(IDocumentObserver* sender, long hint) {
  // A view may detach itself while being updated: walk a copy.
  const std::vector<IDocumentObserver*> views = m_views;
  for (IDocumentObserver* v : views)
    if (v != sender) v->OnUpdate(*this, sender, hint);
}

}  // namespace kolvaro
