#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

#include "dialogs/frm_choose_tiles.h"
#include "engine/shared.h"
#include "runtime/keys.h"
#include "support/headless_app.h"
#include "table/frm_main.h"
#include "windows/frm_bitmaps.h"
#include "windows/window_helpers.h"

namespace velloran {
namespace {

using velloran::testing::HeadlessApp;

struct Candidate {
  std::vector<std::int16_t> kinds;  // the run's faces, left to right
  std::int16_t row = 0;
  std::int16_t leftMostCol = 0;
};

struct Choice {
  std::int16_t col, row, numTiles;
  bool operator==(const Choice&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Choice& c) {
    return out << "col " << c.col << ", row " << c.row << ", " << c.numTiles << " tiles";
  }
};

class SetChooser : public HeadlessApp {
 protected:
  void SetUp() override {
    HeadlessApp::SetUp();
    installErrorReporter();
    frmBitmaps->load();
    frmMain->setPicture(rt::loadResourcePicture("bitmap101"));
    frmMain->setClientSize(795, 581);
    frmMain->move(100, 50);
  }
  void TearDown() override {
    // Windows left loaded would outlive the event loop at exit.
    gsReleaseObjects(frmChooseTiles, frmBitmaps, frmMain);
    HeadlessApp::TearDown();
    setErrorReporter(nullptr);
  }

  // Fills the candidate table as the landing does, with the slot positions of start-up,
  // and hands the lists to a fresh chooser.
  void offer(const std::vector<Candidate>& candidates) {
    DynamicArray<std::int16_t> rows, cols;
    rows.redim(static_cast<int>(candidates.size()));
    cols.redim(static_cast<int>(candidates.size()));
    for (int k = 1; k <= 12; ++k) {
      for (int t = 1; t <= 3; ++t) {
        typCell& slot = gudtPossibleSets(k, t);
        emptySlot(slot);
        slot.X = static_cast<std::int16_t>(6 + 98 * ((k - 1) % 4) + 30 * (t - 1));
        slot.Y = static_cast<std::int16_t>(6 + 45 * ((k - 1) / 4));
        if (k <= static_cast<int>(candidates.size()) &&
            t <= static_cast<int>(candidates[k - 1].kinds.size())) {
          slot.Occupied = true;
          slot.BmpIdx = candidates[k - 1].kinds[t - 1];
        }
      }
      if (k <= static_cast<int>(candidates.size())) {
        rows[k] = candidates[k - 1].row;
        cols[k] = candidates[k - 1].leftMostCol;
      }
    }
    gsReleaseObjects(frmChooseTiles);
    frmChooseTiles->msLoadFormVariables(rows, cols);
  }

