#include <gtest/gtest.h>

#include <set>

#include "cipher/SubstitutionTables.h"

namespace ciphora {
namespace {

TEST(SubstitutionTables, EveryStageIsAPermutationAndItsInverse) {
    const SubstitutionTables& tables = DefaultSubstitutionTables();
    for (int stage = 0; stage < kStages; ++stage) {
        std::set<int> values;
        for (int v = 0; v < 256; ++v) {
            values.insert(tables.lngKE(v, stage));
            EXPECT_EQ(tables.lngKE(tables.lngKD(v, stage), stage), v) << "stage " << stage;
            EXPECT_EQ(tables.lngKD(tables.lngKE(v, stage), stage), v) << "stage " << stage;
        }
        EXPECT_EQ(values.size(), 256u);
    }
}

TEST(SubstitutionTables, StagesDifferAndUnusedCellsStayZero) {
    const SubstitutionTables& tables = DefaultSubstitutionTables();
    for (int a = 0; a < kStages; ++a)
        for (int b = a + 1; b < kStages; ++b) {
            bool differ = false;
            for (int v = 0; v < 256; ++v) differ |= tables.lngKE(v, a) != tables.lngKE(v, b);
            EXPECT_TRUE(differ) << a << " and " << b;
        }
    for (int stage = 0; stage <= 5; ++stage) {
        EXPECT_EQ(tables.lngKE(256, stage), 0);
        EXPECT_EQ(tables.lngKD(256, stage), 0);
    }
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(tables.lngKE(v, 5), 0);
        EXPECT_EQ(tables.lngKD(v, 5), 0);
    }
}

}  // namespace
}  // namespace ciphora
