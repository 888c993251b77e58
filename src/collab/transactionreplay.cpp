#include "collab/transactionreplay.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/selectionorder.h"

namespace kolvaro {
namespace {

// Records held back behind a removal until the selection it leaves is
// taken (see TransactionReplayer).
constexpr std::size_t kMaxHeldRecords = 65536;
constexpr std::size_t kMaxHeldBytes = std::size_t{16} << 20;

/// Lists of ids under an id, with stale entries allowed: every use checks
/// the table and unlinks what it no longer holds, so each entry is walked
/// past as stale at most once. Heads of small ids sit in a vector no larger
/// than the table's own entries warrant, others in a hash map.
class CIdLists {
 public:
  void Reserve(std::size_t n) {
    m_nodes.reserve(n);
    m_denseLimit = std::max<std::size_t>(65536, 2 * n);
  }
  void Add(std::int32_t key, std::int32_t value) {
    std::uint32_t& head = Head(key);
    m_nodes.push_back({value, head});
    head = static_cast<std::uint32_t>(m_nodes.size() - 1);
  }
  /// Calls keep(value, stop) for each entry under key; entries it returns
  /// false for are unlinked. Stops early when keep sets `stop`.
  template <typename F>
  void Walk(std::int32_t key, F&& keep) {
    std::uint32_t* link = Find(key);
    if (!link) return;
    bool stop = false;
    while (*link != kNone && !stop) {
      Node& n = m_nodes[*link];
      if (keep(n.value, stop))
        link = &n.next;
      else
        *link = n.next;
    }
  }
  void Drop(std::int32_t key) {
    if (std::uint32_t* head = Find(key)) *head = kNone;
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Node {
    std::int32_t value;
    std::uint32_t next;
  };
  bool IsDense(std::int32_t key) const {
    return key >= 0 && static_cast<std::size_t>(key) < m_denseLimit;
  }
  std::uint32_t& Head(std::int32_t key) {
    if (!IsDense(key)) return m_sparse.try_emplace(key, kNone).first->second;
    const auto i = static_cast<std::size_t>(key);
    if (i >= m_dense.size()) m_dense.resize(std::min(m_denseLimit, std::max(i + 1, m_dense.size() * 2)), kNone);
    return m_dense[i];
  }
  std::uint32_t* Find(std::int32_t key) {
    if (IsDense(key))
      return static_cast<std::size_t>(key) < m_dense.size() ? &m_dense[static_cast<std::size_t>(key)]
                                                             : nullptr;
    const auto it = m_sparse.find(key);
    return it == m_sparse.end() ? nullptr : &it->second;
  }

  std::size_t m_denseLimit = 65536;
  std::vector<std::uint32_t> m_dense;
  std::unordered_map<std::int32_t, std::uint32_t> m_sparse;
  std::vector<Node> m_nodes;
};

// The link tables' keys split into the halves they are stored with: for a
// negative picture id the high half reads one lower than the id it was made
// of. These helpers take and give the stored halves.
std::int32_t FirstArg(std::int32_t high, std::int32_t low) {
  return low < 0 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(high) + 1) : high;
}

/// One link table's entries by picture (low half) and by person or theme
/// (high half), so that removing everything of one of them does not walk
/// the whole table.
template <typename Table>
class CLinkIndex {
 public:
  void Build(const Table& table) {
    m_byLow.Reserve(static_cast<std::size_t>(table.GetCount()) * 5 / 4);
    m_byHigh.Reserve(static_cast<std::size_t>(table.GetCount()) * 5 / 4);
    for (POSITION p = table.GetStartPosition(); p != kNullPosition;) {
      std::int32_t high, low;
      table.GetNext(p, high, low);
      Added(high, low);
    }
  }
  /// After the pair key (first, picture) was stored anew.
  void AddedKey(std::int32_t first, std::int32_t picture) {
    const std::int64_t key = PairKey(first, picture);
    Added(PairHigh(key), PairLow(key));
  }
  static bool Has(const Table& t, std::int32_t high, std::int32_t low) {
    return t.Lookup(FirstArg(high, low), low);
  }
  /// Whether any entry's low half is `low`.
  bool AnyOfLow(const Table& t, std::int32_t low) {
    bool found = false;
    m_byLow.Walk(low, [&](std::int32_t high, bool& stop) {
      if (!Has(t, high, low)) return false;
      found = stop = true;
      return true;
    });
    return found;
  }
  /// Forgets every entry whose low half is `low`; `links` gets them, stale ones included.
  void TakeLow(std::int32_t low, std::vector<CMeriskDoc::Link>& links) {
    links.clear();
    m_byLow.Walk(low, [&](std::int32_t high, bool&) {
      links.emplace_back(FirstArg(high, low), low);
      return false;
    });
    m_byLow.Drop(low);
  }
  /// Forgets every entry whose high half is `high`, as TakeLow.
  void TakeHigh(std::int32_t high, std::vector<CMeriskDoc::Link>& links) {
    links.clear();
    m_byHigh.Walk(high, [&](std::int32_t low, bool&) {
      links.emplace_back(FirstArg(high, low), low);
      return false;
    });
    m_byHigh.Drop(high);
  }

