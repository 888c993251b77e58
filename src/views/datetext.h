#pragma once
// Dates in the user's locale: the picture view's date field, and the
// "timestamp-text" the program hands to transaction files.

#include <QLocale>
#include <QString>
#include <optional>
#include <string>

#include "core/oledate.h"

namespace kolvaro {

/// The date as the date field shows it, in `locale` with four-digit years and
/// seconds ("07.12.2026 19:12:50"); the time is left out at midnight and the
/// date on 30.12.1899, as Windows' date conversion does. "" for a null or
/// invalid date.
QString FormatOleDate(const COleDateTime& date, const QLocale& locale = QLocale());
/// Reads a date and/or a time typed in `locale`'s short forms (with or without
/// seconds, two- or four-digit years, a time alone meaning 30.12.1899);
/// empty when the text is no such moment.
std::optional<COleDateTime> ParseOleDate(const QString& text, const QLocale& locale = QLocale());

/// The picture view's date field: empty for a picture without a capture date
/// (a valid 0.0, as folder and card imports store it), else FormatOleDate.
QString DateFieldText(const COleDateTime& date, const QLocale& locale = QLocale());
/// The field read back: an empty or blank field is that 0.0 again, else
/// ParseOleDate.
std::optional<COleDateTime> DateFromField(const QString& text, const QLocale& locale = QLocale());

/// "timestamp-text" in `locale`'s short date and long time. "" in a German
/// locale and for a date without calendar form: the transaction writer then
/// writes the German form, exactly as other editors do.
std::string LocaleTimestampText(const COleDateTime& date, const QLocale& locale = QLocale());

}  // namespace kolvaro
