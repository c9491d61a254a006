// The three exports of the MRIM plug-in library.

#include "PluginExports.h"
#include "ZemPlugin.h"

YOL_DEFINE_PLUGIN_EXPORTS(ZemPlugin::DescribeProtocols, ZemPlugin::NewAccount);
