#include "maintenance/duplicatetest.h"

#include <cstring>

#include "core/cp1252.h"

namespace kolvaro {

namespace {

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h | 1;  // 0 marks an empty slot
}

}  // namespace

// Hashes the sequence EqualsNoCaseCp1252 compares: the lower-cased code
// points, invalid bytes as U+FFFD. Equal names always collide; the rare
// other collisions are sorted out by the comparison itself.
std::uint64_t CDuplicateTest::FoldedHash(std::string_view name) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (std::size_t pos = 0; pos < name.size();) {
    const auto b = static_cast<unsigned char>(name[pos]);
    char32_t cp;
    if (b < 0x80) {
      cp = b >= 'A' && b <= 'Z' ? b + 0x20u : b;
      ++pos;
    } else {
      cp = LowerCp1252(DecodeUtf8(name, pos));
    }
    h = (h ^ cp) * 0x100000001b3ULL;
  }
  return Mix(h);
}

// Eight bytes at a step: the album's names stream past once per command.
std::uint64_t CDuplicateTest::ExactHash(std::string_view name) {
  std::uint64_t h = 0xcbf29ce484222325ULL ^ name.size();
  std::size_t i = 0;
  for (; i + 8 <= name.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, name.data() + i, 8);
    h = (h ^ w) * 0x9e3779b97f4a7c15ULL;
    h ^= h >> 29;
  }
  std::uint64_t w = 0;
  std::memcpy(&w, name.data() + i, name.size() - i);
  return Mix((h ^ w) * 0x9e3779b97f4a7c15ULL);
}

std::uint64_t CDuplicateTest::Hash(std::string_view name) const {
  return m_ignoreCase ? FoldedHash(name) : ExactHash(name);
}

bool CDuplicateTest::Same(std::string_view a, std::string_view b) const {
  return m_ignoreCase ? EqualsNoCaseCp1252(a, b) : a == b;
}

CDuplicateTest::CDuplicateTest(const CBilderEx& pictures, std::vector<std::string> names,
                               PathStyle style)
    : m_ignoreCase(style == PathStyle::Windows),
      m_names(std::move(names)),
      m_inAlbum(m_names.size()),
      m_added(m_names.size()) {
  std::size_t capacity = 16;
  while (capacity < m_names.size() * 2) capacity *= 2;
  m_slots.resize(capacity);
  const std::size_t mask = capacity - 1;
  m_hashes.reserve(m_names.size());
  for (std::size_t i = 0; i < m_names.size(); ++i) {
    const std::uint64_t h = Hash(m_names[i]);
    m_hashes.push_back(h);
    std::size_t s = h & mask;
    while (m_slots[s].hash != 0) s = (s + 1) & mask;
    m_slots[s] = Slot{h, i};
  }
  // The table of names is small and stays in the cache while the album's
  // names stream past it.
  for (POSITION p = pictures.GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    const std::string& stored = pictures.GetNextRef(p, id).filename;
    const std::uint64_t h = Hash(stored);
    for (std::size_t s = h & mask; m_slots[s].hash != 0; s = (s + 1) & mask)
      if (m_slots[s].hash == h && Same(stored, m_names[m_slots[s].index]))
        m_inAlbum[m_slots[s].index] = true;
  }
}

bool CDuplicateTest::IsDuplicate(std::size_t i) const {
  if (m_inAlbum[i]) return true;
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t s = m_hashes[i] & mask; m_slots[s].hash != 0; s = (s + 1) & mask) {
    const Slot& slot = m_slots[s];
    if (slot.hash == m_hashes[i] && m_added[slot.index] &&
        Same(m_names[slot.index], m_names[i]))
      return true;
  }
  return false;
}

}  // namespace kolvaro