 private:
  void Added(std::int32_t high, std::int32_t low) {
    m_byLow.Add(low, high);
    m_byHigh.Add(high, low);
  }
  CIdLists m_byLow;
  CIdLists m_byHigh;
};

/// The first picture of the selection the document's SelectPictures would
/// make now, kept up to date picture by picture. Two heaps hold the pictures
/// that pass the filters, one in candidate order (table order), one in key
/// order; an entry whose picture changed since is skipped when it comes up.
class CSelectionFront {
 public:
  CSelectionFront(CMeriskDoc& doc, CLinkIndex<CThemenDerBilderEx>& themes,
                  CLinkIndex<CPersonenAufBildernEx>& persons)
      : m_doc(doc),
        m_themes(themes),
        m_persons(persons),
        m_theme(doc.FilterTheme()),
        m_person(doc.FilterPerson()),
        m_kind(doc.SelectionKind()) {
    m_info.reserve(static_cast<std::size_t>(doc.Pictures().GetCount()));
    std::int64_t rank = 0;
    for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
      std::int32_t id;
      doc.Pictures().GetNextRef(p, id);
      Place(id, rank++);
      Push(id, m_info[id]);
    }
    std::make_heap(m_order.begin(), m_order.end(), Later{});
    std::make_heap(m_keyed.begin(), m_keyed.end(), Later{});
  }

  /// Whether a change of the link (high, low) of the theme (or else the
  /// person) table can move picture low into or out of the selection.
  bool Watches(bool themes, std::int32_t high) const {
    const std::int32_t filter = themes ? m_theme : m_person;
    return filter == -2 || (filter == high && filter != -1 && filter != 0);
  }

  /// After a new entry was stored: it heads its bucket's chain.
  void Inserted(std::int32_t id) { Place(id, --m_nextRank); }

  /// After the entry or its links changed or it was removed.
  void Refresh(std::int32_t id) {
    const auto it = m_info.find(id);
    if (it == m_info.end()) return;
    if (!m_doc.Pictures().Find(id)) {
      m_info.erase(it);
      return;
    }
    const std::size_t order = m_order.size(), keyed = m_keyed.size();
    Push(id, it->second);
    if (m_order.size() > order) std::push_heap(m_order.begin(), m_order.end(), Later{});
    if (m_keyed.size() > keyed) std::push_heap(m_keyed.begin(), m_keyed.end(), Later{});
    // Stale entries are dropped when they come up; rebuild before they
    // outnumber the live ones.
    if (m_order.size() + m_keyed.size() > 4 * m_info.size() + 1024) Rebuild();
  }

  std::int32_t First() {
    const Entry* first = Top(m_order);
    if (!first) return -1;
    // A date that is not a number comes first only when it leads the candidates.
    if (m_kind < 1 || m_kind > 3 || !m_info.find(first->id)->second.keyed) return first->id;
    return Top(m_keyed)->id;
  }

