// Lists stored as one settings blob: string lists and alert settings.

#include "MemoryDatabase.h"
#include "SettingsBlobs.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

const YOL_GUID kSection{};

TEST(StringListBlob, RoundTripsThroughTheDatabase) {
    MemoryDatabase database;
    CYolArray<CYolString> list;
    for (const char* text : {"Hi", "", "Как дела?"})
        list.Add(W(text));
    ASSERT_TRUE(WriteStringList(database, kSection, W("Replies"), list));
    std::vector<unsigned char> blob;
    ASSERT_TRUE(PackStringList(list, blob));
    // One record per string: empty name, length, UTF-8.
    EXPECT_EQ(Bytes(blob.begin(), blob.begin() + 7), Hex("00 02000000 4869"));

    CYolArray<CYolString> read;
    ASSERT_TRUE(ReadStringList(database, kSection, W("Replies"), read));
    ASSERT_EQ(read.Count(), 3);
    EXPECT_EQ(read[0], W("Hi"));
    EXPECT_TRUE(read[1].IsEmpty());
    EXPECT_EQ(read[2], W("Как дела?"));
    EXPECT_FALSE(ReadStringList(database, kSection, W("Missing"), read));
}

TEST(StringListBlob, RejectsARecordRunningPastTheBlob) {
    const Bytes blob = Hex("00 05000000 4869");
    CYolArray<CYolString> read;
    EXPECT_FALSE(UnpackStringList(blob.data(), static_cast<unsigned long>(blob.size()), read));
    EXPECT_EQ(read.Count(), 0);
}

TEST(AlertSettingsBlob, RoundTripsEveryField) {
    MemoryDatabase database;
    CYolArray<TAlertSettingsEntry> list;
    list.Add({true, false, W("ring.wav"), 0x01020304});
    list.Add({false, true, CYolString(), 0});
    ASSERT_TRUE(WriteAlertSettingsArray(database, kSection, W("Alerts"), list));
    CYolArray<TAlertSettingsEntry> read;
    ASSERT_TRUE(ReadAlertSettingsArray(database, kSection, W("Alerts"), read));
    ASSERT_EQ(read.Count(), 2);
    EXPECT_TRUE(read[0].on);
    EXPECT_FALSE(read[0].soundOn);
    EXPECT_EQ(read[0].sound, W("ring.wav"));
    EXPECT_EQ(read[0].vibra, 0x01020304u);
    EXPECT_FALSE(read[1].on);
    EXPECT_TRUE(read[1].soundOn);
}

TEST(AlertSettingsBlob, StopsAtTheFirstIncompleteEntryKeepingThoseBefore) {
    // Three entries; the third lacks "Vibra".
    const auto entry = [](bool withVibra) {
        Bytes fields = Hex("02 4F6E 01000000 01"                   // "On" = 1
                           "07 536F756E644F6E 01000000 00"         // "SoundOn" = 0
                           "05 536F756E64 05000000 612E776176");  // "Sound" = "a.wav"
        if (withVibra)
            fields = Concat({fields, Hex("05 5669627261 04000000 07000000")});
        Bytes record = Hex("00");
        const uint32_t size = static_cast<uint32_t>(fields.size());
        record.insert(record.end(), {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)});
        return Concat({record, fields});
    };
    const Bytes blob = Concat({entry(true), entry(true), entry(false)});
    CYolArray<TAlertSettingsEntry> read;
    EXPECT_FALSE(UnpackAlertSettings(blob.data(), static_cast<unsigned long>(blob.size()), read));
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read[1].sound, W("a.wav"));
    EXPECT_EQ(read[1].vibra, 7u);
}

TEST(EventArgs, StringArgumentHoldsACopy) {
    CYolString text = W("status");
    Services::CEventArg_Data<CYolString>* arg = NewStringEventArg(text);
    ASSERT_NE(arg, nullptr);
    text = W("changed");
    EXPECT_EQ(arg->Get(), W("status"));
    delete arg;
}

}  // namespace
