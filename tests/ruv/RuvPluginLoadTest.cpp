// The plug-in library as the protocols manager finds it: it loads with
// every symbol bound, exports exactly the three entry points and describes
// the one network it serves.

#include "PluginExportTypes.h"
#include "ProtocolRecords.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

TEST(RuvPluginLibrary, LoadsWithEverySymbolBoundAndDescribesTheNetwork) {
    void* library = dlopen(YOL_RUV_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto info = reinterpret_cast<Protocols::GetProtocolInfoFuncPtr>(dlsym(library, "GetProtocolInfoFunc"));
    auto create = reinterpret_cast<Protocols::CreateAccountFuncPtr>(dlsym(library, "CreateAccountFunc"));
    EXPECT_NE(dlsym(library, "DestroyAccountFunc"), nullptr);
    EXPECT_EQ(dlsym(library, "_ZN11CRuvAccount10DisconnectEv"), nullptr);
    ASSERT_NE(info, nullptr);
    ASSERT_NE(create, nullptr);
    CYolArray<Protocols::ProtocolInfo> protocols;
    info(nullptr, protocols);
    ASSERT_EQ(protocols.Count(), 1);
    EXPECT_TRUE(protocols[0].id == RuvProtocolGuid);
    EXPECT_EQ(protocols[0].name.ToUtf8(), "Ruv");
    EXPECT_EQ(protocols[0].pluginName.ToUtf8(), "vanruv");
    EXPECT_EQ(protocols[0].iconFile.ToUtf8(), "ruv_proto.png");
    // Another network's accounts are not made here.
    EXPECT_EQ(create(ContactListGuid, nullptr, 1, 1), 0u);
    dlclose(library);
}

}  // namespace