 private:
  struct Info {
    std::int64_t rank = 0;
    std::uint64_t version = 0;
    std::uint8_t bucket = 0;
    bool keyed = false;
  };
  struct Entry {
    std::uint64_t key;
    std::string name;
    std::uint8_t bucket;
    std::int64_t rank;
    std::int32_t id;
    std::uint64_t version;
  };
  // Heap order: the entry that comes later in the selection is "less".
  struct Later {
    bool operator()(const Entry& a, const Entry& b) const {
      if (a.key != b.key) return a.key > b.key;
      if (!a.name.empty() || !b.name.empty())
        if (const int c = a.name.compare(b.name); c != 0) return c > 0;
      if (a.bucket != b.bucket) return a.bucket > b.bucket;
      return a.rank > b.rank;
    }
  };

  void Place(std::int32_t id, std::int64_t rank) {
    Info& info = m_info[id];
    info.bucket = static_cast<std::uint8_t>(
        BucketMap<std::uint32_t, PictureEntry>::BucketOf(static_cast<std::uint32_t>(id)));
    info.rank = rank;
  }

  /// Appends the picture's entries as it is now (not yet heap-ordered).
  void Push(std::int32_t id, Info& info) {
    info.version = ++m_version;
    info.keyed = false;
    if (!Passes(m_theme, m_themes, m_doc.ThemesOfPictures(), id) ||
        !Passes(m_person, m_persons, m_doc.PersonsOnPictures(), id))
      return;
    const PictureEntry& e = *m_doc.Pictures().Find(id);
    m_order.push_back({0, {}, info.bucket, info.rank, id, info.version});
    Entry keyed{0, {}, info.bucket, info.rank, id, info.version};
    if (m_kind == 1) {
      AppendSelectionNameKey(e.filename, keyed.name);
      info.keyed = true;
    } else if (m_kind == 2) {
      info.keyed = SelectionDateKey(e.timestamp.Value(), keyed.key);
    } else if (m_kind == 3) {
      keyed.key = e.size;
      info.keyed = true;
    }
    if (info.keyed) m_keyed.push_back(std::move(keyed));
  }

  const Entry* Top(std::vector<Entry>& heap) {
    while (!heap.empty()) {
      const Entry& top = heap.front();
      const auto it = m_info.find(top.id);
      if (it != m_info.end() && it->second.version == top.version) return &top;
      std::pop_heap(heap.begin(), heap.end(), Later{});
      heap.pop_back();
    }
    return nullptr;
  }

  void Rebuild() {
    m_order.clear();
    m_keyed.clear();
    for (auto& [id, info] : m_info) Push(id, info);
    std::make_heap(m_order.begin(), m_order.end(), Later{});
    std::make_heap(m_keyed.begin(), m_keyed.end(), Later{});
  }

  // As the selection's filter: -1 and 0 pass everything, -2 the pictures
  // without any entry, an id those with an entry for it.
  template <typename Table>
  static bool Passes(std::int32_t filter, CLinkIndex<Table>& index, const Table& table,
                     std::int32_t id) {
    if (filter == -1 || filter == 0) return true;
    if (filter == -2) return !index.AnyOfLow(table, id);
    return CLinkIndex<Table>::Has(table, filter, id);
  }

  CMeriskDoc& m_doc;
  CLinkIndex<CThemenDerBilderEx>& m_themes;
  CLinkIndex<CPersonenAufBildernEx>& m_persons;
  std::int32_t m_theme, m_person, m_kind;
  std::unordered_map<std::int32_t, Info> m_info;
  std::vector<Entry> m_order;
  std::vector<Entry> m_keyed;
  std::int64_t m_nextRank = 0;
  std::uint64_t m_version = 0;
};

}  // namespace

class TransactionReplayer::Impl {
 public:
  Impl(CMeriskDoc& doc, bool selectAfterEveryRemoval)
      : m_doc(doc), m_hold(doc), m_eager(selectAfterEveryRemoval) {}

