#include "random_player.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

#include "runtime/form.h"
#include "runtime/keys.h"
#include "runtime/message_box.h"
#include "table/frm_main.h"

namespace velloran::soak {
namespace {

using Kind = rt::InputEvent::Kind;

// How often the player clicks each place of the toolbar (1 to 14): mostly the dialogs and
// switches (Level 8, Break Down 4, Music 4, High Scores 8, Rounds Setting 6, Round 4, Peek 4,
// Pause 6, Stop 2, About 8, Help 3, the spacer 1). Start Anew and Exit depend on the game.
constexpr std::array<int, 15> kToolbarWeights = {0, 0, 8, 4, 4, 8, 6, 4, 4, 6, 2, 8, 3, 1, 0};
constexpr int kStartAnew = 1;
constexpr int kExit = 14;

constexpr std::array<std::int16_t, 8> kSteering = {
    rt::vbKeyLeft,    rt::vbKeyRight,   rt::vbKeyUp,      rt::vbKeyDown,
    rt::vbKeyNumpad2, rt::vbKeyNumpad4, rt::vbKeyNumpad6, rt::vbKeyNumpad8};
// Keys that type nothing (Backspace types its control character).
constexpr std::array<std::int16_t, 13> kEditing = {
    rt::vbKeyBack,    rt::vbKeyDelete,   rt::vbKeyHome, rt::vbKeyEnd,    rt::vbKeyInsert,
    rt::vbKeyPageUp,  rt::vbKeyPageDown, rt::vbKeyF1,   rt::vbKeyF1 + 9, rt::vbKeyShift,
    rt::vbKeyControl, rt::vbKeyMenu,     rt::vbKeyPause};

bool isTable(const rt::Form& form) {
  return frmMain && &form == &*frmMain;
}

// A run of three as the game takes it: three equal ranks of one suit or one honour, or
// three ranks of one suit going up or down by one.
bool formsRun(const typTile& a, const typTile& b, const typTile& c) {
  if (a.Value == b.Value && b.Value == c.Value) {
    return a.Value != 0 && a.Suit == b.Suit && b.Suit == c.Suit;
  }
  const bool byOne = (a.Value + 1 == b.Value && b.Value + 1 == c.Value) ||
                     (a.Value == b.Value + 1 && b.Value == c.Value + 1);
  return byOne && a.Suit != 0 && a.Suit == b.Suit && b.Suit == c.Suit;
}

// What landing the falling tile in `col` is worth to a player who looks at the table: a
// run or the pair taken at once, or a neighbour of its suit for a run to come. -1 when the
// tile cannot get there.
int worth(const GameEngine& game, int col) {
  const int row = game.mintRow;
  for (int c = game.mintCol; c != col; c += col < c ? -1 : 1) {
    if (game.mudtCellTable(row, c + (col < c ? -1 : 1)).Occupied) return -1;
  }
  int landing = row;
  while (landing != 12 && !game.mudtCellTable(landing + 1, col).Occupied) ++landing;
  const typTile tile = game.mudtTileKinds[game.mintTileKindOf[game.mintCurrTile]];
  if (tile.Bonus != 0) return landing == 12 ? 1000 : landing;
  const auto at = [&](int c) -> std::optional<typTile> {
    if (c == col) return tile;
    if (c < 1 || c > 9 || !game.mudtCellTable(landing, c).Occupied) return std::nullopt;
    return tileOf(game.mudtCellTable(landing, c));
  };
  // Deeper is better: the tiles come in at the middle column, and a hand ends when that
  // column is full.
  int best = landing;
  for (int first = col - 2; first <= col; ++first) {
    const auto a = at(first), b = at(first + 1), c = at(first + 2);
    if (a && b && c && game.mintEarnedCount < 12 && formsRun(*a, *b, *c)) best = 1000;
  }
  for (int first = col - 1; first <= col; ++first) {
    const auto a = at(first), b = at(first + 1);
    if (!a || !b || a->Suit != b->Suit) continue;
    const bool pair = a->Value == b->Value && a->Value != 0;
    if (pair && !game.mblnPairEarned)
      best = std::max(best, game.mintEarnedCount >= 12 ? 1000 : 400);
    if (pair || (a->Suit != 0 && std::abs(a->Value - b->Value) <= 2))
      best = std::max(best, 200 + landing);
  }
  return best;
}

}  // namespace

Tally& Tally::operator+=(const Tally& other) {
  keys += other.keys;
  clicks += other.clicks;
  closes += other.closes;
  storms += other.storms;
  for (const auto& [window, count] : other.keysByWindow) keysByWindow[window] += count;
  return *this;
}

Session::Session(std::uint64_t seed, double timeOfDayAtStart)
    : random(seed), clock(timeOfDayAtStart) {}

void RandomPlayer::openWindow(rt::Form& form) {
  form.setHandle(&form);
}

void RandomPlayer::closeWindow(rt::Form& form) {
  form.setHandle(nullptr);
}

void RandomPlayer::present(rt::Form& form) {
  // What the window would show: the surface with its controls drawn over it. Windows
  // present at every change, the table at every step of a falling tile: composing each
  // time would be most of the soak's work, and now and then draws every control as well.
  const int every = isTable(form) ? 512 : 8;
  if (presents_[form.name()]++ % every == 0) (void)form.shownImage();
}

void RandomPlayer::messageBox(const std::string& text, const std::string& title, rt::Form* owner) {
  session_.errorBoxes.push_back({text, title});
  // The box of a real desktop, with the player at its keys too.
  rt::showMessageBox(text, title, owner);
}

bool RandomPlayer::pollEvent(rt::Form* active, rt::InputEvent& event) {
  if (!active) return false;
  if (active->name() == "frmGameSummary" && !session_.scoreSettled && frmMain) {
    // Random play seldom takes a run, and only a score reaches the high-score check, the
    // name and the file: half the games that scored nothing end as if they had.
    session_.scoreSettled = true;
    std::int32_t& score = frmMain->game.mlngScore;
    if (score == 0 && session_.chance(0.5)) {
      static constexpr std::int32_t kScores[] = {1, 2, 7, 40, 250, 1600, 99999, 2147483647};
      score = session_.chance(0.5) ? kScores[session_.below(8)] : 1 + session_.below(3000);
      ++session_.scoresGiven;
    }
  }
  // What was meant for a window that has gone, or is now under another, is not done; a key
  // storm goes on wherever the keyboard is.
  while (!planned_.empty() && !planned_.front().window.empty() &&
         planned_.front().window != active->name()) {
    planned_.pop_front();
  }
  if (planned_.empty()) plan(*active);
  if (planned_.front().due > session_.clock.monotonic()) return false;
  event = planned_.front().event;
  planned_.pop_front();
  if (event.kind == Kind::KeyDown) {
    ++session_.tally.keys;
    ++session_.tally.keysByWindow[active->name()];
  }
  return true;
}

void RandomPlayer::waitEvent(rt::Form* active, double seconds) {
  if (session_.clock.monotonic() > session_.deadline) {
    throw Stalled("the game has not ended after a day of play; '" +
                  (active ? active->name() : std::string("no window")) + "' is on top");
  }
  double wait = seconds;
  if (active) {
    if (planned_.empty()) plan(*active);
    const double next = planned_.front().due - session_.clock.monotonic();
    if (wait < 0 || next < wait) wait = next;
  }
  session_.clock.advance(wait < 0 ? 1.0 : wait);
}

void RandomPlayer::add(const rt::InputEvent& event) {
  const double start = planned_.empty() ? session_.clock.monotonic() : planned_.back().due;
  planned_.push_back({event, start + pause_, planningFor_});
  pause_ = 0;
}

void RandomPlayer::planKey(std::int16_t code, std::int16_t typed, std::int16_t shift) {
  if (code) add({Kind::KeyDown, nullptr, code, shift, 0, 0});
  if (typed) add({Kind::KeyPress, nullptr, typed, 0, 0, 0});
  if (code) add({Kind::KeyUp, nullptr, code, shift, 0, 0});
}

void RandomPlayer::planClick(int x, int y, rt::Form* target) {
  ++session_.tally.clicks;
  const std::int16_t button = session_.chance(0.9) ? 1 : 2;
  add({Kind::MouseMove, target, 0, 0, x, y});
  add({Kind::MouseDown, target, button, 0, x, y});
  add({Kind::MouseUp, target, button, 0, x, y});
}

void RandomPlayer::planToolbarClick(rt::Form& table) {
  const FrmMain& main = static_cast<FrmMain&>(table);
  const bool running = main.game.mblnGameRunning;
  // A new game at the bare table, seldom in the middle of one; Exit only when the session
  // has one to spend.
  std::array<int, 15> weight = kToolbarWeights;
  weight[kStartAnew] = !running ? 40 : (session_.restartsLeft > 0 ? 2 : 0);
  weight[kExit] = session_.exitsLeft > 0 ? 1 : 0;
  int total = 0;
  for (int w : weight) total += w;
  int roll = session_.below(total);
  int place = 1;
  while (roll >= weight[place]) roll -= weight[place++];
  if (place == kStartAnew && running) --session_.restartsLeft;
  if (place == kExit) --session_.exitsLeft;
  const rt::Toolbar& toolbar = main.tbrVLR;
  const auto& button = toolbar.buttons[static_cast<std::size_t>(place - 1)];
  planClick(toolbar.buttonLeft(place) + session_.below(button.width),
            toolbar.absoluteTop() + session_.below(toolbar.height));
}

void RandomPlayer::planKeys(int count) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) pause_ = session_.below(4) * 0.01;  // keys repeating faster than any tick
    const int roll = session_.below(100);
    if (roll < 35) {
      const std::int16_t code = kSteering[session_.below(kSteering.size())];
      // With Num Lock on, the keypad types its digit as well.
      const bool digit = code >= rt::vbKeyNumpad0 && session_.chance(0.5);
      planKey(code, digit ? static_cast<std::int16_t>('0' + code - rt::vbKeyNumpad0) : 0);
    } else if (roll < 47) {
      planKey(rt::vbKeyReturn, rt::vbKeyReturn);
    } else if (roll < 55) {
      planKey(rt::vbKeyEscape, rt::vbKeyEscape);
    } else if (roll < 60) {
      planKey(rt::vbKeyTab, rt::vbKeyTab, session_.chance(0.3) ? rt::vbShiftMask : 0);
    } else if (roll < 63) {
      planKey(rt::vbKeySpace, ' ');
    } else if (roll < 80) {
      // A letter in either case, a digit, a mark, or a character beyond ASCII that a
      // keyboard layout types without a key code of its own.
      const int kind = session_.below(10);
      if (kind < 6) {
        const auto letter = static_cast<std::int16_t>('A' + session_.below(26));
        const bool upper = session_.chance(0.4);
        planKey(letter, static_cast<std::int16_t>(upper ? letter : letter + 32),
                upper ? rt::vbShiftMask : 0);
      } else if (kind < 7) {
        const auto digit = static_cast<std::int16_t>('0' + session_.below(10));
        planKey(digit, digit);
      } else if (kind < 9) {
        planKey(0, static_cast<std::int16_t>(33 + session_.below(94)));
      } else {
        planKey(0, static_cast<std::int16_t>(128 + session_.below(128)));
      }
    } else if (roll < 88) {
      const std::int16_t code = kEditing[session_.below(kEditing.size())];
      planKey(code, rt::controlCharacterOf(code), session_.chance(0.2) ? rt::vbShiftMask : 0);
    } else {
      // The clipboard keys; now and then something new is on the clipboard first.
      if (session_.chance(0.3)) {
        std::string text(static_cast<std::size_t>(session_.below(40)), ' ');
        for (char& c : text) c = static_cast<char>(1 + session_.below(255));
        session_.clipboard = text;
      }
      const char letter = "CVX"[session_.below(3)];
      add({Kind::KeyDown, nullptr, rt::vbKeyControl, rt::vbCtrlMask, 0, 0});
      planKey(letter, static_cast<std::int16_t>(letter - 'A' + 1), rt::vbCtrlMask);
      add({Kind::KeyUp, nullptr, rt::vbKeyControl, 0, 0, 0});
    }
  }
}

