// latency_ms: every call that concerns a server waits its round trip; calls to other servers
// and to local files do not; network.toml takes only numbers from 0 to 10000.
#include <chrono>
#include <functional>

#include "netware/sim/sim_network.h"
#include "tests/sim/sim_fixture.h"

namespace {

constexpr int kLatencyMs = 30;

class RoundTripTest : public SimTest {
  protected:
    RoundTripTest()
        : SimTest(R"(
[[server]]
name = "FAR"
latency_ms = 30
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)") {}

    static double Milliseconds(const std::function<void()>& call) {
        const auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    }
};

TEST_F(RoundTripTest, CallsToTheServerWaitTheirRoundTrip) {
    net_.WriteFile("FAR/DATA/a.txt", "far away");
    const NWCONN_HANDLE far = Connection("FAR");
    ASSERT_NE(far, 0u);
    const std::function<void()> calls[] = {
        [&] {
            std::uint16_t number = 0;
            EXPECT_EQ(NetWare().NWGetVolumeNumber(far, "DATA", &number), 0u);
        },
        [&] { EXPECT_NE(win::Files().GetFileAttributes(R"(\\FAR\DATA\a.txt)"), 0xFFFFFFFFu); },
        // A call that fails still waits for its answer.
        [&] { EXPECT_EQ(win::Files().GetFileAttributes(R"(\\FAR\DATA\none)"), 0xFFFFFFFFu); },
        [&] {
            win::FindData data;
            const win::HANDLE find = win::Files().FindFirstFile(R"(\\FAR\DATA\*)", &data);
            ASSERT_NE(find, win::INVALID_HANDLE_VALUE);
            win::Files().FindClose(find);  // two calls, two round trips
        },
    };
    const int trips[] = {1, 1, 1, 2};
    for (std::size_t i = 0; i < std::size(calls); ++i)
        EXPECT_GE(Milliseconds(calls[i]), trips[i] * kLatencyMs) << "call " << i;
}

TEST_F(RoundTripTest, OtherServersAndLocalFilesAnswerAtOnce) {
    const NWCONN_HANDLE hq = Connection("HQ");
    // Twenty calls together take less than one round trip to FAR.
    const double ms = Milliseconds([&] {
        for (int i = 0; i < 10; ++i) {
            std::uint16_t number = 0;
            EXPECT_EQ(NetWare().NWGetVolumeNumber(hq, "DATA", &number), 0u);
            EXPECT_NE(win::Files().GetFileAttributes(net_.Root().c_str()), 0xFFFFFFFFu);
        }
    });
    EXPECT_LT(ms, kLatencyMs);
}

TEST(RoundTripFile, LatencyIsANumberOfMillisecondsUpToTenSeconds) {
    struct Case {
        const char* value;
        bool accepted;
    };
    const Case cases[] = {
        {"0", true},        {"2", true},      {"0.5", true},  {"10000", true}, {"-1", false},
        {"10000.5", false}, {"\"2\"", false}, {"nan", false}, {"inf", false},  {"true", false},
    };
    for (const Case& c : cases) {
        TestNetwork net(std::string(R"([workstation]
primary_server = "HQ"
login_name = "ADMIN"
[[server]]
name = "HQ"
latency_ms = )") + c.value +
                        "\n");
        std::string error;
        const auto opened = sim::SimNetwork::Open(net.Root(), &error);
        EXPECT_EQ(opened != nullptr, c.accepted) << c.value << ": " << error;
        if (!c.accepted) {
            EXPECT_NE(error.find("network.toml, line 6: latency_ms must be a number of "
                                 "milliseconds from 0 to 10000"),
                      std::string::npos)
                << c.value << ": " << error;
        }
    }
}

}  // namespace
