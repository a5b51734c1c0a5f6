#pragma once

#include <functional>

namespace ciphora {

// The bench's four timing experiments. Each builds a large text of the letter
// X in its own shape, one append at a time exactly as described (nothing is
// reserved in advance, nothing joined in one step where pieces are appended),
// and reports elapsed seconds of the time-of-day timer to `report` at the
// moments its timing lines are due.
using TimingReport = std::function<void(double seconds)>;

// 400 lines of 500 X built character by character, in ten passes of 40
// lines; a figure after every pass and one for the whole.
void SpeedTest(const TimingReport& report);
// 250 lines of 800 X built character by character.
void SpeedTest2(const TimingReport& report);
// 701 lines of 1020 X made whole, held in an array, then joined.
void SpeedTest3(const TimingReport& report);
// 11 blocks of 60000 X held in fixed-length slots, then joined.
void SpeedTest4(const TimingReport& report);

}  // namespace ciphora
