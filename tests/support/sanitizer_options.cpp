// Sanitizer options of every test program (compiled into each, not archived: the
// runtime asks for them before anything else is linked in).
#if defined(__SANITIZE_ADDRESS__)
// LeakSanitizer's exit scan of dynamic thread-local storage follows a bogus slot once the
// GL driver's libraries are loaded ("Tracer caught signal 11" at exit, coming and going
// with the binary's layout), so dynamic TLS stays out of the scan; leaks are still
// reported.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
#endif
