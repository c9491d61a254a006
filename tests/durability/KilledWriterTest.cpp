// A child process saves settings and appends history, reporting each
// acknowledged save and append through a pipe before it goes on, and is
// killed at a random moment. Every acknowledged setting and message must
// then read back through the program's own readers, and the files must take
// the next write.

#include "CHistoryFile.h"
#include "CYolDatabaseImpl.h"
#include "TestSupport.h"
#include "YolGuids.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 250;
constexpr unsigned int kSeed = 20240611;
constexpr int kKeys = 4;
// Longer than one save and append take here, so kills land anywhere in them.
constexpr int kMaxKillDelayUs = 3000;

enum Kind : char { Setting = 'S', Message = 'H', FirstMessage = 'N' };

// One acknowledgement, written whole by one write (a pipe keeps it whole).
struct Ack {
    char kind;
    uint32_t run;
    uint32_t step;
};

CYolString Key(uint32_t step) { return W("key" + std::to_string(step % kKeys)); }
uint32_t Value(uint32_t run, uint32_t step) { return run * 100000 + step + 1; }
std::string Text(uint32_t run, uint32_t step) { return std::to_string(run) + "." + std::to_string(step); }

CHistoryFile::Message Msg(const std::string& text) {
    CHistoryFile::Message message;
    message.time = 1700000000;
    message.text = text;
    return message;
}

std::vector<std::string> Texts(const CYolString& path, int* rc = nullptr) {
    CYolArray<CTLVCol> records;
    int result = CHistoryFile::Load(path, 0, records);
    if (rc)
        *rc = result;
    std::vector<std::string> out;
    for (const CTLVCol& tlvs : records) {
        const CTLV* text = tlvs.GetTLV(CHistoryFile::TlvText);
        out.push_back(text ? std::string(reinterpret_cast<const char*>(text->GetValue()), text->GetLength()) : "");
    }
    return out;
}

// A kill leaves the page cache to the survivors, so the files may live in
// memory: a folder under /dev/shm when there is one keeps the flushes cheap.
class KilledWriter : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/dev/shm/yol-killed-XXXXXX";
        char fallback[] = "/tmp/yol-killed-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            made = mkdtemp(fallback);
        ASSERT_NE(made, nullptr);
        folder = made;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string PathOf(const std::string& name) const { return folder + "/" + name; }
    CYolString Settings() const { return W(PathOf("settings.yol")); }
    CYolString History() const { return W(PathOf("P_bob_al.yhf")); }
    CYolString NewContact(uint32_t run) const { return W(PathOf("P_bob_c" + std::to_string(run) + ".yhf")); }

    // The child's work: a new contact's first message, then settings saves
    // and history appends until it is killed.
    [[noreturn]] void Write(uint32_t run, int ackFd) const {
        auto report = [&](Kind kind, uint32_t step) {
            Ack ack{kind, run, step};
            if (write(ackFd, &ack, sizeof ack) != sizeof ack)
                _exit(3);
        };
        Database::CYolDatabaseImpl db(nullptr, Settings());
        if (!db.GetLoadResult().IsClean())
            _exit(2);
        if (CHistoryFile::Append(NewContact(run), "c", "C", Msg("first")) == CHistoryFile::Ok)
            report(FirstMessage, 0);
        for (uint32_t step = 0; step < 1000; ++step) {
            if (db.SetDword(ContactListGuid, Key(step), Value(run, step)) && db.Save())
                report(Setting, step);
            if (CHistoryFile::Append(History(), "al", "A", Msg(Text(run, step))) == CHistoryFile::Ok)
                report(Message, step);
        }
        _exit(0);
    }

    // What the parent knows was acknowledged.
    std::string folder;
    std::map<uint32_t, uint32_t> settings; // key number -> lowest value it may hold
    std::vector<std::string> messages;

    void Check(uint32_t run, bool firstAcked) {
        Database::CYolDatabaseImpl db(nullptr, Settings());
        ASSERT_TRUE(db.GetLoadResult().IsClean());
        for (auto [key, value] : settings) {
            unsigned long stored = 0;
            ASSERT_TRUE(db.GetDword(ContactListGuid, Key(key), stored)) << "key" << key;
            // A save that went through just before the kill may be newer.
            ASSERT_GE(stored, value) << "key" << key;
        }

        int rc = -1;
        std::vector<std::string> loaded = Texts(History(), &rc);
        if (!messages.empty()) {
            ASSERT_EQ(rc, CHistoryFile::Ok);
        }
        // The acknowledged messages in order; an unacknowledged one may sit
        // after each run's last.
        size_t next = 0;
        for (const std::string& text : loaded)
            if (next < messages.size() && text == messages[next])
                ++next;
        ASSERT_EQ(next, messages.size()) << "lost: " << (next < messages.size() ? messages[next] : "");
        ASSERT_LE(loaded.size(), messages.size() + run + 1);

        std::vector<std::string> first = Texts(NewContact(run), &rc);
        if (firstAcked) {
            ASSERT_EQ(first, std::vector<std::string>{"first"});
        } else {
            ASSERT_TRUE(rc == CHistoryFile::CannotOpen || (rc == CHistoryFile::Ok && first.size() <= 1));
        }
        ASSERT_EQ(CHistoryFile::Append(NewContact(run), "c", "C", Msg("later")), CHistoryFile::Ok);
        ASSERT_EQ(Texts(NewContact(run)).back(), "later");

        // The load above removed older copies; the latest kill's, if any,
        // holds the passwords and must be its owner's alone.
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            if (name.rfind(".settings.yol.yol-", 0) != 0)
                continue;
            struct stat st {};
            ASSERT_EQ(stat(entry.path().c_str(), &st), 0);
            ASSERT_EQ(st.st_mode & 0777, 0600u) << name;
        }
    }
};

TEST_F(KilledWriter, LosesNoAcknowledgedSettingOrMessage) {
    std::mt19937 random(kSeed);
    int killedInWork = 0;
    for (uint32_t run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("seed " + std::to_string(kSeed) + ", run " + std::to_string(run));
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            Write(run, pipeFds[1]);
        }
        close(pipeFds[1]);

        bool firstAcked = false;
        auto take = [&](const Ack& ack) {
            if (ack.kind == FirstMessage)
                firstAcked = true;
            else if (ack.kind == Setting)
                settings[ack.step % kKeys] = Value(ack.run, ack.step);
            else
                messages.push_back(Text(ack.run, ack.step));
        };
        // Let a few acknowledgements through, then kill at a random moment.
        int before = int(random() % 4);
        auto delay = std::chrono::microseconds(random() % kMaxKillDelayUs);
        Ack ack{};
        for (int i = 0; i < before && read(pipeFds[0], &ack, sizeof ack) == sizeof ack; ++i)
            take(ack);
        auto until = std::chrono::steady_clock::now() + delay;
        while (std::chrono::steady_clock::now() < until) {
        }
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << WEXITSTATUS(status);
        ++killedInWork;
        // What was reported before the kill was acknowledged.
        while (read(pipeFds[0], &ack, sizeof ack) == sizeof ack)
            take(ack);
        close(pipeFds[0]);

        Check(run, firstAcked);
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(killedInWork, kRuns);
    EXPECT_FALSE(messages.empty());
}

} // namespace
