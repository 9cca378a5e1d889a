#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

#include "base/random.h"
#include "dialogs/frm_choose_seat.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::HeadlessApp;

// The four tiles lie centred in a row on the 256 x 256 board.
constexpr int kTileX[] = {50, 92, 134, 176};
constexpr int kTileY = 108;

class SeatDraw : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    unpinRandom();
    frmBitmaps->load();
    frmMain->setClientSize(795, 581);
    frmMain->move(60, 40);
  }
  void TearDown() override {
    // Windows left loaded would outlive the event loop at exit.
    gsReleaseObjects(frmChooseSeat, frmBitmaps, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
  }

  // Shows a fresh seat draw, presses the keys, then Enter; returns the seat it gave.
  std::int16_t draw(std::initializer_list<std::int16_t> keys) {
    gsReleaseObjects(frmChooseSeat);
    headless->script("frmChooseSeat", rt::pressKeys(keys));
    headless->script("frmChooseSeat", rt::pressKeys({rt::vbKeyReturn}));
    frmChooseSeat->showModal();
    return frmChooseSeat->mprpSeat();
  }
  const rt::Picture& lastShown() { return headless->shown("frmChooseSeat"); }
};

// True when tile place i shows the picture at column `faceX` of `tiles`, face-on.
bool showsTile(const rt::Picture& image, int i, const rt::Picture& tiles, int faceX) {
  const rt::Picture& mask = frmBitmaps->picTileBackMask;
  for (int y = 0; y < 39; ++y) {
    for (int x = 0; x < 30; ++x) {
      if (mask.pixel(x, y) == 0 &&
          image.pixel(kTileX[i] + x, kTileY + y) != tiles.pixel(faceX + x, y)) {
        return false;
      }
    }
  }
  return true;
}

// The wind kind (28 East to 31 North) shown face up at each place, 0 when none is.
std::array<int, 4> windsShown(const rt::Picture& image) {
  std::array<int, 4> winds{};
  for (int i = 0; i < 4; ++i) {
    for (int kind = 28; kind <= 31; ++kind) {
      if (showsTile(image, i, frmBitmaps->picAllTiles, (kind - 1) * 30)) winds[i] = kind;
    }
  }
  return winds;
}

// The place (1-4) the magenta frame surrounds, 0 when it surrounds none.
int framedPlace(const rt::Picture& image) {
  const rt::Colour magenta = rt::rgb(255, 0, 255);
  int framed = 0;
  for (int i = 0; i < 4; ++i) {
    const int x = kTileX[i], y = kTileY;
    if (image.pixel(x - 3, y - 3) == magenta && image.pixel(x + 32, y + 41) == magenta &&
        image.pixel(x - 1, y + 20) == magenta && image.pixel(x, y + 20) != magenta) {
      framed = framed == 0 ? i + 1 : -1;
    }
  }
  return framed;
}

TEST_F(SeatDraw, LeftAndRightWrapAroundAndEnterGivesTheWindUnderTheFrame) {
  using namespace rt;
  const struct {
    std::initializer_list<std::int16_t> keys;
    int place;
  } cases[] = {
      {{}, 1},
      {{vbKeyLeft}, 4},
      {{vbKeyRight}, 2},
      {{vbKeyRight, vbKeyRight, vbKeyRight, vbKeyRight}, 1},
      {{vbKeyLeft, vbKeyLeft}, 3},
      {{vbKeyNumpad4}, 4},
      {{vbKeyNumpad6, vbKeyNumpad6}, 3},
      {{vbKeyUp, vbKeyDown, vbKeyNumpad8, vbKeyNumpad2, vbKeyA}, 1},
      {{vbKeyRight, vbKeyUp}, 2},
  };
  for (const auto& c : cases) {
    const std::int16_t seat = draw(c.keys);
    const auto winds = windsShown(lastShown());
    EXPECT_EQ(std::set<int>(winds.begin(), winds.end()), (std::set<int>{28, 29, 30, 31}))
        << "all four winds, face up";
    ASSERT_EQ(framedPlace(lastShown()), c.place);
    EXPECT_EQ(seat, winds[c.place - 1] - 27) << "the seat of the face, not of the place";
  }
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(SeatDraw, TilesLieFaceDownThenShowTheirFacesForTwoSecondsWhileKeysAreIgnored) {
  frmChooseSeat->load();
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(showsTile(frmChooseSeat->surface(), i, frmBitmaps->picTileBack, 0)) << i;
  }
  EXPECT_EQ(framedPlace(frmChooseSeat->shownImage()), 1);
  EXPECT_EQ(frmChooseSeat->scaleWidth(), 256);
  EXPECT_EQ(frmChooseSeat->left(), std::lround(60 + (frmMain->width() - 256) / 2.0));
  EXPECT_EQ(frmChooseSeat->top(), std::lround(40 + (frmMain->height() - 256) / 2.0));

  // A second choice while the faces are up must not change the seat.
  headless->script("frmChooseSeat", rt::pressKeys({rt::vbKeyReturn}));
  headless->script("frmChooseSeat", rt::pressKeys({rt::vbKeyRight, rt::vbKeyReturn}, 0.5));
  const double start = now();
  frmChooseSeat->showModal();
  EXPECT_NEAR(now() - start, 2.0, 1e-6) << "open for the two seconds of the reveal";
  EXPECT_TRUE(headless->scriptDone("frmChooseSeat")) << "the later keys came during the reveal";
  EXPECT_EQ(framedPlace(lastShown()), 1);
  EXPECT_EQ(frmChooseSeat->mprpSeat(), windsShown(lastShown())[0] - 27);
  EXPECT_FALSE(frmChooseSeat->loaded());
}

TEST_F(SeatDraw, EveryPlaceHoldsEveryWindAboutEquallyOften) {
  // Each showing reseeds from the clock, which the reveal moves on by two seconds.
  constexpr int kShowings = 240;
  int count[4][4] = {};
  for (int n = 0; n < kShowings; ++n) {
    draw({});
    const auto winds = windsShown(lastShown());
    ASSERT_EQ(std::set<int>(winds.begin(), winds.end()).size(), 4u);
    for (int i = 0; i < 4; ++i) ++count[i][winds[i] - 28];
  }
  for (int i = 0; i < 4; ++i) {
    for (int w = 0; w < 4; ++w) {
      EXPECT_GT(count[i][w], kShowings / 4 / 2) << "place " << i + 1 << ", wind " << w + 28;
      EXPECT_LT(count[i][w], kShowings / 4 * 3 / 2) << "place " << i + 1 << ", wind " << w + 28;
    }
  }
}

}  // namespace
}  // namespace velloran
