// The song: played over and over while the Music option is on, through the sequencer
// device whose status event starts it again each time it has played to its end.

#include "base/trap.h"
#include "table/frm_main.h"

namespace velloran {

bool gblnfInitMCI(rt::MultimediaControl& device, bool firstSetting, bool secondSetting,
                  std::int16_t interval, const std::string& fileName,
                  const std::string& deviceType) {
  bool result = false;
  trap("gblnfInitMCI", [&] {
    device.setFirstSetting(firstSetting);
    device.setSecondSetting(secondSetting);
    device.setUpdateInterval(interval);
    device.setFileName(fileName);
    device.setDeviceType(deviceType);
    if (device.mode() != rt::kModeOpen) device.setCommand("Open");
    result = true;
  });
  return result;
}

void FrmMain::msToggleMusic() {
  trap("msToggleMusic", [&] {
    if (game.mlngRoundWind == 0 || !game.mblnMciOK) return;
    if (game.mblnMusicOn) {
      mmcVLR_PlayClick(0);
    } else {
      mmcVLR_StopClick(0);
    }
  });
}

// The song starts at the next status event.
void FrmMain::mmcVLR_PlayClick(std::int16_t) {
  mmcVLR.setUpdateInterval(55);
}

void FrmMain::mmcVLR_StopClick() {
  mmcVLR_StopClick(0);
}

void FrmMain::mmcVLR_StopClick(std::int16_t) {
  mmcVLR.setUpdateInterval(0);
  mmcVLR.setCommand("Stop");
  mmcVLR.setCommand("Prev");
}

void FrmMain::mmcVLR_StatusUpdate() {
  // A device event: nothing above it could report an error, so it reports its own.
  trap("mmcVLR_StatusUpdate", [&] {
    if (mmcVLR.mode() == rt::kModeStopped) {
      mmcVLR.setCommand("Next");
      mmcVLR.setCommand("Play");
    }
  });
}

}  // namespace velloran