  Choice choose(const std::vector<Candidate>& candidates,
                std::initializer_list<std::int16_t> keys) {
    offer(candidates);
    headless->script("frmChooseTiles", rt::pressKeys(keys));
    headless->script("frmChooseTiles", rt::pressKeys({rt::vbKeyReturn}));
    frmChooseTiles->showModal();
    const Choice choice{frmChooseTiles->mprpCellTableCol(), frmChooseTiles->mprpCellTableRow(),
                        frmChooseTiles->mprpNumTiles()};
    gsReleaseObjects(frmChooseTiles);
    return choice;
  }
};

// Candidate k is a single flower in row k, so the row handed back names the option taken.
std::vector<Candidate> singles(int count) {
  std::vector<Candidate> candidates;
  for (int k = 1; k <= count; ++k) {
    candidates.push_back(
        {{39}, static_cast<std::int16_t>(k), static_cast<std::int16_t>(1 + k % 9)});
  }
  return candidates;
}

TEST_F(SetChooser, ArrowKeysWalkTheGridOfOptionsWithPassLast) {
  using namespace rt;
  const struct {
    int candidates;
    std::initializer_list<std::int16_t> keys;
    int option;  // candidates + 1 is Pass
  } cases[] = {
      {1, {}, 1},
      {1, {vbKeyLeft}, 2},
      {1, {vbKeyLeft, vbKeyRight}, 1},
      {1, {vbKeyUp}, 1},
      {1, {vbKeyDown}, 1},
      {4, {vbKeyDown}, 5},
      {4, {vbKeyRight, vbKeyDown}, 2},
      {4, {vbKeyNumpad2, vbKeyNumpad2}, 1},
      {4, {vbKeyNumpad8}, 5},
      {4, {vbKeyRight, vbKeyRight, vbKeyUp}, 3},
      {4, {vbKeyNumpad6, vbKeyA, vbKeySpace, vbKeyHome}, 2},  // other keys change nothing
      {5, {vbKeyRight, vbKeyDown}, 6},
      {5, {vbKeyRight, vbKeyRight, vbKeyDown}, 3},
      {5, {vbKeyRight, vbKeyDown, vbKeyUp}, 2},
      {5, {vbKeyNumpad4}, 6},
      {8, {vbKeyUp}, 9},
      {8, {vbKeyRight, vbKeyUp}, 6},
      {8, {vbKeyRight, vbKeyUp, vbKeyDown}, 2},
      {8, {vbKeyDown, vbKeyDown}, 9},
      {8, {vbKeyDown, vbKeyDown, vbKeyDown}, 1},
      {9, {vbKeyUp}, 9},
      {9, {vbKeyUp, vbKeyUp}, 5},
      {9, {vbKeyRight, vbKeyUp}, 10},
      {9, {vbKeyLeft}, 10},
      {9, {vbKeyDown, vbKeyDown, vbKeyDown}, 1},
      {11, {vbKeyLeft, vbKeyLeft}, 11},
      {11, {vbKeyLeft, vbKeyRight}, 1},
      {11, {vbKeyRight, vbKeyRight, vbKeyRight, vbKeyUp}, 12},
      {11, {vbKeyRight, vbKeyRight, vbKeyRight, vbKeyUp, vbKeyDown}, 4},
      {11, {vbKeyRight, vbKeyRight, vbKeyUp}, 11},
  };
  for (const auto& c : cases) {
    const auto candidates = singles(c.candidates);
    const Choice expected = c.option > c.candidates ? Choice{0, 0, 0}
                                                    : Choice{candidates[c.option - 1].leftMostCol,
                                                             candidates[c.option - 1].row, 1};
    EXPECT_EQ(choose(candidates, c.keys), expected)
        << c.candidates << " candidates, case ending on option " << c.option;
  }
  EXPECT_TRUE(headless->messageBoxes().empty());
}

TEST_F(SetChooser, EnterGivesTheFramedRunsPlaceAndSizeOrPassAsZeros) {
  const std::vector<Candidate> runs = {
      {{37}, 12, 3}, {{14, 14}, 7, 4}, {{2, 3, 4}, 9, 2}, {{31, 31, 31}, 11, 7}};
  EXPECT_EQ(choose(runs, {}), (Choice{3, 12, 1}));
  EXPECT_EQ(choose(runs, {rt::vbKeyRight}), (Choice{4, 7, 2}));
  EXPECT_EQ(choose(runs, {rt::vbKeyRight, rt::vbKeyRight}), (Choice{2, 9, 3}));
  EXPECT_EQ(choose(runs, {rt::vbKeyLeft, rt::vbKeyLeft}), (Choice{7, 11, 3}));
  EXPECT_EQ(choose(runs, {rt::vbKeyLeft}), (Choice{0, 0, 0})) << "Pass";
  EXPECT_EQ(choose(runs, {rt::vbKeyDown}), (Choice{0, 0, 0})) << "Pass below option 1";
  EXPECT_TRUE(headless->messageBoxes().empty());
}

// True when the picture shows the face of `kind` in the given view with its top-left at
// (x, y): every pixel inside the tile's outline is the face's own.
bool showsTile(const rt::Picture& picture, int x, int y, const rt::Picture& faces, int faceX,
               const rt::Picture& mask, int view) {
  int inside = 0;
  for (int py = 0; py < 39; ++py) {
    for (int px = 0; px < 30; ++px) {
      if (mask.pixel(px, view + py) != 0) continue;
      ++inside;
      if (picture.pixel(x + px, y + py) != faces.pixel(faceX + px, view + py)) return false;
    }
  }
  return inside > 0;
}

TEST_F(SetChooser, RunsFloatOverTheTableEachTileInTheViewOfItsColumn) {
  offer({{{2, 3, 4}, 12, 4}, {{20, 20}, 11, 8}, {{36}, 12, 1}, {{10, 11, 12}, 10, 5}});
  frmChooseTiles->load();
  const rt::Picture& strip = frmChooseTiles->surface();
  const FrmBitmaps& b = *frmBitmaps;
  const auto face = [&](int kind, int x, int y, int view) {
    return showsTile(strip, x, y, b.picAllTiles, (kind - 1) * 30, b.picTileBackMask, view);
  };
  // Leftmost column 4: columns 4, 5, 6 show the left, centre and right views.
  EXPECT_TRUE(face(2, 6, 6, 78));
  EXPECT_TRUE(face(3, 36, 6, 0));
  EXPECT_TRUE(face(4, 66, 6, 39));
  EXPECT_FALSE(face(4, 66, 6, 0)) << "the views differ, so the check above means something";
  EXPECT_TRUE(face(20, 104, 6, 39));
  EXPECT_TRUE(face(20, 134, 6, 39));
  EXPECT_TRUE(face(36, 202, 6, 78));
  EXPECT_TRUE(face(10, 300, 6, 0));
  EXPECT_TRUE(face(11, 330, 6, 39));
  EXPECT_TRUE(showsTile(strip, 6, 51, b.picPass, 0, b.picPassMask, 0)) << "Pass opens row two";
  // Between the options lies the table itself, the part the strip lies over: a few pixels
  // off (353, 436), by the table's frame.
  const int underX = frmChooseTiles->left() - frmMain->left() - frmMain->frame().left;
  const int underY = frmChooseTiles->top() - frmMain->top() - frmMain->frame().top;
  EXPECT_NE(underY, 436) << "the frame shifts the strip, so the check below means something";
  for (const auto& [x, y] : {std::pair{1, 1}, {100, 30}, {399, 139}, {250, 120}, {200, 140}}) {
    EXPECT_EQ(strip.pixel(x, y), frmMain->surface().pixel(underX + x, underY + y)) << x << "," << y;
  }

  EXPECT_EQ(frmChooseTiles->borderStyle(), rt::BorderStyle::None);
  EXPECT_EQ(frmChooseTiles->scaleWidth(), 400);
  const double across = static_cast<double>(frmMain->width()) / frmMain->scaleWidth();
  const double down = static_cast<double>(frmMain->height()) / frmMain->scaleHeight();
  EXPECT_EQ(frmChooseTiles->left(), std::lround(100 + 353 * across));
  EXPECT_EQ(frmChooseTiles->top(), std::lround(50 + 436 * down));
  EXPECT_TRUE(headless->messageBoxes().empty());
}

// The rectangle where the window's image differs from its surface: the frame.
struct Rect {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
  bool operator==(const Rect&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
  }
};
Rect frameOf(rt::Form& form) {
  const rt::Picture shown = form.shownImage();
  Rect r;
  for (int y = 0; y < form.scaleHeight(); ++y) {
    for (int x = 0; x < form.scaleWidth(); ++x) {
      if (shown.pixel(x, y) == form.surface().pixel(x, y)) continue;
      EXPECT_EQ(shown.pixel(x, y), rt::rgb(255, 0, 0));
      r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x), std::max(r.bottom, y)};
    }
  }
  return r;
}

TEST_F(SetChooser, FrameFitsAroundTheFramedOption) {
  offer({{{35}, 12, 1}, {{5, 5}, 12, 2}, {{7, 8, 9}, 12, 4}, {{29, 29}, 9, 6}, {{1, 2, 3}, 8, 7}});
  frmChooseTiles->load();
  const struct {
    int x, y, width;  // the option's tiles: top-left and width
  } options[] = {{6, 6, 30},   {104, 6, 60}, {202, 6, 90},
                 {300, 6, 60}, {6, 51, 90},  {104, 51, 90}};  // the last is Pass
  for (const auto& o : options) {
    EXPECT_EQ(frameOf(*frmChooseTiles), (Rect{o.x - 3, o.y - 3, o.x + o.width + 2, o.y + 41}))
        << "option at " << o.x << "," << o.y;
    std::int16_t right = rt::vbKeyRight;
    frmChooseTiles->Form_KeyDown(right, 0);
  }
  EXPECT_EQ(frameOf(*frmChooseTiles), (Rect{3, 3, 38, 47})) << "back to option 1";
}

}  // namespace
}  // namespace velloran
