#include "platform/qt/widgets/listcollation.h"

#include <QLocale>

namespace kolvaro {

const QCollator& ListCollator() {
  static const QCollator collator = [] {
    QCollator c(QLocale(QLocale::German, QLocale::Germany));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

}  // namespace kolvaro
