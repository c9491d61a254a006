// The preferences record's constructor, for this program alone: the alerts
// only read the record, and the tests fill it by hand.

#include "TYolWMPrefs.h"

UI::TYolWMPrefs::TYolWMPrefs() : CLFont() {}
