// A library with the companion's file name but without its entry, for the method's test
// of a failed lookup.
extern "C" __attribute__((visibility("default"))) int not_the_companion_entry() { return 0; }