  void Submit(TransactionRecordData& r) {
    ++m_applied;
    if (m_eager) {
      if (r.kind == TransactionRecord::RemovePicture)
        m_doc.DeletePicture(r.a, false);
      else
        Apply(r);
      return;
    }
    if (r.kind == TransactionRecord::RemovePicture) {
      ApplyHeld();  // a new removal's selection replaces the pending one
      RemovePicture(r.a);
      m_pendingSelection = true;
      return;
    }
    if (!m_pendingSelection) {
      Apply(r);
      return;
    }
    if (m_currentUnknown && ReadsCurrentPicture(r)) {
      // The tables are still as the removal left them.
      m_front = std::make_unique<CSelectionFront>(m_doc, m_themes, m_persons);
      TakeCurrent();
    }
    m_heldBytes += r.text.size() + r.title.size() + sizeof r;
    m_held.push_back(std::move(r));
    if (m_held.size() >= kMaxHeldRecords || m_heldBytes >= kMaxHeldBytes) Settle();
  }

  /// Runs a pending re-selection and applies the records held behind it.
  void Settle() {
    if (m_pendingSelection) {
      m_doc.SelectPictures(m_doc.FilterTheme(), m_doc.FilterPerson(), m_doc.SelectionKind(),
                           m_doc.FilterSearch());
      m_pendingSelection = false;
      m_currentUnknown = false;
    }
    ApplyHeld();
  }

  std::size_t Applied() const { return m_applied; }

 private:
  static bool ReadsCurrentPicture(const TransactionRecordData& r) {
    switch (r.kind) {
      case TransactionRecord::AddUpdatePicture:
        return r.a == -1;
      case TransactionRecord::AddUpdatePersonOnPicture:
      case TransactionRecord::AddUpdateThemeOfPicture:
      case TransactionRecord::RemovePersonOnPicture:
      case TransactionRecord::RemoveThemeOfPicture:
        return r.b == -1;
      default:
        return false;
    }
  }

  /// The current picture a re-selection would make now.
  void TakeCurrent() {
    m_doc.SetCurrentAheadOfSelection(m_front->First());
    m_currentUnknown = false;
  }

  void ApplyHeld() {
    for (TransactionRecordData& r : m_held) Apply(r);
    m_held.clear();
    m_heldBytes = 0;
  }

  std::int32_t Resolve(std::int32_t picture) const {
    return picture == -1 ? m_doc.CurrentPicture() : picture;
  }

  void Apply(const TransactionRecordData& r) {
    CMeriskDoc& d = m_doc;
    switch (r.kind) {
      case TransactionRecord::AddUpdatePicture: {
        const std::int32_t id = Resolve(r.a);
        const bool added = !d.Pictures().Find(id);
        d.AddOrUpdatePicture(r.a, r.text, r.timestamp, r.size, r.title);
        Changed(id, added);
        break;
      }
      case TransactionRecord::AddUpdatePerson:
        d.AddOrUpdatePerson(r.a, r.text);
        break;
      case TransactionRecord::AddUpdatePersonOnPicture: {
        const std::int32_t picture = Resolve(r.b);
        const bool added = !d.Pictures().Find(picture);
        const bool linked = m_links && !d.PersonsOnPictures().Lookup(r.a, picture);
        d.AddOrUpdatePersonOnPicture(r.a, r.rect, r.b);
        if (linked) m_persons.AddedKey(r.a, picture);
        LinkChanged(false, r.a, picture, added);
        break;
      }
      case TransactionRecord::AddUpdateTheme:
        d.AddOrUpdateTheme(r.a, r.text);
        break;
      case TransactionRecord::AddUpdateThemeOfPicture: {
        const std::int32_t picture = Resolve(r.b);
        const bool added = !d.Pictures().Find(picture);
        const bool linked = m_links && !d.ThemesOfPictures().Lookup(r.a, picture);
        d.AddThemeToPicture(r.a, r.b);
        if (linked) m_themes.AddedKey(r.a, picture);
        LinkChanged(true, r.a, picture, added);
        break;
      }
      case TransactionRecord::RemovePerson:
        RemovePerson(r.a);
        break;
      case TransactionRecord::RemovePicture:
        d.DeletePicture(r.a, false);
        break;
      case TransactionRecord::RemovePersonOnPicture: {
        const std::int32_t picture = Resolve(r.b);
        d.RemovePersonFromPicture(r.a, r.b);
        LinkChanged(false, r.a, picture, false);
        break;
      }
      case TransactionRecord::RemoveTheme:
        RemoveTheme(r.a);
        break;
      case TransactionRecord::RemoveThemeOfPicture: {
        const std::int32_t picture = Resolve(r.b);
        d.RemoveThemeFromPicture(r.a, r.b);
        LinkChanged(true, r.a, picture, false);
        break;
      }
    }
  }

