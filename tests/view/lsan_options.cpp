// Sanitizer settings of the view's tests (read only by the sanitizer build).
//
// The Mesa driver keeps allocations of its own until the process ends; the
// leak checker looks past those (and only those) through the suppression
// file. The driver also keeps thread-local data in dynamically loaded
// libraries, whose ranges the leak checker of this toolchain can misjudge
// and crash on at exit; it is told not to track them.
extern "C" const char* __lsan_default_options() {
  return "suppressions=" VESTORA_LSAN_SUPPRESSIONS;
}

extern "C" const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}
