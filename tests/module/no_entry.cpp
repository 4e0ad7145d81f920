// A module that a host can load but not enter: it has neither entry.
extern "C" int not_an_entry(void);
extern "C" int not_an_entry(void) { return 0; }
