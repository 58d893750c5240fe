// For test programs that use the Secret Service: linked into each as a
// source of its own, since the sanitizer runtime looks these up by name.
//
// GLib 2.74 leaks three small blocks while initialising each D-Bus proxy that
// libsecret makes for a found item. The leak is theirs; it is recognised by
// its caller, which only a full unwind of allocations reaches (GLib keeps no
// frame pointers). Only sanitizer builds read these.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:secret_item_new_for_dbus_path\n";
}
