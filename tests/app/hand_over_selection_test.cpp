// Hand-overs gathered into selections, from a table of arrivals (when each
// start began, when its hand-over came, its mode and paths) to the requests
// carried out: due ones before each arrival, at its moment, the rest last.
#include "hand_over_selection.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<std::string> texts;
typedef std::vector<std::pair<bool, texts>> requests;   // (add, paths)

struct arrival {
    uint64_t started, arrived;
    bool add;
    texts paths;
};

requests carriedOut(const std::vector<arrival> &arrivals)
{
    selections all;
    requests done;
    auto carryDue = [&](uint64_t now) {
        while (firstSelectionDue(all, now, false)) {
            pathRequest r = takeFirstSelection(all);
            done.push_back({r.add, r.paths});
        }
    };
    for (const arrival &a : arrivals) {
        carryDue(a.arrived);
        gatherHandOver(all, handOver{a.started, a.arrived, 1, pathRequest{a.add, a.paths}});
    }
    carryDue(UINT64_MAX / 2);
    return done;
}

std::string track(int number) { return "C:\\Album\\Track " + std::to_string(number) + ".mp3"; }

TEST(HandOverSelection, StartsOfOneMomentAreOneRequestInExplorersOrder)
{
    std::vector<arrival> twenty;    // one moment, come in a scrambled order a tenth of a second apart
    texts inOrder;
    for (int at = 0; at < 20; ++at) {
        twenty.push_back({1000u + at, 2000u + 100u * at, false, {track(at * 7 % 20 + 1)}});
        inOrder.push_back(track(at + 1));
    }
    const std::string upper5 = "c:\\album\\TRACK 5.MP3";
    const struct {
        const char *what;
        std::vector<arrival> arrivals;
        requests expected;
    } cases[] = {
        {"twenty at once", twenty, {{false, inOrder}}},
        {"the first one's /add decides", {{0, 500, true, {track(2)}}, {10, 520, false, {track(1)}}},
         {{true, {track(1), track(2)}}}},
        {"a name another start gave once, whatever its case; one start's own paths as given",
         {{0, 500, false, {track(2), track(5), track(2)}}, {5, 510, false, {track(1), upper5}}},
         {{false, {track(1), upper5, track(2), track(2)}}}},
        {"starts chained a moment apart, come in any order; a start made later whose hand-over comes with them",
         {{0, 900, false, {track(4)}}, {400, 905, false, {track(1)}}, {200, 910, false, {track(2)}},
          {700, 920, true, {track(3)}}},
         {{false, {track(1), track(2), track(3), track(4)}}}},
        {"a start made and handing over later is a new selection",
         {{0, 400, false, {track(2)}}, {300, 1000, false, {track(1)}}}, {{false, {track(2)}}, {false, {track(1)}}}},
        {"a start of a moment carried out appends",
         {{0, 400, false, {track(2)}}, {10, 900, false, {track(1)}}}, {{false, {track(2)}}, {true, {track(1)}}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, carriedOut(c.arrivals));
    }
    // Starts of the moment still on their way hold it back, for a while.
    selections all;
    gatherHandOver(all, handOver{0, 1000, 1, pathRequest{false, {track(1)}}});
    EXPECT_FALSE(firstSelectionDue(all, 1000 + SELECTION_MOMENT_MS - 1, false));
    EXPECT_TRUE(firstSelectionDue(all, 1000 + SELECTION_MOMENT_MS, false));
    EXPECT_FALSE(firstSelectionDue(all, 1000 + SELECTION_HOLD_MS - 1, true));
    EXPECT_TRUE(firstSelectionDue(all, 1000 + SELECTION_HOLD_MS, true));
}

} // namespace
