#pragma once
// A table window that shows nothing and answers every question with "no": for the
// benchmark and for tests that need a game but no window. Override what matters.

#include "engine/table_window_port.h"

namespace velloran {

class QuietTableWindow : public TableWindowPort {
 public:
  void msDrawTile() override {}
  void msDrawPlayArea() override {}
  void msDrawEarnedTiles() override {}
  void msDrawNexTile() override {}
  void msDrawRound() override {}
  void msDrawSeats() override {}
  void msGenerateLightning() override {}
  void msDrawLightning() override {}
  void mmcVLR_StopClick() override {}
  bool mblnfHiScore() override { return false; }
  void clearWork() override {}
  void eraseFallingTile(std::int16_t, std::int16_t) override {}
  void printOnWork(std::int16_t, std::int16_t, const std::string&, std::int32_t, const std::string&,
                   std::int16_t, bool) override {}
  void presentWork() override {}
  SetChoice chooseSet(const DynamicArray<std::int16_t>&,
                      const DynamicArray<std::int16_t>&) override {
    return {};
  }
  void showBreakDown() override {}
  void showGameSummary(std::int16_t, std::int16_t, std::int16_t) override {}
  void showHiScores() override {}
  bool timerEnabled() const override { return timerEnabled_; }
  void setTimerEnabled(bool enabled) override { timerEnabled_ = enabled; }
  std::int32_t timerInterval() const override { return interval_; }
  void setTimerInterval(std::int32_t milliseconds) override { interval_ = milliseconds; }
  void doEvents() override {}

 private:
  bool timerEnabled_ = false;
  std::int32_t interval_ = 500;
};

}  // namespace velloran
