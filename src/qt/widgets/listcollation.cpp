#include "qt/widgets/listcollation.h"

#include <QLocale>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace kolvaro {

const QCollator& ListCollator() {
  static const QCollator collator = [] {
    QCollator c(QLocale(QLocale::German, QLocale::Germany));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

namespace {

constexpr char16_t kLatinEnd = 0x250;  // end of Latin Extended-B

/// Up to two folded units for each Latin letter: case and accents dropped
/// as the collator's primary strength does, ß, æ and œ spelt out. 0 means
/// "nothing": combining marks and control characters weigh nothing.
using Folding = std::array<std::array<char16_t, 2>, kLatinEnd>;

const Folding& LatinFolding() {
  static const Folding folding = [] {
    Folding f{};
    for (char16_t c = 0; c < kLatinEnd; ++c) {
      QChar ch(c);
      if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
      if (!ch.isLetterOrNumber()) {
        // Punctuation and symbols sort before digits and letters; their
        // order among themselves is left to the collator.
        f[c] = {u' ', 0};
        continue;
      }
      const QString base =
          ch.decompositionTag() == QChar::Canonical ? ch.decomposition() : QString(ch);
      f[c] = {base.at(0).toLower().unicode(), 0};
    }
    f[u'ß'] = {u's', u's'};
    f[u'æ'] = f[u'Æ'] = {u'a', u'e'};
    f[u'œ'] = f[u'Œ'] = {u'o', u'e'};
    f[u'ø'] = f[u'Ø'] = {u'o', 0};
    f[u'đ'] = f[u'Đ'] = {u'd', 0};
    f[u'ł'] = f[u'Ł'] = {u'l', 0};
    return f;
  }();
  return folding;
}

/// Writes the folded form of `text` from `out` on, each unit as two bytes,
/// high byte first, so that bytes compare as the units do (room for four
/// bytes per character); returns the end.
unsigned char* WriteFolded(const QString& text, const Folding& folding, unsigned char* out) {
  const auto put = [&out](char16_t c) {
    *out++ = static_cast<unsigned char>(c >> 8);
    *out++ = static_cast<unsigned char>(c);
  };
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c >= kLatinEnd) {
      if (c < 0x300 || c >= 0x370) put(c);  // combining accents weigh nothing
      continue;
    }
    const std::array<char16_t, 2>& f = folding[c];
    if (f[0]) put(f[0]);
    if (f[1]) put(f[1]);
  }
  return out;
}

}  // namespace

std::vector<std::size_t> ListOrder(const std::vector<QString>& texts) {
  const std::size_t n = texts.size();
  std::vector<std::size_t> order(n);
  {
    // All keys in one buffer: no allocation per name. The first eight
    // bytes in one number decide most comparisons at once; no unit is 0, so
    // equal heads of a short key mean equal keys.
    struct Key {
      std::uint64_t head;
      std::size_t begin, size, index;
    };
    const Folding& folding = LatinFolding();
    std::size_t room = 0;
    for (const QString& t : texts) room += 4 * static_cast<std::size_t>(t.size());
    std::vector<unsigned char> buffer(room);
    std::vector<Key> keys(n);
    const unsigned char* const start = buffer.data();
    unsigned char* end = buffer.data();
    for (std::size_t i = 0; i < n; ++i) {
      unsigned char* const from = end;
      end = WriteFolded(texts[i], folding, from);
      std::uint64_t head = 0;
      for (std::size_t k = 0; k < 8; ++k) head = head << 8 | (from + k < end ? from[k] : 0u);
      keys[i] = {head, static_cast<std::size_t>(from - start), static_cast<std::size_t>(end - from),
                 i};
    }
    std::sort(keys.begin(), keys.end(), [start](const Key& a, const Key& b) {
      if (a.head != b.head) return a.head < b.head;
      const std::size_t common = std::min(a.size, b.size);
      if (common > 8)
        if (const int c = std::memcmp(start + a.begin + 8, start + b.begin + 8, common - 8); c != 0)
          return c < 0;
      if (a.size != b.size) return a.size < b.size;
      return a.index < b.index;
    });
    for (std::size_t i = 0; i < n; ++i) order[i] = keys[i].index;
  }

  // Insertion with the real collator; the index breaks ties, so the result
  // is the collator's stable order whatever the folding got wrong. Each
  // misplaced name finds its place by galloping back, then halving: names
  // far out of place cost a logarithm, not a walk.
  const QCollator& collator = ListCollator();
  const auto before = [&](std::size_t a, std::size_t b) {
    const int c = collator.compare(texts[a], texts[b]);
    return c < 0 || (c == 0 && a < b);
  };
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t x = order[i];
    if (!before(x, order[i - 1])) continue;
    std::size_t lo = 0, hi = i - 1;  // x belongs somewhere in [lo, hi]
    for (std::size_t step = 1; step <= hi; step *= 2) {
      const std::size_t j = hi - step;
      if (!before(x, order[j])) {
        lo = j + 1;
        break;
      }
      hi = j;
    }
    const auto pos = std::upper_bound(order.begin() + static_cast<std::ptrdiff_t>(lo),
                                      order.begin() + static_cast<std::ptrdiff_t>(hi), x, before);
    std::rotate(pos, order.begin() + static_cast<std::ptrdiff_t>(i),
                order.begin() + static_cast<std::ptrdiff_t>(i) + 1);
  }
  return order;
}

}  // namespace kolvaro
