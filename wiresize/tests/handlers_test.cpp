// ACCEPT and the three CHANGE buttons on a headless form: the texts they leave, the shared values
// they store, the order of their field accesses, and what a failed step leaves behind.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "../../numtext/tests/case_name.h"
#include "../../numtext/tests/recording_form.h"
#include "app/memory_form.h"
#include "gauge_table_rows.h"
#include "numtext/numtext.h"
#include "wiresize/wiresize.h"

namespace brimalox {
namespace {

using testing::RecordingForm;
using Handler = void (*)(Form&, Mod1&);

using testing::allTexts;

// ---- ACCEPT ----

struct AcceptCase {
    const char* frequency;
    const char* mm;
    const char* inch;
    const char* awg;
};

class Accept : public ::testing::TestWithParam<AcceptCase> {};
TEST_P(Accept, WritesTheRecommendedConductorInThreeUnits) {
    const AcceptCase& c = GetParam();
    MemoryForm form;
    form.setText(Field::Text2, c.frequency);
    form.setText(Field::Text4, "stale");  // the AWG field must be written on every row
    Mod1 shared;
    accept(form, shared);
    EXPECT_EQ(form.text(Field::Text8), c.mm);
    EXPECT_EQ(form.text(Field::Text6), c.inch);
    EXPECT_EQ(form.text(Field::Text4), c.awg);
    EXPECT_EQ(form.text(Field::Text2), c.frequency);
    EXPECT_EQ(shared.designFrequency, parseSingle(c.frequency).value);
}
INSTANTIATE_TEST_SUITE_P(
    Wiresize, Accept,
    ::testing::Values(AcceptCase{"146", "1.626", "0.064", "14"}, AcceptCase{"146.00", "1.626", "0.064", "14"},
                      AcceptCase{"50", "4.748", "0.187", "5"}, AcceptCase{"222", "1.069", "0.042", "18"},
                      AcceptCase{"440", "0.54", "0.021", "24"},
                      AcceptCase{"1296", "0.183", "0.007", "34"},  // the unrounded 0.00721 would give 33
                      AcceptCase{"2400", "0.099", "0.004", "38"}, AcceptCase{"5000", "0.047", "0.002", "99999"},
                      AcceptCase{"21", "11.305", "0.445", "90009"}, AcceptCase{"7", "33.914", "1.336", "99999"},
                      AcceptCase{"-146", "-1.626", "-0.064", "99999"}, AcceptCase{"3000", "0.079", "0.003", "40"}),
    BRIMALOX_CASE_NAMES(.frequency));  // 0.003 is inside the lower bound: the thinnest row

TEST(Accept, DefaultFrequencyReproducesTheStartUpTexts) {
    MemoryForm form;
    const MemoryForm startUp;
    Mod1 shared;
    accept(form, shared);
    EXPECT_EQ(form.text(Field::Text8), startUp.text(Field::Text8));
    EXPECT_EQ(form.text(Field::Text4), startUp.text(Field::Text4));
    EXPECT_EQ(form.text(Field::Text6), "0.064");  // the default ".064" gets its leading zero
}

// ---- CHANGE below the AWG field ----

struct GaugeCase {
    const char* awg;
    const char* inch;
    const char* mm;
};

class ChangeGauge : public ::testing::TestWithParam<GaugeCase> {};
TEST_P(ChangeGauge, WritesTheTableDiameterAndItsMillimetres) {
    const GaugeCase& c = GetParam();
    MemoryForm form;
    form.setText(Field::Text4, c.awg);
    form.setText(Field::Text6, "1.336");  // what ACCEPT leaves at 7 MHz
    Mod1 shared;
    changeGauge(form, shared);
    EXPECT_EQ(form.text(Field::Text6), c.inch);
    EXPECT_EQ(form.text(Field::Text8), c.mm);
    EXPECT_EQ(form.text(Field::Text4), c.awg);  // never rewritten
    EXPECT_EQ(shared.convertedDiameter, parseSingle(c.inch).value);
}
INSTANTIATE_TEST_SUITE_P(Wiresize, ChangeGauge,
                         ::testing::Values(GaugeCase{"40", "0.0031", "0.08"}, GaugeCase{"38", "0.004", "0.1"},
                                           GaugeCase{"30", "0.01", "0.25"}, GaugeCase{"18", "0.04", "1.02"},
                                           GaugeCase{"14", "0.064", "1.62"}, GaugeCase{"8", "0.128", "3.25"},
                                           GaugeCase{"0", "0.325", "8.25"}, GaugeCase{"9009", "0.365", "9.26"},
                                           GaugeCase{"90009", "0.41", "10.41"}, GaugeCase{"900009", "0.46", "11.68"},
                                           GaugeCase{"14.0", "0.064", "1.62"}, GaugeCase{" 8 ", "0.128", "3.25"},
                                           GaugeCase{"-0", "0.325", "8.25"}, GaugeCase{"1.4E1", "0.064", "1.62"},
                                           // No row: the inch field keeps its text and the millimetres follow it.
                                           GaugeCase{"99999", "1.336", "33.91"}, GaugeCase{"41", "1.336", "33.91"},
                                           GaugeCase{"14.5", "1.336", "33.91"}, GaugeCase{"-1", "1.336", "33.91"},
                                           GaugeCase{"1E39", "1.336", "33.91"}),
                         BRIMALOX_CASE_NAMES(.awg));

TEST(ChangeGauge, EveryRowRoundTripsToItsDecimalDiameter) {
    for (const auto& row : testing::kExpectedRows) {
        MemoryForm form;
        form.setText(Field::Text4, integerToText(row.code));
        Mod1 shared;
        changeGauge(form, shared);
        EXPECT_EQ(form.text(Field::Text6), row.inches) << row.code;
    }
}

TEST(ChangeGauge, RightAfterAcceptRewritesTheSameInchesAndTwoPlaceMillimetres) {
    MemoryForm form;
    Mod1 shared;
    accept(form, shared);
    changeGauge(form, shared);
    EXPECT_EQ(form.text(Field::Text6), "0.064");
    EXPECT_EQ(form.text(Field::Text8), "1.62");
    EXPECT_EQ(form.text(Field::Text4), "14");
}

TEST(Wiresize, RoadOfOneDesignAcceptThenThickerGauge) {
    MemoryForm form;
    Mod1 shared;
    form.setText(Field::Text2, "50");
    accept(form, shared);
    EXPECT_EQ(form.text(Field::Text8), "4.748");
    EXPECT_EQ(form.text(Field::Text6), "0.187");
    EXPECT_EQ(form.text(Field::Text4), "5");
    form.setText(Field::Text4, "8");
    changeGauge(form, shared);
    EXPECT_EQ(form.text(Field::Text6), "0.128");
    EXPECT_EQ(form.text(Field::Text8), "3.25");
}

// ---- CHANGE below the inch and millimetre fields ----

struct DiameterCase {
    const char* typed;
    const char* other;
    const char* awg;
};

class ChangeInches : public ::testing::TestWithParam<DiameterCase> {};
TEST_P(ChangeInches, WritesTwoPlaceMillimetresAndTheGaugeOfTheTypedText) {
    const DiameterCase& c = GetParam();
    MemoryForm form;
    form.setText(Field::Text6, c.typed);
    form.setText(Field::Text4, "stale");
    Mod1 shared;
    changeInches(form, shared);
    EXPECT_EQ(form.text(Field::Text8), c.other);
    EXPECT_EQ(form.text(Field::Text4), c.awg);
    EXPECT_EQ(form.text(Field::Text6), c.typed);  // stays exactly as typed
    EXPECT_EQ(shared.enteredInchDiameter, parseSingle(c.typed).value);
}
INSTANTIATE_TEST_SUITE_P(
    Wiresize, ChangeInches,
    ::testing::Values(DiameterCase{".064", "1.62", "14"},
                      DiameterCase{"0.0253", "0.64", "22"},  // as a single it lies below the row and would give 23
                      DiameterCase{"0.325", "8.25", "0"}, DiameterCase{"0.365", "9.26", "9009"},
                      DiameterCase{"0.46", "11.68", "900009"}, DiameterCase{"0.48", "12.18", "99999"},
                      DiameterCase{"0.3249", "8.25", "1"}, DiameterCase{"0.459", "11.65", "90009"},
                      DiameterCase{"0.47", "11.93", "900009"}, DiameterCase{"1", "25.38", "99999"},
                      DiameterCase{"0.0031", "0.08", "40"}, DiameterCase{"0.0029", "0.07", "99999"},
                      DiameterCase{"0.003", "0.08", "40"}, DiameterCase{"0.00305", "0.08", "40"},
                      DiameterCase{"0", "0", "99999"}, DiameterCase{"-1", "-25.38", "99999"},
                      DiameterCase{"-0", "0", "99999"}, DiameterCase{" .128\t", "3.25", "8"}),
    BRIMALOX_CASE_NAMES(.typed));

class ChangeMillimetres : public ::testing::TestWithParam<DiameterCase> {};
TEST_P(ChangeMillimetres, WritesThreePlaceInchesAndTheGaugeOfThoseInches) {
    const DiameterCase& c = GetParam();
    MemoryForm form;
    form.setText(Field::Text8, c.typed);
    form.setText(Field::Text4, "stale");
    Mod1 shared;
    changeMillimetres(form, shared);
    EXPECT_EQ(form.text(Field::Text6), c.other);
    EXPECT_EQ(form.text(Field::Text4), c.awg);
    EXPECT_EQ(form.text(Field::Text8), c.typed);
    EXPECT_EQ(shared.convertedDiameter, parseSingle(c.typed).value);
}
INSTANTIATE_TEST_SUITE_P(Wiresize, ChangeMillimetres,
                         ::testing::Values(DiameterCase{"1.626", "0.064", "14"}, DiameterCase{"12.18", "0.48", "99999"},
                                           DiameterCase{"12.17", "0.479", "900009"},
                                           DiameterCase{"10", "0.394", "9009"}, DiameterCase{"25.4", "1.001", "99999"},
                                           DiameterCase{"0.06", "0.002", "99999"}, DiameterCase{"0.09", "0.004", "38"},
                                           DiameterCase{"0", "0", "99999"}, DiameterCase{"0.07", "0.003", "40"},
                                           DiameterCase{"0.08", "0.003", "40"}, DiameterCase{"1.6", "0.063", "15"},
                                           DiameterCase{"-1.626", "-0.064", "99999"}),
                         BRIMALOX_CASE_NAMES(.typed));

// ---- sweeps against the integer model of the table ----

// Typed inch texts with one to five decimals: the code shown is that of the thickest row not above
// the value, by integer arithmetic on the digits; the millimetres are printf's two-place rounding.
TEST(ChangeInchesSweep, GaugeIsTheThickestRowNotAboveTheTypedValue) {
    std::mt19937 rng(31337);
    std::uniform_int_distribution<int> places(1, 5);
    std::uniform_int_distribution<long> units(0, 60000);  // 0 .. 0.6 inch in 10^-5
    for (int i = 0; i < 20000; ++i) {
        const int n = places(rng);
        long scale = 1;
        for (int k = n; k < 5; ++k)
            scale *= 10;
        const long value = units(rng) / scale * scale;
        char digits[16];
        std::snprintf(digits, sizeof digits, "%05ld", value);
        std::string text = std::string(i % 3 ? "0." : ".") + std::string(digits).substr(0, n);
        MemoryForm form;
        form.setText(Field::Text6, text);
        Mod1 shared;
        changeInches(form, shared);
        ASSERT_EQ(form.text(Field::Text4), integerToText(testing::expectedCode(value))) << text;
        char mm[32];
        std::snprintf(mm, sizeof mm, "%.2f", static_cast<double>(std::strtof(text.c_str(), nullptr)) / 0.0394);
        ASSERT_EQ(parseDouble(form.text(Field::Text8)).value, std::strtod(mm, nullptr)) << text;
    }
}

// Every millimetre text from 0.00 to 13.00: the lookup sees the three-place inches, which never
// fall on 39 (0.0035), 37 (0.0045) or 33 (0.0071).
TEST(ChangeMillimetresSweep, GaugeFollowsTheThreePlaceInchText) {
    for (int hundredths = 0; hundredths <= 1300; ++hundredths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
        MemoryForm form;
        form.setText(Field::Text8, text);
        Mod1 shared;
        changeMillimetres(form, shared);
        char inch[32];
        std::snprintf(inch, sizeof inch, "%.3f", static_cast<double>(std::strtof(text, nullptr)) * 0.0394);
        ASSERT_EQ(parseDouble(form.text(Field::Text6)).value, std::strtod(inch, nullptr)) << text;
        const long thousandths = std::lround(std::strtod(inch, nullptr) * 1000);
        const std::string awg = form.text(Field::Text4);
        ASSERT_EQ(awg, integerToText(testing::expectedCode(thousandths * 100))) << text;
        ASSERT_NE(awg, "39") << text;
        ASSERT_NE(awg, "37") << text;
        ASSERT_NE(awg, "33") << text;
    }
}

// ---- failures ----

struct FailureCase {
    const char* name;
    Handler handler;
    std::map<Field, const char*> typed;
    FailureKind kind;
    const char* stepMentions;
    std::map<Field, const char*> written;  // fields the click changed before it stopped
    std::function<void(const Mod1&)> sharedAfter;
};

class WiresizeFailure : public ::testing::TestWithParam<FailureCase> {};
TEST_P(WiresizeFailure, StopsAtTheFailingStepLeavingEarlierWrites) {
    const FailureCase& c = GetParam();
    MemoryForm form;
    for (const auto& [field, text] : c.typed)
        form.setText(field, text);
    std::vector<std::string> expected = allTexts(form);
    for (const auto& [field, text] : c.written)
        expected[static_cast<int>(field) - 1] = text;
    Mod1 shared;
    shared.designFrequency = 7;
    shared.convertedDiameter = 0.5f;
    shared.enteredInchDiameter = 0.25f;
    try {
        c.handler(form, shared);
        FAIL() << "no failure";
    } catch (const ClickFailure& failure) {
        EXPECT_EQ(failure.kind(), c.kind);
        EXPECT_EQ(failure.family(),
                  c.kind == FailureKind::DivisionByZero ? FailureFamily::FloatingPoint : FailureFamily::Conversion);
        EXPECT_NE(failure.where().find(c.stepMentions), std::string::npos) << failure.where();
    }
    EXPECT_EQ(allTexts(form), expected);
    c.sharedAfter(shared);
}

const auto untouched = [](const Mod1& s) {
    EXPECT_EQ(s.designFrequency, 7.0f);
    EXPECT_EQ(s.convertedDiameter, 0.5f);
    EXPECT_EQ(s.enteredInchDiameter, 0.25f);
};

INSTANTIATE_TEST_SUITE_P(
    Wiresize, WiresizeFailure,
    ::testing::Values(
        FailureCase{"AcceptEmpty", accept, {{Field::Text2, ""}}, FailureKind::TypeMismatch, "Text2", {}, untouched},
        FailureCase{"AcceptWord", accept, {{Field::Text2, "abc"}}, FailureKind::TypeMismatch, "Text2", {}, untouched},
        FailureCase{
            "AcceptTooLargeForSingle", accept, {{Field::Text2, "1E39"}}, FailureKind::Overflow, "Text2", {}, untouched},
        FailureCase{"AcceptZero",
                    accept,
                    {{Field::Text2, "0"}},
                    FailureKind::DivisionByZero,
                    "frequency",
                    {},
                    [](const Mod1& s) { EXPECT_EQ(s.designFrequency, 0.0f); }},
        FailureCase{"AcceptMinusZero",
                    accept,
                    {{Field::Text2, "-0"}},
                    FailureKind::DivisionByZero,
                    "frequency",
                    {},
                    [](const Mod1& s) { EXPECT_EQ(s.designFrequency, 0.0f); }},
        FailureCase{"GaugeEmpty", changeGauge, {{Field::Text4, ""}}, FailureKind::TypeMismatch, "Text4", {}, untouched},
        FailureCase{"GaugeTooLargeForDouble",
                    changeGauge,
                    {{Field::Text4, "1E999"}},
                    FailureKind::Overflow,
                    "Text4",
                    {},
                    untouched},
        FailureCase{"GaugeUnmatchedBadInches",
                    changeGauge,
                    {{Field::Text4, "41"}, {Field::Text6, "abc"}},
                    FailureKind::TypeMismatch,
                    "Text6",
                    {},
                    untouched},
        FailureCase{"GaugeUnmatchedInchesTooLarge",
                    changeGauge,
                    {{Field::Text4, "41"}, {Field::Text6, "1E39"}},
                    FailureKind::Overflow,
                    "Text6",
                    {},
                    untouched},
        FailureCase{
            "InchesEmpty", changeInches, {{Field::Text6, ""}}, FailureKind::TypeMismatch, "Text6", {}, untouched},
        FailureCase{
            "InchesWord", changeInches, {{Field::Text6, "thick"}}, FailureKind::TypeMismatch, "Text6", {}, untouched},
        FailureCase{
            "InchesTooLarge", changeInches, {{Field::Text6, "1E39"}}, FailureKind::Overflow, "Text6", {}, untouched},
        FailureCase{"MillimetresEmpty",
                    changeMillimetres,
                    {{Field::Text8, "  "}},
                    FailureKind::TypeMismatch,
                    "Text8",
                    {},
                    untouched},
        FailureCase{"MillimetresComma",
                    changeMillimetres,
                    {{Field::Text8, "1,5"}},
                    FailureKind::TypeMismatch,
                    "Text8",
                    {},
                    untouched},
        FailureCase{"MillimetresTooLarge",
                    changeMillimetres,
                    {{Field::Text8, "1E39"}},
                    FailureKind::Overflow,
                    "Text8",
                    {},
                    untouched}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---- order of field accesses, and a field that cannot be accessed ----

using Kind = RecordingForm::Access::Kind;
struct OrderCase {
    const char* name;
    Handler handler;
    std::map<Field, const char*> typed;
    std::vector<std::pair<Kind, const char*>> accesses;
};

class WiresizeAccessOrder : public ::testing::TestWithParam<OrderCase> {};

void prepare(RecordingForm& form, const OrderCase& c) {
    for (const auto& [field, text] : c.typed)
        form.put(field, text);
}

TEST_P(WiresizeAccessOrder, ReadsAndWritesInTheOrderOfTheSteps) {
    const OrderCase& c = GetParam();
    RecordingForm form;
    prepare(form, c);
    Mod1 shared;
    c.handler(form, shared);
    ASSERT_EQ(form.log().size(), c.accesses.size());
    for (std::size_t i = 0; i < c.accesses.size(); ++i) {
        EXPECT_EQ(form.log()[i].kind, c.accesses[i].first) << "access " << i;
        EXPECT_EQ(form.log()[i].control, c.accesses[i].second) << "access " << i;
    }
}

TEST_P(WiresizeAccessOrder, FailedAccessStopsTheClickAtThatStep) {
    const OrderCase& c = GetParam();
    testing::expectEachFailedAccessStopsTheClick(
        [&](RecordingForm& form) {
            prepare(form, c);
            return Mod1{};
        },
        [&](Form& form, Mod1& shared) { c.handler(form, shared); });
}

INSTANTIATE_TEST_SUITE_P(
    Wiresize, WiresizeAccessOrder,
    ::testing::Values(
        OrderCase{"Accept",
                  accept,
                  {},
                  {{Kind::Read, "Text2"},
                   {Kind::Write, "Text8"},
                   {Kind::Read, "Text8"},
                   {Kind::Write, "Text6"},
                   {Kind::Read, "Text6"},
                   {Kind::Write, "Text4"}}},
        OrderCase{"ChangeGaugeMatched",
                  changeGauge,
                  {{Field::Text4, "8"}},
                  {{Kind::Read, "Text4"}, {Kind::Write, "Text6"}, {Kind::Read, "Text6"}, {Kind::Write, "Text8"}}},
        OrderCase{"ChangeGaugeUnmatched",
                  changeGauge,
                  {{Field::Text4, "41"}},
                  {{Kind::Read, "Text4"}, {Kind::Read, "Text6"}, {Kind::Write, "Text8"}}},
        OrderCase{"ChangeInches",
                  changeInches,
                  {},
                  {{Kind::Read, "Text6"}, {Kind::Write, "Text8"}, {Kind::Read, "Text6"}, {Kind::Write, "Text4"}}},
        OrderCase{"ChangeMillimetres",
                  changeMillimetres,
                  {},
                  {{Kind::Read, "Text8"}, {Kind::Write, "Text6"}, {Kind::Read, "Text6"}, {Kind::Write, "Text4"}}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brimalox
