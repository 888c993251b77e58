// A comment may quote "Öffnen"; /* "Schließen" */ neither.
const char kQuote[] = "\"";
const char kQuoteChar = '"';
const char kTitle[] = "Schließen";  /* "Öffnen" */
