#include "TableGenerator.h"

#include <cmath>

namespace ciphora {

void TableGenerator::Clear() {
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value) cells_[stage][value] = 0;
}

void TableGenerator::BeginStage(int stage) {
    stage_ = stage;
    count_ = 0;
}

TableGenerator::Press TableGenerator::PressAt(float timerReading) {
    auto& column = cells_[stage_];
    if (count_ >= kLastPlaced) {
        for (int value = 0; value < 256; ++value)
            if (column[value] == 0) column[value] = ++count_;
        return Press::StageComplete;
    }
    const float fraction = timerReading - std::floor(timerReading);
    const int r = static_cast<int>(std::floor(fraction * 256.0f));
    for (int candidate = r; candidate < r + kCandidates && candidate <= 255; ++candidate) {
        if (column[candidate] == 0) {
            column[candidate] = ++count_;
            return Press::Placed;
        }
    }
    return Press::Wasted;
}

void TableGenerator::Finish() {
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value) --cells_[stage][value];
}

std::vector<std::string> TableGenerator::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(std::size_t{2} * kStages * 256);
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value)
            lines.push_back("lngKE(" + std::to_string(value) + "," + std::to_string(stage) +
                            ") = " + std::to_string(cells_[stage][value]) + "\r\n");
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value)
            lines.push_back("lngKD(" + std::to_string(cells_[stage][value]) + "," + std::to_string(stage) +
                            ") = " + std::to_string(value) + "\r\n");
    return lines;
}

SubstitutionTables TableGenerator::Tables() const {
    SubstitutionTables tables;
    for (int stage = 0; stage < kStages; ++stage)
        for (int value = 0; value < 256; ++value) {
            const auto cell = static_cast<Byte>(cells_[stage][value]);
            tables.lngKE(value, stage) = cell;
            tables.lngKD(cell, stage) = static_cast<Byte>(value);
        }
    return tables;
}

}  // namespace ciphora
