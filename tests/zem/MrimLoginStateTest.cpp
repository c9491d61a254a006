// The MRIM login as a state machine, driven without an account: every
// login packet offered in every state, answers that come late or twice,
// the redirect and the session connection in each state, and the keep-alive
// period the server sets and changes.

#include "MrimLogin.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ZemTest;

class LoginOwner final : public MMrimLoginOwner {
public:
    const CYolString& LoginName() const override { return name; }
    const CYolString& LoginPassword() const override { return password; }
    int LoginStatus() const override { return status; }
    bool OpenSession(const CYolString& host, unsigned int port) override {
        Note("open " + host.ToUtf8() + ":" + std::to_string(port));
        return sessionOpens;
    }
    void StartKeepAlive(unsigned int seconds) override { Note("keepalive " + std::to_string(seconds)); }
    void LoginAccepted() override { Note("accepted"); }
    void LoginRefused(const CYolString& reason) override { Note("refused '" + reason.ToUtf8() + "'"); }
    void LoggedOut(bool otherComputer) override { Note(otherComputer ? "logout elsewhere" : "logout"); }
    void RedirectFailed() override { Note("redirect failed"); }

    void Note(const std::string& call) { calls += (calls.empty() ? "" : ",") + call; }
    std::string Take() { return std::exchange(calls, {}); }

    CYolString name = U("alice@mail.ru");
    CYolString password = U("pw");
    int status = 2;
    bool sessionOpens = true;
    std::string calls;
};

const char* StateName(LoginState state) {
    static const char* const names[] = {"Idle", "Redirect", "Connecting", "Greeting", "Credentials", "Established"};
    return names[static_cast<int>(state)];
}

class MrimLoginState : public ::testing::Test {
protected:
    // Walks a fresh login into `state` along the normal path.
    void Reach(LoginState state) {
        if (state == LoginState::Idle)
            return;
        login.Begin();
        if (state == LoginState::Redirect)
            return;
        login.OnRedirect(true, U("127.0.0.1"), 2041);
        if (state == LoginState::Connecting)
            return;
        login.OnConnected();
        if (state == LoginState::Greeting)
            return;
        Offer(MrimPacketType::HelloAck, MrimBodyWriter().UL(0).Take());
        if (state == LoginState::Credentials)
            return;
        Offer(MrimPacketType::LoginAck, {});
    }
    bool Offer(MrimPacketType type, const std::string& body) {
        bodies.push_back(body);
        return login.OnPacket(MrimPacket{MrimHeader{Mrim::kMagic, Mrim::kVersion, 1, Wire(type)}, bodies.back()});
    }
    // The types of the packets sent since the last look, as hex words.
    std::string Sent() {
        std::string out;
        for (const std::string& packet : sink.Take())
            out += (out.empty() ? "" : ",") + std::to_string(ReadMrimHeader(
                                                  reinterpret_cast<const unsigned char*>(packet.data())).type);
        return out;
    }

    RecordingPacketSink sink;
    LoginOwner owner;
    MrimLogin login{sink, owner};
    std::vector<std::string> bodies;
};

constexpr LoginState kStates[] = {LoginState::Idle,      LoginState::Redirect,    LoginState::Connecting,
                                  LoginState::Greeting,  LoginState::Credentials, LoginState::Established};

TEST_F(MrimLoginState, EachLoginPacketActsOnlyInTheStateThatWaitsForIt) {
    const std::string period = MrimBodyWriter().UL(30).Take();
    const std::string reason = MrimBodyWriter().LPS("Invalid login").Take();
    const std::string elsewhere = MrimBodyWriter().UL(0x10).Take();
    struct Case {
        MrimPacketType type;
        const std::string* body;
        LoginState acting;
        const char* calls;     // what the owner hears in the acting state
        const char* sent;      // packet types sent then (decimal)
        LoginState after;
    } cases[] = {
        {MrimPacketType::HelloAck, &period, LoginState::Greeting, "keepalive 30", "4152", LoginState::Credentials},
        {MrimPacketType::LoginAck, &period, LoginState::Credentials, "accepted", "", LoginState::Established},
        {MrimPacketType::LoginReject, &reason, LoginState::Credentials, "refused 'Invalid login'", "", LoginState::Idle},
        {MrimPacketType::Logout, &elsewhere, LoginState::Established, "logout elsewhere", "", LoginState::Idle},
        {MrimPacketType::ConnectionParams, &period, LoginState::Established, "keepalive 30", "",
         LoginState::Established},
    };
    for (const Case& c : cases) {
        for (LoginState state : kStates) {
            SCOPED_TRACE(std::to_string(Wire(c.type)) + " in " + StateName(state));
            login.Stop();
            Reach(state);
            owner.Take();
            Sent();
            // A login packet is always the login's, taken or dropped.
            EXPECT_TRUE(Offer(c.type, *c.body));
            if (state == c.acting) {
                EXPECT_EQ(owner.Take(), c.calls);
                EXPECT_EQ(Sent(), c.sent);
                EXPECT_EQ(login.State(), c.after);
            } else {
                EXPECT_EQ(owner.Take(), "");
                EXPECT_EQ(Sent(), "");
                EXPECT_EQ(login.State(), state);
            }
        }
    }
}

