#pragma once
// What the MRIM account's parts ask of the program's contact list: the
// framework's list port, and the values an MRIM contact keeps in the list
// besides the shared ones.

#include "PluginListPorts.h"
#include "ValueNames.h"

namespace ZemValueName {
using namespace ValueName;
inline constexpr char16_t AuthRequired[] = u"Auth req";
}  // namespace ZemValueName

using ZemListedItem = PluginListedItem;
using ZemListModel = PluginListModel;
