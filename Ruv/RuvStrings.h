#pragma once
// The built-in English texts of the OSCAR plug-in, by string id.

#include "CYolString.h"

// Fills `out` with text `id`; false for an id the table lacks.
bool RuvDefaultUiString(int id, CYolString& out);
