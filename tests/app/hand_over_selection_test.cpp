// Hand-overs gathered into selections, from a table of arrivals: when each
// start began and when its hand-over came, its mode and paths, and the
// requests carried out. Due selections are carried out before each arrival
// at its moment, the rest at the end.
#include "hand_over_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> texts;

struct arrival {
    uint64_t started, arrived;
    bool add;
    texts paths;
};

struct carried {
    bool add;
    texts paths;
    bool operator==(const carried &other) const { return add == other.add && paths == other.paths; }
};

std::ostream &operator<<(std::ostream &out, const carried &request)
{
    out << (request.add ? "add" : "replace");
    for (const std::string &path : request.paths)
        out << " | " << path;
    return out;
}

std::vector<carried> carriedOut(const std::vector<arrival> &arrivals)
{
    selections all;
    std::vector<carried> done;
    auto carryDue = [&](uint64_t now) {
        while (firstSelectionDue(all, now, false)) {
            pathRequest request = takeFirstSelection(all);
            done.push_back({request.add, request.paths});
        }
    };
    unsigned long processId = 100;
    for (const arrival &a : arrivals) {
        carryDue(a.arrived);
        pathRequest request;
        request.add = a.add;
        request.paths = a.paths;
        gatherHandOver(all, handOver{a.started, a.arrived, processId++, request});
    }
    carryDue(UINT64_MAX / 2);
    return done;
}

std::string track(int number)
{
    return "C:\\Album\\Track " + std::to_string(number) + ".mp3";
}

// Twenty starts of one moment whose hand-overs come in a scrambled order,
// a tenth of a second apart.
std::vector<arrival> twentyScrambled()
{
    std::vector<arrival> arrivals;
    for (int at = 0; at < 20; ++at)
        arrivals.push_back({1000u + at, 2000u + 100u * at, false, {track(at * 7 % 20 + 1)}});
    return arrivals;
}

texts twentyInOrder()
{
    texts paths;
    for (int number = 1; number <= 20; ++number)
        paths.push_back(track(number));
    return paths;
}

struct selectionCase {
    const char *what;
    std::vector<arrival> arrivals;
    std::vector<carried> expected;
};

TEST(HandOverSelection, StartsOfOneMomentAreOneRequestInExplorersOrder)
{
    const selectionCase cases[] = {
        {"twenty at once", twentyScrambled(), {{false, twentyInOrder()}}},
        {"the first one's /add decides",
         {{0, 500, true, {track(2)}}, {10, 520, false, {track(1)}}},
         {{true, {track(1), track(2)}}}},
        {"a name another start gave, whatever its case, once; one start's own twice",
         {{0, 500, false, {track(2), track(5), track(2)}}, {5, 510, false, {track(1), "c:\\album\\TRACK 5.MP3"}}},
         {{false, {track(1), "c:\\album\\TRACK 5.MP3", track(2), track(2)}}}},
        {"one start's own paths in its order",
         {{0, 500, false, {track(3), track(1)}}, {5, 510, false, {track(2)}}},
         {{false, {track(2), track(3), track(1)}}}},
        {"starts chained a moment apart, coming in any order",
         {{0, 900, false, {track(3)}}, {400, 905, false, {track(1)}}, {200, 910, false, {track(2)}}},
         {{false, {track(1), track(2), track(3)}}}},
        {"a start that comes later is a new selection",
         {{0, 400, false, {track(2)}}, {300, 1000, false, {track(1)}}},
         {{false, {track(2)}}, {false, {track(1)}}}},
        {"a start of a moment carried out appends",
         {{0, 400, false, {track(2)}}, {10, 900, false, {track(1)}}},
         {{false, {track(2)}}, {true, {track(1)}}}},
        {"a start made later that hands over with the others",
         {{0, 400, false, {track(2)}}, {300, 450, true, {track(3)}}, {20, 500, false, {track(1)}}},
         {{false, {track(1), track(2), track(3)}}}},
    };
    for (const selectionCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, carriedOut(c.arrivals));
    }
}

TEST(HandOverSelection, StartsStillOnTheirWayHoldItBackForAWhile)
{
    selections all;
    gatherHandOver(all, handOver{0, 1000, 1, pathRequest{false, {track(1)}}});
    EXPECT_FALSE(firstSelectionDue(all, 1000 + SELECTION_MOMENT_MS - 1, false));
    EXPECT_TRUE(firstSelectionDue(all, 1000 + SELECTION_MOMENT_MS, false));
    EXPECT_FALSE(firstSelectionDue(all, 1000 + SELECTION_HOLD_MS - 1, true));
    EXPECT_TRUE(firstSelectionDue(all, 1000 + SELECTION_HOLD_MS, true));
}

} // namespace
