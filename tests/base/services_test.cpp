#include "base/services.h"
#include "app/procedure_steps.h"
#include "base/failure.h"

#include <gtest/gtest.h>

namespace inboxhop {
namespace {

// The table's order is the order the codes are tested in, and the step
// numbers are the ones the error report box shows for each service.
TEST(Services, CodesLinesAndOrder) {
    const struct {
        const wchar_t* code;
        int startUpTest, startUpSelect, handOffTest, handOffOpen;
    } expected[kServiceCount] = {
        {L"1", 132, 134, 154, 156},
        {L"2", 136, 138, 158, 160},
        {L"3", 140, 142, 162, 164},
        {L"4", 144, 146, 166, 168},
    };
    for (int i = 0; i < kServiceCount; ++i) {
        const Service& s = kServices[i];
        EXPECT_EQ(s.code, expected[i].code);
        EXPECT_EQ(kServiceSteps[i].startUpTest, expected[i].startUpTest);
        EXPECT_EQ(kServiceSteps[i].startUpSelect, expected[i].startUpSelect);
        EXPECT_EQ(kServiceSteps[i].handOffTest, expected[i].handOffTest);
        EXPECT_EQ(kServiceSteps[i].handOffOpen, expected[i].handOffOpen);
        EXPECT_EQ(FindService(s.code), &s);
    }
    EXPECT_EQ(FindService(L"5"), nullptr);
}

TEST(DecimalText, WritesWholeNumbers) {
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(138), L"138");
    EXPECT_EQ(DecimalText(-7), L"-7");
    EXPECT_EQ(DecimalText(-9223372036854775807LL - 1), L"-9223372036854775808");
}

}  // namespace
}  // namespace inboxhop
