#pragma once
// What the OSCAR account's features ask of the program's contact list: the
// framework's list port, and the shared value names (the privacy-list flags
// among them).

#include "PluginListPorts.h"
#include "ValueNames.h"

namespace RuvValueName = ValueName;
using RuvListedItem = PluginListedItem;
using RuvListModel = PluginListModel;
