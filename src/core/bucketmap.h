#pragma once
// Hash map whose iteration order is that of the album format's 17-bucket
// map: bucket = (low 32 bits of key >> 4) % 17, buckets 0 to 16 in turn,
// each chain from its head, new keys at the head, replacements in place.
// Lookups go through a separate open-addressing index, so they stay O(1)
// however large the album grows.

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace kolvaro {

inline std::uint64_t HashSeed() {
  static const std::uint64_t seed = [] {
    std::random_device rd;
    return (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
  }();
  return seed;
}

/// Opaque iteration position; 0 is the null position.
using POSITION = std::uint32_t;
inline constexpr POSITION kNullPosition = 0;

template <typename Key, typename Value>
class BucketMap {
 public:
  static constexpr std::uint32_t kBuckets = 17;

  static std::uint32_t BucketOf(Key key) {
    return (static_cast<std::uint32_t>(static_cast<std::uint64_t>(key)) >> 4) % kBuckets;
  }

  std::size_t size() const { return m_count; }
  bool empty() const { return m_count == 0; }

  void clear() {
    m_nodes.clear();
    m_slots.clear();
    m_free = kNone;
    m_count = 0;
    for (auto& h : m_heads) h = kNone;
  }

  void reserve(std::size_t n) {
    m_nodes.reserve(n);
    if (TooFull(n)) Rehash(n + n / 3 + 1);
  }

  Value* find(Key key) {
    const std::uint32_t n = FindNode(key);
    return n == kNone ? nullptr : &m_nodes[n].value;
  }
  const Value* find(Key key) const {
    const std::uint32_t n = FindNode(key);
    return n == kNone ? nullptr : &m_nodes[n].value;
  }
  bool contains(Key key) const { return FindNode(key) != kNone; }

  /// Stores under key: a new key goes to the head of its chain, an existing
  /// one keeps its place.
  Value& set(Key key, Value value) {
    if (const std::uint32_t n = FindNode(key); n != kNone) {
      m_nodes[n].value = std::move(value);
      return m_nodes[n].value;
    }
    if (TooFull(m_count + 1)) Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
    std::uint32_t n;
    if (m_free != kNone) {
      n = m_free;
      m_free = m_nodes[n].next;
      m_nodes[n].key = key;
      m_nodes[n].value = std::move(value);
    } else {
      n = static_cast<std::uint32_t>(m_nodes.size());
      m_nodes.push_back(Node{std::move(value), key, kNone, kNone});
    }
    Node& node = m_nodes[n];
    const std::uint32_t b = BucketOf(key);
    node.prev = kNone;
    node.next = m_heads[b];
    if (node.next != kNone) m_nodes[node.next].prev = n;
    m_heads[b] = n;
    InsertSlot(key, n);
    ++m_count;
    return node.value;
  }

  bool erase(Key key) {
    const std::size_t slot = FindSlot(key);
    if (slot == kNoSlot) return false;
    const std::uint32_t n = m_slots[slot];
    EraseSlotAt(slot);
    Node& node = m_nodes[n];
    if (node.prev != kNone)
      m_nodes[node.prev].next = node.next;
    else
      m_heads[BucketOf(node.key)] = node.next;
    if (node.next != kNone) m_nodes[node.next].prev = node.prev;
    node.value = Value{};
    node.next = m_free;
    node.prev = kDead;
    m_free = n;
    --m_count;
    return true;
  }

  // Iteration in file order. A position stays usable when entries other than
  // the one it points at are removed.
  POSITION GetStartPosition() const { return ToPos(FirstFrom(0)); }

  /// The entry at pos; pos moves on to the next entry (null after the last).
  std::pair<Key, const Value*> GetNext(POSITION& pos) const {
    const std::uint32_t n = pos - 1;
    const Node& node = m_nodes[n];
    pos = ToPos(node.next != kNone ? node.next : FirstFrom(BucketOf(node.key) + 1u));
    return {node.key, &node.value};
  }

  /// Mutable access to the entry at pos without moving it.
  Value& ValueAt(POSITION pos) { return m_nodes[pos - 1].value; }

  template <typename F>
  void ForEach(F&& f) const {
    for (POSITION p = GetStartPosition(); p != kNullPosition;) {
      auto [k, v] = GetNext(p);
      f(k, *v);
    }
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  static constexpr std::uint32_t kDead = 0xFFFFFFFEu;

  // The value first: a 4-byte key then packs with the links instead of
  // padding before an 8-byte-aligned value. The bucket follows from the key.
  struct Node {
    Value value;
    Key key;
    std::uint32_t next;
    std::uint32_t prev;
  };

  // The index is kept at most three quarters full: linear probing stays
  // short, and a large table of small records needs fewer slots than nodes
  // take bytes.
  bool TooFull(std::size_t count) const { return count * 4 > m_slots.size() * 3; }

  static POSITION ToPos(std::uint32_t n) { return n == kNone ? kNullPosition : n + 1; }

  std::uint32_t FirstFrom(std::uint32_t b) const {
    if (m_count == 0) return kNone;
    for (; b < kBuckets; ++b)
      if (m_heads[b] != kNone) return m_heads[b];
    return kNone;
  }

  // Seeded per process, so that no album file can be made whose ids all
  // collide in the index; the file order does not depend on it.
  static std::uint64_t Hash(Key key) {
    auto x = static_cast<std::uint64_t>(key) ^ HashSeed();
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
  }

  static constexpr std::size_t kNoSlot = ~std::size_t{0};

  /// The index slot that holds key, or kNoSlot.
  std::size_t FindSlot(Key key) const {
    if (m_slots.empty()) return kNoSlot;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
      const std::uint32_t s = m_slots[i];
      if (s == kNone) return kNoSlot;
      if (m_nodes[s].key == key) return i;
    }
  }

  std::uint32_t FindNode(Key key) const {
    const std::size_t slot = FindSlot(key);
    return slot == kNoSlot ? kNone : m_slots[slot];
  }

  void InsertSlot(Key key, std::uint32_t n) {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = Hash(key) & mask;
    while (m_slots[i] != kNone) i = (i + 1) & mask;
    m_slots[i] = n;
  }

  // Backward-shift deletion keeps probe chains intact without tombstones.
  void EraseSlotAt(std::size_t i) {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t j = i;
    for (;;) {
      m_slots[i] = kNone;
      for (;;) {
        j = (j + 1) & mask;
        if (m_slots[j] == kNone) return;
        const std::size_t home = Hash(m_nodes[m_slots[j]].key) & mask;
        // Move the entry at j back to i unless its home lies cyclically in (i, j].
        const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (!stays) break;
      }
      m_slots[i] = m_slots[j];
      i = j;
    }
  }

  void Rehash(std::size_t want) {
    std::size_t cap = 16;
    while (cap < want) cap *= 2;
    m_slots.assign(cap, kNone);
    for (std::uint32_t n = 0; n < m_nodes.size(); ++n)
      if (m_nodes[n].prev != kDead) InsertSlot(m_nodes[n].key, n);
  }

  std::vector<Node> m_nodes;
  std::vector<std::uint32_t> m_slots;
  std::uint32_t m_heads[kBuckets] = {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
                                     kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
  std::uint32_t m_free = kNone;
  std::size_t m_count = 0;
};

}  // namespace kolvaro
