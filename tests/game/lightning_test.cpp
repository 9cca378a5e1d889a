// The lightning over the upper right of the table and the thunder after it, as the player
// sees and hears them: the bolt on the window, the earned tiles in front of it, and the
// thunder's wave on the mixer.

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "runtime/keys.h"
#include "support/pictures.h"
#include "support/sound_files.h"
#include "support/sounds.h"
#include "support/table_window.h"

namespace velloran {
namespace {

using testing::block;
using testing::difference;
using testing::kFaceOn;
using testing::paintSprite;
using testing::paintTile;
using testing::resource;

// The lightning area: 200 x 233 from (580, 0) of the table; the window's toolbar lies over
// its top rows.
constexpr int kBoltX = 580, kBoltW = 200, kBoltH = 233;
constexpr int kToolbarHeight = 22;

bool inEarnedSlots(int x, int y) {
  return (x >= 352 && x < 352 + 14 * 30 && y >= 177 && y < 177 + 39) ||
         (x >= 352 && x < 352 + 8 * 30 && y >= 129 && y < 129 + 39);
}

enum class Sky { Clear, Bolt, Other };
const char* nameOf(Sky sky) {
  return sky == Sky::Clear ? "clear" : sky == Sky::Bolt ? "bolt" : "neither";
}

// Whether the window shows the bolt, judged where the bolt covers the table and no earned
// tile may stand in front of it.
Sky skyOf(const rt::Picture& shown) {
  const rt::Picture& mask = resource("picLightningMask");
  const rt::Picture& bolt = resource("picLightning");
  const rt::Picture& table = resource("bitmap101");
  int asBolt = 0, asTable = 0, covered = 0;
  for (int y = kToolbarHeight; y < kBoltH; ++y) {
    for (int x = 0; x < kBoltW; ++x) {
      if (mask.pixel(x, y) != 0 || inEarnedSlots(kBoltX + x, y)) continue;
      ++covered;
      const rt::Colour seen = shown.pixel(kBoltX + x, y);
      asBolt += seen == bolt.pixel(x, y);
      asTable += seen == table.pixel(kBoltX + x, y);
    }
  }
  if (covered > 0 && asBolt == covered) return Sky::Bolt;
  if (asTable == covered) return Sky::Clear;
  return Sky::Other;
}

class Lightning : public testing::TableWindowTest {
 protected:
  void beforeStart() override {
    // A thunder of a length of its own, so that the mixer's channel tells it from any sound.
    testing::writeFile(thunder(), testing::waveTone(6.5));
  }
  std::string thunder() { return (folder / "Thunder2.wav").string(); }

