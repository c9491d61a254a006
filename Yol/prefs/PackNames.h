#pragma once
// Names of packs and of the files inside them, as settings and pack files
// give them: untrusted, so a name is used only when it stays inside its
// folder.

#include "CYolString.h"

// One plain name: not empty, not "." or "..", no separator ("/" or the
// handheld's "\"), no NUL that would cut a path short.
bool IsPlainEntryName(const CYolString& name);
