// strtod("1.5") in a comment is fine; /* sscanf(s, "%lf") */ too.
const char kText[] = "atof(x) in a string is fine";
int Count(const char* s) { return std::printf("%d %s\n", 1, s); }
double Wrong(const char* s) { return std::strtod(s, nullptr); }
void Wrong2(char* b, double v) { std::snprintf(b, 8,
                                               "%.6f", v); }
