// The fast order of the sorted name lists against a plain collator sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "qt/widgets/listcollation.h"

namespace kolvaro {
namespace {

std::vector<std::size_t> CollatorOrder(const std::vector<QString>& texts) {
  std::vector<std::size_t> order(texts.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&texts](std::size_t a, std::size_t b) {
    return ListCollator().compare(texts[a], texts[b]) < 0;
  });
  return order;
}

TEST(ListOrder, IsExactlyTheStableCollatorOrderWhateverTheFoldingMisses) {
  const std::vector<QString> awkward{
      u"Zoo"_qs,     u"Ärzte"_qs,       u"Arzt"_qs,      u"arzt"_qs,
      u"Arzt"_qs,    u"A\u0308rzte"_qs, u"Straße"_qs,    u"Strasse"_qs,
      u"STRASSE"_qs, u"Straßen"_qs,     u"Strass"_qs,    u"anna"_qs,
      u"Anna"_qs,    u"ANNA"_qs,        u""_qs,          u""_qs,
      u" "_qs,       u"\tTab"_qs,       u"10 Jahre"_qs,  u"9 Jahre"_qs,
      u"2. Tag"_qs,  u"²"_qs,           u"Ørsted"_qs,    u"Oskar"_qs,
      u"Æbelø"_qs,   u"Aebel"_qs,       u"Œuvre"_qs,     u"Ödön"_qs,
      u"Ostern"_qs,  u"Ølsen"_qs,       u"Zoë"_qs,       u"Zoe"_qs,
      u"_Unter"_qs,  u"-Strich"_qs,     u"(Klammer)"_qs, u"[Eckig]"_qs,
      u"~"_qs,       u"Ωmega"_qs,       u"Юрий"_qs,      u"東京"_qs,
      u"ǅemal"_qs,   u"ﬁsch"_qs,        u"Fisch"_qs,     u"Łódź"_qs,
      u"Lodz"_qs,    u"ıi"_qs,          u"Île"_qs,       u"ile"_qs,
      u"Ça"_qs,      u"Cz"_qs,          u"😀 Lachen"_qs};
  std::vector<QString> texts = awkward;
  std::mt19937 rng(13);
  // As given, reversed, and shuffled many times over: far from sorted too.
  for (int round = 0; round < 3; ++round) {
    if (round == 1) std::reverse(texts.begin(), texts.end());
    if (round == 2) {
      for (int copy = 0; copy < 20; ++copy)
        texts.insert(texts.end(), awkward.begin(), awkward.end());
      std::shuffle(texts.begin(), texts.end(), rng);
    }
    EXPECT_EQ(ListOrder(texts), CollatorOrder(texts)) << "round " << round;
  }
  EXPECT_TRUE(ListOrder({}).empty());
}

}  // namespace
}  // namespace kolvaro