  void Changed(std::int32_t picture, bool added) {
    if (!m_front) return;
    if (added) m_front->Inserted(picture);
    m_front->Refresh(picture);
  }

  /// After a link of `first` (theme or person id as the operation takes it)
  /// to the picture was stored or removed; `added` when that made the picture.
  void LinkChanged(bool themes, std::int32_t first, std::int32_t picture, bool added) {
    if (!m_front) return;
    if (added || m_front->Watches(themes, PairHigh(PairKey(first, picture))))
      Changed(picture, added);
  }

  void BuildLinks() {
    if (m_links) return;
    m_persons.Build(m_doc.PersonsOnPictures());
    m_themes.Build(m_doc.ThemesOfPictures());
    m_links = true;
  }

  /// RemovePerson without walking the whole rectangle table.
  void RemovePerson(std::int32_t person) {
    BuildLinks();
    m_persons.TakeHigh(person, m_links1);
    m_lows.clear();
    m_doc.ReplayRemovePerson(person, m_links1, m_lows);
    if (m_front && m_front->Watches(false, person))
      for (const std::int32_t picture : m_lows) Changed(picture, false);
  }

  /// RemoveTheme without walking the whole link table.
  void RemoveTheme(std::int32_t theme) {
    BuildLinks();
    m_links1.clear();
    // Like the table, the links keep their date when there was nothing to walk.
    if (m_doc.ThemesOfPictures().GetCount() > 0) m_themes.TakeHigh(theme, m_links1);
    m_lows.clear();
    m_doc.ReplayRemoveTheme(theme, m_links1, m_lows);
    if (m_front && m_front->Watches(true, theme))
      for (const std::int32_t picture : m_lows) Changed(picture, false);
  }

  /// DeletePicture(id, false) without its walks over the link tables, its
  /// re-selection and view update: the same records removed, the same change
  /// dates set, no file touched, and the current picture the re-selection
  /// would make current.
  void RemovePicture(std::int32_t id) {
    BuildLinks();
    m_persons.TakeLow(id, m_links1);
    m_links2.clear();
    if (m_doc.ThemesOfPictures().GetCount() > 0) m_themes.TakeLow(id, m_links2);
    m_doc.ReplayRemovePicture(id, m_links1, m_links2);
    // Which picture is current matters only to a record that reads it; the
    // order that tells is made when the first such record comes.
    if (m_front) {
      m_front->Refresh(id);
      TakeCurrent();
    } else {
      m_currentUnknown = true;
    }
  }

  CMeriskDoc& m_doc;
  CDocument::NotificationHold m_hold;
  bool m_eager;
  bool m_pendingSelection = false;
  bool m_currentUnknown = false;  ///< a removal left the current picture to be found
  std::vector<TransactionRecordData> m_held;
  std::size_t m_heldBytes = 0;
  bool m_links = false;
  CLinkIndex<CPersonenAufBildernEx> m_persons;
  CLinkIndex<CThemenDerBilderEx> m_themes;
  std::unique_ptr<CSelectionFront> m_front;
  std::vector<std::int32_t> m_lows;
  std::vector<CMeriskDoc::Link> m_links1, m_links2;  // scratch of the removals
  std::size_t m_applied = 0;
};

TransactionReplayer::TransactionReplayer(CMeriskDoc& doc, bool selectAfterEveryRemoval)
    : m_impl(std::make_unique<Impl>(doc, selectAfterEveryRemoval)) {}

TransactionReplayer::~TransactionReplayer() = default;

void TransactionReplayer::Submit(TransactionRecordData& record) { m_impl->Submit(record); }

void TransactionReplayer::Settle() { m_impl->Settle(); }

std::size_t TransactionReplayer::Applied() const { return m_impl->Applied(); }

}  // namespace kolvaro
