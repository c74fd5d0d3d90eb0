// Comparing tariffs field by field, shared by the tests that save and load them.
#pragma once
#include <gtest/gtest.h>

#include "tariff/tariff.h"

namespace tarifftest {

// Every stored field of the two tariffs is the same (the totals are not compared).
inline void ExpectSameTariff(const TariffRecord& a, const TariffRecord& b)
{
#define SAME(field) EXPECT_EQ(a.field, b.field) << #field
    SAME(Id); SAME(Description); SAME(RasName); SAME(SecsPerUnit); SAME(Rounding); SAME(AccumulateBeforeRounding);
    SAME(PeriodToBill); SAME(BillingDate); SAME(PeriodicFee); SAME(PrepaidMethod); SAME(PrepaidCharge);
    SAME(PrepaidFrame); SAME(OffsetsConnectCharge); SAME(DefaultFrame); SAME(NumFrames); SAME(FrameCharges);
    SAME(FrameNames); SAME(Schedules); SAME(NumExceptions); SAME(DayExceptions); SAME(FrameForExceptions);
    SAME(ConnectCharge); SAME(MinCharge); SAME(TollFree); SAME(PeriodStart); SAME(PeriodEnd);
#undef SAME
}

} // namespace tarifftest
