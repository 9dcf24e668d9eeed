#include <gtest/gtest.h>

#include <cstdint>

#include "textscan/DateExpression.h"
#include "textscan/Regional.h"
#include "textscan/TimeScale.h"

namespace qx {
namespace {

// Wednesday 2009-05-13 10:15:30.
const std::int32_t Reference = DateTimeSeconds(2009, 5, 13, 10, 15, 30);

std::int32_t At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return DateTimeSeconds(year, month, day, hour, minute, second);
}

struct Case {
    const char* Text;
    std::int32_t Expected;
};

void ExpectAll(const Case* begin, const Case* end, std::int32_t reference) {
    for (const Case* c = begin; c != end; ++c) {
        EXPECT_EQ(EvaluateDateExpression(c->Text, reference), c->Expected) << '"' << c->Text << '"';
    }
}

TEST(DateExpression, Keywords) {
    const Case cases[] = {
        {"NOW", Reference},
        {"  now  ", Reference},
        {"TODAY", At(2009, 5, 13)},
        {"Tomorrow", At(2009, 5, 14)},
        {"YESTERDAY", At(2009, 5, 12)},
        {"LAST 2 DAYS", At(2009, 5, 11)},
        {"LAST 3 DAYS", At(2009, 5, 10)},
        {"LAST 5 DAYS", At(2009, 5, 8)},
        {"NEXT HOUR", At(2009, 5, 13, 11)},
        {"LAST HOUR", At(2009, 5, 13, 9)},
        {"LAST 2 HOURS", At(2009, 5, 13, 8)},
        {"LAST 3 HOURS", At(2009, 5, 13, 7)},
        {"LAST 6 HOURS", At(2009, 5, 13, 4)},
        {"LAST 12 HOURS", At(2009, 5, 12, 22)},
        {"THIS WEEK", At(2009, 5, 10)},  // day - weekday (3)
        {"NEXT WEEK", At(2009, 5, 17)},  // day + 7 - weekday
        {"LAST WEEK", At(2009, 5, 3)},   // day - (weekday + 7)
        {"THIS MONTH", At(2009, 5, 1)},
        {"NEXT MONTH", At(2009, 6, 1)},
        {"LAST MONTH", At(2009, 4, 1)},
        {"THIS YEAR", At(2009, 1, 1)},
        {"NEXT YEAR", At(2010, 1, 1)},
        {"LAST YEAR", At(2008, 1, 1)},
        {"SOMETIME", At(2009, 5, 13, 10)},  // unknown word: top of the hour
        {"", At(2009, 5, 13, 10)},
    };
    ExpectAll(std::begin(cases), std::end(cases), Reference);
}

TEST(DateExpression, KeywordsAcrossYearEnd) {
    const Case cases[] = {
        {"NEXT MONTH", At(2010, 1, 1)},
        {"TOMORROW", At(2010, 1, 1)},
        {"NEXT WEEK", At(2010, 1, 3)},  // Thursday 31st + 3
    };
    ExpectAll(std::begin(cases), std::end(cases), At(2009, 12, 31, 18, 5, 0));
}

TEST(DateExpression, Offsets) {
    const Case cases[] = {
        {"NOW+01:30:00", Reference + 5400},
        {"NOW-01:30:00", Reference - 5400},
        {"now - 01:30:00 ", Reference - 5400},
        {"TODAY+1:30", At(2009, 5, 13, 1, 30)},
        {"TODAY+:30", At(2009, 5, 13, 0, 30)},        // absent hour
        {"TODAY+x:30:5", At(2009, 5, 13, 0, 30, 5)},  // non-numeric hour
        {"TODAY+36", At(2009, 5, 14, 12)},
        {"NOW-", Reference},
        {"-", At(2009, 5, 13, 10)},
        {"NOW+1+2", Reference},  // "1+2" is not a number
        {"TODAY+0/1/0", At(2009, 5, 14)},
        {"TODAY+0/0/1", At(2010, 5, 13)},  // year part added to the year
        {"TODAY-0/0/0 01:00:00", At(2009, 5, 12, 23)},
        {"THIS MONTH+08/0/0", At(2010, 1, 1)},
        {"THIS MONTH-05/0/0", At(2008, 12, 1)},
        {"THIS MONTH-12/0/0", At(2008, 5, 1)},
        {"LAST MONTH-12/0/0", At(2008, 4, 1)},  // thirteen months back
        {"THIS MONTH-29/0/0", At(2006, 12, 1)},
        {"LAST YEAR-0/0/3", At(2005, 1, 1)},
    };
    ExpectAll(std::begin(cases), std::end(cases), Reference);
}

TEST(DateExpression, AbsoluteBases) {
    const Case cases[] = {
        {"05/12/2009 10:15:00", 768824100},
        {"  05/12/2009 10:15:00", 768824100},
        {"05/12/2009 10:15:00+00:00:10", 768824110},
        {"05/12/2009 10:15:00-0/1/0", 768824100 - 86400},
        {"05/12/2009", At(2009, 5, 12)},
        {"05/12", DateTimeSeconds(0, 5, 12, 0, 0, 0)},  // no year: before 1985
        {"05/12/2009 10", At(2009, 5, 12, 10)},
        {"13/12/2009", At(2010, 1, 12)},  // month folded into the year
        {"10:15:00", 36900},              // time only: day number 0
        {"05/12/09 10:15:00", 36900},     // two-digit year: day number 0
    };
    ExpectAll(std::begin(cases), std::end(cases), Reference);
}

TEST(DateExpression, RegionalSeparators) {
    {
        ScopedRegional pin('.', ':');
        const Case cases[] = {
            {"05.12.2009 10:15:00", 768824100},
            {"05/12/2009 10:15:00", 768824100},  // "/" is always a date separator
            {"TODAY+0.1.0", At(2009, 5, 14)},
        };
        ExpectAll(std::begin(cases), std::end(cases), Reference);
    }
    {
        ScopedRegional pin('/', '.');
        const Case cases[] = {
            {"NOW+01.30.00", Reference + 5400},
            {"NOW+01:30:00", Reference},  // ":" is no separator here: not a number
            {"05/12/2009 10.15.00", 768824100},
        };
        ExpectAll(std::begin(cases), std::end(cases), Reference);
    }
}

TEST(DateExpression, WrapsWithoutOverflow) {
    const Case cases[] = {
        {"NOW+596524:0:0",
         static_cast<std::int32_t>(static_cast<std::int64_t>(Reference) + 2147486400)},
        {"NOW-596524:0:0",
         static_cast<std::int32_t>(static_cast<std::int64_t>(Reference) - 2147486400)},
        {"05/12/2053 10:00:00",
         static_cast<std::int32_t>(static_cast<std::int64_t>(DayNumber(2053, 5, 12)) * 86400 +
                                   36000)},
    };
    ExpectAll(std::begin(cases), std::end(cases), Reference);

    // Absurd numbers must not overflow; any result will do.
    for (const char* text :
         {"99999999999999999999/99999999999999/99999999999 9999999999:99999999999:9999999",
          "LAST YEAR-99999999999/99999999999/99999999999 99999999:9999999999:99999999",
          "NEXT YEAR+99999999999/99999999999/99999999999 99999999:9999999999:99999999"}) {
        (void)EvaluateDateExpression(text, Reference);
        (void)EvaluateDateExpression(text, INT32_MAX);
        (void)EvaluateDateExpression(text, INT32_MIN);
    }
}

TEST(DateExpression, ZeroReferenceMeansNow) {
    const std::int32_t before = NowSeconds();
    const std::int32_t value = EvaluateDateExpression("NOW", 0);
    const std::int32_t after = NowSeconds();
    EXPECT_GE(value, before);
    EXPECT_LE(value, after);
}

}  // namespace
}  // namespace qx