  // A change the player saw or heard: the sky in a picture the window showed, and whether
  // thunder began with it.
  struct Sighting {
    double at;
    Sky sky;
    bool thunder;
    rt::Picture frame;
  };
  // Serves the game event by event until `seconds` have passed, or until the first sighting
  // when `untilOne`; looks at every picture the window showed on the way.
  std::vector<Sighting> watch(double seconds, bool untilOne = false) {
    std::vector<Sighting> seen;
    const double end = now() + seconds;
    Sky last = skyOf(window());
    testing::silenceSounds();
    frames->record(true);
    while (now() < end && !(untilOne && !seen.empty())) {
      app().serveNext();
      const std::size_t before = seen.size();
      for (rt::Picture& frame : frames->take()) {
        const Sky sky = skyOf(frame);
        if (sky != last) seen.push_back({now(), sky, false, std::move(frame)});
        last = sky;
      }
      if (testing::sounding(thunder())) {
        testing::silenceSounds();
        if (seen.size() == before) seen.push_back({now(), last, false, window()});
        seen.back().thunder = true;
      }
    }
    frames->record(false);
    return seen;
  }
  // Starts a hand and lets a minute and more go by with the game paused.
  void aMinuteIntoAHand(double seconds = 61) {
    startAnew();
    click(9);
    serveFor(seconds);
    click(9);
  }
  std::string describe(const std::vector<Sighting>& seen) {
    std::string text;
    for (const Sighting& s : seen) {
      text += std::to_string(s.at) + "s " + nameOf(s.sky) + (s.thunder ? " thunder; " : "; ");
    }
    return text;
  }
};

TEST_F(Lightning, NoneInTheFirstMinuteOfAHandThenABoltForOneTickAndThunderAsItGoes) {
  answerEveryDialog();
  aMinuteIntoAHand(50);
  auto seen = watch(8);
  EXPECT_TRUE(seen.empty()) << "58 seconds into the hand: " << describe(seen);

  click(9);
  serveFor(3);
  click(9);
  seen = watch(60, true);
  ASSERT_FALSE(seen.empty()) << "no lightning a minute into the hand";
  EXPECT_EQ(seen[0].sky, Sky::Bolt);
  EXPECT_FALSE(seen[0].thunder) << "no thunder while the bolt is drawn";
  const double flash = seen[0].at;
  seen = watch(2, true);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0].sky, Sky::Clear);
  EXPECT_TRUE(seen[0].thunder) << "thunder as the bolt goes out";
  EXPECT_LE(seen[0].at - flash, 0.5) << "the bolt stays one tick";

  // A minute must pass after a flash before the next.
  click(9);
  serveFor(45);
  click(9);
  seen = watch(8);
  EXPECT_TRUE(seen.empty()) << "53 seconds after the flash: " << describe(seen);
  click(9);
  serveFor(10);
  click(9);
  EXPECT_FALSE(watch(60, true).empty()) << "no lightning a minute after the last";
  EXPECT_TRUE(noErrors());
}

TEST_F(Lightning, AfterTheMinuteAboutOneTickInTenBringsABolt) {
  answerEveryDialog();
  std::vector<double> waits;
  for (int hand = 0; hand < 20; ++hand) {
    aMinuteIntoAHand();
    const double resumed = now();
    const auto seen = watch(60, true);
    ASSERT_FALSE(seen.empty()) << "hand " << hand;
    waits.push_back(seen[0].at - resumed);
  }
  // One chance in ten at each tick of 0.4 seconds: four seconds on average.
  const double mean = std::accumulate(waits.begin(), waits.end(), 0.0) / waits.size();
  EXPECT_GT(mean, 2.0);
  EXPECT_LT(mean, 8.0);
}

TEST_F(Lightning, ABoltStaysWhileThePlayIsPausedAndAKeyPutsItOutAtOnce) {
  answerEveryDialog();
  aMinuteIntoAHand();
  const auto seen = watch(60, true);
  ASSERT_FALSE(seen.empty());
  ASSERT_EQ(seen[0].sky, Sky::Bolt);
  click(9);
  testing::silenceSounds();
  serveFor(120);
  EXPECT_EQ(skyOf(window()), Sky::Bolt);
  EXPECT_FALSE(testing::sounding(thunder()));
  click(9);
  press({rt::vbKeyLeft});
  EXPECT_EQ(skyOf(window()), Sky::Clear);
  EXPECT_TRUE(testing::sounding(thunder()));
}

