// The preferences record is filled by hand in these tests; its constructor
// is all they need of it.

#include "TYolWMPrefs.h"

UI::TYolWMPrefs::TYolWMPrefs() = default;