TEST_F(MrimLoginState, OtherPacketsAreNotTheLogins) {
    Reach(LoginState::Established);
    EXPECT_FALSE(Offer(MrimPacketType::IncomingMessage, {}));
    EXPECT_FALSE(Offer(MrimPacketType::ContactList, {}));
}

TEST_F(MrimLoginState, LateAndRepeatedAnswersChangeNothing) {
    Reach(LoginState::Established);
    owner.Take();
    Sent();
    // A second greeting answer, a second acceptance, a late refusal.
    EXPECT_TRUE(Offer(MrimPacketType::HelloAck, MrimBodyWriter().UL(5).Take()));
    EXPECT_TRUE(Offer(MrimPacketType::LoginAck, {}));
    EXPECT_TRUE(Offer(MrimPacketType::LoginReject, MrimBodyWriter().LPS("late").Take()));
    EXPECT_EQ(owner.Take(), "");
    EXPECT_EQ(Sent(), "");
    EXPECT_EQ(login.State(), LoginState::Established);
    EXPECT_EQ(login.PingPeriod(), 0u);
}

TEST_F(MrimLoginState, RedirectAndConnectionActOnlyInTheirStates) {
    for (LoginState state : kStates) {
        SCOPED_TRACE(StateName(state));
        login.Stop();
        Reach(state);
        owner.Take();
        Sent();
        login.OnRedirect(true, U("10.0.0.1"), 2042);
        login.OnConnected();
        if (state == LoginState::Redirect) {
            // Both in one go: the address opens the session, whose connection greets.
            EXPECT_EQ(owner.Take(), "open 10.0.0.1:2042");
            EXPECT_EQ(Sent(), "4097");
            EXPECT_EQ(login.State(), LoginState::Greeting);
        } else if (state == LoginState::Connecting) {
            EXPECT_EQ(owner.Take(), "");
            EXPECT_EQ(Sent(), "4097");
            EXPECT_EQ(login.State(), LoginState::Greeting);
        } else {
            EXPECT_EQ(owner.Take(), "");
            EXPECT_EQ(Sent(), "");
            EXPECT_EQ(login.State(), state);
        }
    }
}

TEST_F(MrimLoginState, AFailedRedirectEndsTheAttempt) {
    struct Case {
        bool valid;
        bool opens;
        const char* calls;
    } cases[] = {{false, true, "redirect failed"}, {true, false, "open h:1,redirect failed"}};
    for (const Case& c : cases) {
        login.Stop();
        login.Begin();
        owner.sessionOpens = c.opens;
        login.OnRedirect(c.valid, U("h"), 1);
        EXPECT_EQ(owner.Take(), c.calls);
        EXPECT_EQ(login.State(), LoginState::Idle);
    }
}

TEST_F(MrimLoginState, KeepAlivePeriodComesFromTheGreetingAndItsChanges) {
    struct Case {
        std::string helloAck;
        std::string params;
        const char* calls;
        unsigned int period;
    } cases[] = {
        // No period: no keep-alive, the login still goes out.
        {"", "", "accepted", 0},
        {MrimBodyWriter().UL(0).Take(), MrimBodyWriter().UL(45).Take(), "accepted,keepalive 45", 45},
        {MrimBodyWriter().UL(30).Take(), MrimBodyWriter().UL(45).Take(), "keepalive 30,accepted,keepalive 45", 45},
        // A period of 0, or none, keeps the running keep-alive.
        {MrimBodyWriter().UL(30).Take(), MrimBodyWriter().UL(0).Take(), "keepalive 30,accepted", 30},
        {MrimBodyWriter().UL(30).Take(), "\x01\x02", "keepalive 30,accepted", 30},
    };
    for (const Case& c : cases) {
        MrimLogin fresh{sink, owner};
        fresh.Begin();
        fresh.OnRedirect(true, U("h"), 1);
        fresh.OnConnected();
        owner.Take();
        bodies.push_back(c.helloAck);
        fresh.OnPacket(MrimPacket{MrimHeader{0, 0, 0, Wire(MrimPacketType::HelloAck)}, bodies.back()});
        fresh.OnPacket(MrimPacket{MrimHeader{0, 0, 0, Wire(MrimPacketType::LoginAck)}, {}});
        bodies.push_back(c.params);
        fresh.OnPacket(MrimPacket{MrimHeader{0, 0, 0, Wire(MrimPacketType::ConnectionParams)}, bodies.back()});
        EXPECT_EQ(owner.Take(), c.calls);
        EXPECT_EQ(fresh.PingPeriod(), c.period);
        // The login went out whatever the greeting held.
        EXPECT_EQ(Sent(), "4097,4152");
    }
}

TEST_F(MrimLoginState, LogoutTellsWhetherTheLoginIsInUseElsewhere) {
    const struct {
        std::string body;
        const char* calls;
    } cases[] = {{MrimBodyWriter().UL(0x10).Take(), "logout elsewhere"},
                 {MrimBodyWriter().UL(0).Take(), "logout"},
                 {"", "logout"}};
    for (const auto& c : cases) {
        login.Stop();
        Reach(LoginState::Established);
        owner.Take();
        Offer(MrimPacketType::Logout, c.body);
        EXPECT_EQ(owner.Take(), c.calls);
    }
}

}  // namespace