TEST_F(Lightning, TheBoltCoversTheUpperRightAndTheHandStaysInFrontOfIt) {
  answerEveryDialog();
  aMinuteIntoAHand();
  // Tiles in the hand's slots under the lightning area, and some beside it.
  std::vector<int> slots = {7, 8, 9, 10, 11, 12, 13, 14, 20, 21, 22};
  for (const int slot : slots) {
    placeTile(game().mudtTileKinds[slot + 3], game().mudtEarnedTiles[slot]);
  }
  const auto withTheHand = [&](rt::Picture picture) {
    for (const int slot : slots) {
      const typCell& cell = game().mudtEarnedTiles[slot];
      paintTile(picture, cell.X, cell.Y, slot + 3, kFaceOn);
    }
    return picture;
  };
  const rt::Picture clear = withTheHand(resource("bitmap101"));
  rt::Picture lit = clear;
  paintSprite(lit, kBoltX, 0, kBoltW, kBoltH, resource("picLightningMask"), 0, 0,
              resource("picLightning"), 0, 0);
  lit = withTheHand(lit);

  // The right half of the table down to the score, where nothing else is drawn.
  const auto upperRight = [](const rt::Picture& p) {
    return block(p, 340, kToolbarHeight, 795 - 340, 236 - kToolbarHeight);
  };
  // The first picture with the bolt already has the hand in front of it: the lightning area
  // reaches the window at once, the rest of the table with the tick's next copy.
  const auto area = [](const rt::Picture& p) {
    return block(p, kBoltX, kToolbarHeight, kBoltW, kBoltH - kToolbarHeight);
  };
  const auto seen = watch(60, true);
  ASSERT_FALSE(seen.empty());
  ASSERT_EQ(seen[0].sky, Sky::Bolt);
  EXPECT_EQ(difference(seen[0].frame, kBoltX, kToolbarHeight, area(lit)), "");
  EXPECT_EQ(difference(window(), 340, kToolbarHeight, upperRight(lit)), "");
  const auto out = watch(2, true);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(difference(out[0].frame, kBoltX, kToolbarHeight, area(clear)), "");
  EXPECT_EQ(difference(window(), 340, kToolbarHeight, upperRight(clear)), "");
}

// The flash copies only its own area to the window in the middle of a tick, while the
// falling tile has been taken off its old place and not yet drawn on its new: what the
// window shows once the tick is over is the whole table the game drew, the bolt whole, the
// tile in one place.
TEST_F(Lightning, TheTicksThatFlashShowTheWholeTableTheyDrew) {
  answerEveryDialog();
  startAnew();
  untilDealt();
  game().mblnLightningPending = true;  // a minute has passed and the chance has come
  const rt::Picture& work = table().picWork;
  const int width = window().width(), height = window().height() - kToolbarHeight;
  for (const Sky sky : {Sky::Bolt, Sky::Clear}) {
    SCOPED_TRACE(nameOf(sky));
    const int row = game().mintRow;
    while (game().mintRow == row) app().serveNext();
    EXPECT_EQ(skyOf(window()), sky);
    EXPECT_EQ(
        difference(window(), 0, kToolbarHeight, block(work, 0, kToolbarHeight, width, height)), "");
  }
  EXPECT_TRUE(noErrors());
}

TEST_F(Lightning, ADueFlashShowsAndGoesOutWithThunderAtAKeyOrALandingThatOffersARun) {
  answerEveryDialog();
  const struct {
    const char* what;
    bool landing;
  } cases[] = {{"a key", false}, {"a landing", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    startAnew();
    untilDealt();
    if (c.landing) {
      // A tile like the falling one where it will land beside it: a pair is offered.
      put(12, 4, fallingKind());
      press({rt::vbKeyDown});
      while (game().mintRow != 12) app().serveNext();
    }
    game().mblnLightningPending = true;  // a minute has passed and the chance has come
    testing::silenceSounds();
    frames->record(true);
    if (c.landing) {
      app().serveNext();
      EXPECT_EQ(game().mintEarnedCount, 2) << "the run was offered and taken";
    } else {
      press({rt::vbKeyRight});
    }
    std::vector<Sky> skies;
    for (const rt::Picture& frame : frames->take()) {
      if (skies.empty() || skies.back() != skyOf(frame)) skies.push_back(skyOf(frame));
    }
    frames->record(false);
    EXPECT_EQ(skies, (std::vector<Sky>{Sky::Bolt, Sky::Clear}));
    EXPECT_TRUE(testing::sounding(thunder()));
  }
}

}  // namespace
}  // namespace velloran
