#include "soak_settings.h"

#include <sanitizer/common_interface_defs.h>

#include <cstdio>

namespace velloran::soak {
namespace {

// A plain buffer: leaks are looked for after the program's strings have gone.
char doing[256] = "starting";

void sayWhatWasDoing() {
  std::fprintf(stderr, "\nsoak: stopped while %s\n", doing);
}

void nowDoing(const std::string& what) {
  std::snprintf(doing, sizeof doing, "%s", what.c_str());
  __sanitizer_set_death_callback(sayWhatWasDoing);
}

}  // namespace

SeedInPlay::SeedInPlay(const std::string& what, long seed, const std::string& alone)
    : note_(what + " seed " + std::to_string(seed) +
            " (replay: VELLORAN_SOAK_FIRST_SEED=" + std::to_string(seed) + " " + alone + ")"),
      trace_(__FILE__, __LINE__, note_) {
  nowDoing(note_);
}

SeedInPlay::~SeedInPlay() {
  nowDoing("ending, after the last seed (leaks are looked for at exit)");
}

}  // namespace velloran::soak

// The undefined-behaviour checker has a runtime of its own that calls this after each report
// (and then stops the program): the address checker's death callback never hears of it.
extern "C" void __ubsan_on_report() {
  velloran::soak::sayWhatWasDoing();
}