void RandomPlayer::planAim(FrmMain& table) {
  const GameEngine& game = table.game;
  aimedAt_ = game.mintTilePtr;
  int best = -1;
  std::vector<int> columns;
  for (int col = 1; col <= 9; ++col) {
    const int w = worth(game, col);
    if (w > best) columns.clear();
    if (w >= best) {
      best = w;
      columns.push_back(col);
    }
  }
  pause_ = session_.below(10) * 0.02;
  const int target =
      columns[static_cast<std::size_t>(session_.below(static_cast<int>(columns.size())))];
  for (int col = game.mintCol; col != target; col += target < col ? -1 : 1) {
    planKey(target < col ? rt::vbKeyLeft : rt::vbKeyRight, 0);
  }
  if (session_.chance(0.5)) planKey(rt::vbKeyDown, 0);
}

void RandomPlayer::plan(rt::Form& active) {
  planMove(active);
  if (planned_.empty()) planKeys(1);  // an aim that needs no key
}

void RandomPlayer::planMove(rt::Form& active) {
  planningFor_ = active.name();
  const bool table = isTable(active);
  // In a lucky hand the player looks where each new tile would do most good, and takes the
  // run the chooser offers first.
  if (table) {
    GameEngine& game = static_cast<FrmMain&>(active).game;
    if (game.mintTilePtr < wallPlace_) {
      // A new hand. Now and then a lucky one when the player is not the house (a house that
      // wins stays, and the game would go on and on): the tiles to come arrive sorted by
      // kind, and the player looks where each is best put.
      luckyHand_ = game.mlngHouse != game.mlngPlayerSeat && session_.chance(session_.luckyWalls);
      if (luckyHand_) {
        // The wall's storage starts at place 1, so the tiles to come start at the offset of
        // the place of the tile dealt last.
        std::stable_sort(game.mintTileSequence.begin() + game.mintTilePtr,
                         game.mintTileSequence.end(), [&](std::int16_t a, std::int16_t b) {
                           return game.mintTileKindOf[a] < game.mintTileKindOf[b];
                         });
      }
    }
    wallPlace_ = game.mintTilePtr;
  }
  if (table && luckyHand_ && session_.chance(0.97)) {
    auto& main = static_cast<FrmMain&>(active);
    const GameEngine& game = main.game;
    if (game.mblnGameRunning && main.Timer1.enabled()) {
      if (game.mintRow >= 1 && aimedAt_ != game.mintTilePtr && main.Timer1.interval() != 5) {
        planAim(main);
      } else {
        // Watching the tile land, the mouse resting on the table.
        pause_ = 0.05 + session_.below(10) * 0.03;
        add({Kind::MouseMove, nullptr, 0, 0, session_.below(active.scaleWidth()),
             100 + session_.below(active.scaleHeight() - 100)});
      }
      return;
    }
  }
  if (active.name() == "frmChooseTiles" && luckyHand_ && session_.chance(0.97)) {
    pause_ = 0.1;
    planKey(rt::vbKeyReturn, rt::vbKeyReturn);
    return;
  }
  // The player thinks a while before each move, less in a dialog than at the table.
  pause_ = std::exponential_distribution<double>(table ? 1.0 : 3.0)(session_.random);
  const int roll = session_.below(1000);
  if (roll < 800) {
    planKeys(1);
  } else if (roll < 820) {
    // A key storm: the keyboard repeating, or a cat on it.
    ++session_.tally.storms;
    planningFor_.clear();
    planKeys(10 + session_.below(70));
  } else if (roll < 940) {
    if (table && session_.chance(0.25)) {
      planToolbarClick(active);
    } else {
      // Anywhere on a window; on the table below its toolbar, whose buttons are chosen above.
      const int top = table ? 40 : 0;
      planClick(session_.below(active.scaleWidth()),
                top + session_.below(active.scaleHeight() - top));
    }
  } else if (roll < 960) {
    if (!table && frmMain && frmMain->loaded()) {
      // A click on the table, below its toolbar, while another window is over it.
      planClick(session_.below(frmMain->scaleWidth()),
                40 + session_.below(frmMain->scaleHeight() - 40), &*frmMain);
    } else {
      planKeys(1);
    }
  } else if (roll < 975) {
    add({Kind::MouseMove, nullptr, 0, 0, session_.below(active.scaleWidth()),
         session_.below(active.scaleHeight())});
  } else if (roll < 990) {
    // The window manager's close button: on a dialog at any time, on the table (which ends
    // the program) only when the session has an exit to spend.
    if (!table || session_.exitsLeft > 0) {
      if (table) --session_.exitsLeft;
      ++session_.tally.closes;
      add({Kind::Close, nullptr, 0, 0, 0, 0});
    } else {
      planKeys(1);
    }
  } else if (roll < 991 && session_.exitsLeft > 0) {
    // The desktop session ends, whatever window is on top.
    --session_.exitsLeft;
    ++session_.tally.closes;
    add({Kind::Quit, nullptr, 0, 0, 0, 0});
  } else {
    planKeys(1);
  }
}

}  // namespace velloran::soak
