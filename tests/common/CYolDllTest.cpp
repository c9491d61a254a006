#include "CYolDll.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kPacks = YOL_TEST_PACKS_DIR;

typedef bool (*GetStringFunc)(int, CYolString&);

TEST(CYolDllTest, LoadsFromTheFolderAndFindsPlainExports) {
    CYolDll dll;
    ASSERT_TRUE(dll.Load(W("Yol_German.so"), W(kPacks)));
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_TRUE(dll.GetLastError().IsEmpty());

    auto lookup = reinterpret_cast<GetStringFunc>(dll.GetProcAddressW(W("MUI_GetString")));
    ASSERT_NE(lookup, nullptr);
    CYolString text;
    EXPECT_TRUE(lookup(1, text));
    EXPECT_EQ(text.ToUtf8(), "Allgemein");

    EXPECT_EQ(dll.GetProcAddressW(W("MUI_GetStringX")), nullptr);
    EXPECT_FALSE(dll.GetLastError().IsEmpty());
    EXPECT_EQ(dll.GetProcAddressW(CYolString()), nullptr);

    EXPECT_TRUE(dll.Unload());
    EXPECT_FALSE(IsResident(kPacks + "Yol_German.so"));
    EXPECT_FALSE(dll.Unload());
    EXPECT_EQ(dll.GetProcAddressW(W("MUI_GetString")), nullptr);
}

TEST(CYolDllTest, FailedLoadLeavesNothingHeldAndSaysWhy) {
    const struct {
        std::string file;
        std::string folder;
    } cases[] = {
        {"Yol_Missing.so", kPacks},
        {"", kPacks},          // the folder itself is no library
        {"libc.so.6", ""},     // a bare name is not looked for in the system folders
        {"", ""},
    };
    for (const auto& c : cases) {
        CYolDll dll;
        EXPECT_FALSE(dll.Load(W(c.file), W(c.folder))) << c.folder << c.file;
        EXPECT_FALSE(dll.IsLoaded());
        EXPECT_FALSE(dll.GetLastError().IsEmpty());
    }
}

TEST(CYolDllTest, ANewLoadReleasesTheOldLibraryOnlyWhenItSucceeds) {
    CYolDll dll;
    ASSERT_TRUE(dll.Load(W("Yol_Russian.so"), W(kPacks)));

    EXPECT_FALSE(dll.Load(W("Yol_Missing.so"), W(kPacks)));
    ASSERT_TRUE(dll.IsLoaded());
    EXPECT_NE(dll.GetProcAddressW(W("MUI_GetString")), nullptr);
    EXPECT_TRUE(IsResident(kPacks + "Yol_Russian.so"));

    ASSERT_TRUE(dll.Load(W("Yol_German.so"), W(kPacks)));
    EXPECT_FALSE(IsResident(kPacks + "Yol_Russian.so"));
    EXPECT_TRUE(IsResident(kPacks + "Yol_German.so"));
    dll.Unload();
}

TEST(CYolDllTest, DestructionDoesNotUnload) {
    void* handle = nullptr;
    {
        CYolDll dll;
        ASSERT_TRUE(dll.Load(W("Yol_Klingon.so"), W(kPacks)));
        handle = dll.Handle();
    }
    EXPECT_TRUE(IsResident(kPacks + "Yol_Klingon.so"));
    dlclose(handle);
    EXPECT_FALSE(IsResident(kPacks + "Yol_Klingon.so"));
}

} // namespace
