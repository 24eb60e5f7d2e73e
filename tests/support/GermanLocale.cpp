// glibc keeps the search path of a locale loaded through LOCPATH for the rest of the process;
// LeakSanitizer would report it at exit in the sanitizer build.
extern "C" const char* __lsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
    return "leak:__argz_add_sep\n";
}
