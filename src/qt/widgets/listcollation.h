#pragma once
// The order of Kolvaro's sorted name lists, shared by the selection bar and
// the dialogs so that a name stands at the same place in every list.

#include <QCollator>
#include <QString>
#include <cstddef>
#include <vector>

namespace kolvaro {

/// German collation without regard to case: "Ärzte" stands beside "Arzt",
/// not after "Zoo", whatever the user's locale.
const QCollator& ListCollator();

/// The order in which a sorted list of Kolvaro shows `texts`: exactly the
/// collator's, equal texts in the order given. Names are first ordered by a
/// cheap folded key that nearly agrees with the collator, then the collator
/// mends what is left, so thousands of names cost little more than one
/// comparison each.
std::vector<std::size_t> ListOrder(const std::vector<QString>& texts);

/// The row at which a sorted list of `count` entries inserts `text`: after
/// every entry that sorts before it or equal to it, so equal names keep the
/// order they were added in. `textAt(row)` gives an entry's text.
template <typename TextAt>
int SortedInsertRow(int count, TextAt textAt, const QString& text) {
  int lo = 0, hi = count;
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (ListCollator().compare(textAt(mid), text) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace kolvaro
