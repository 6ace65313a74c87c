// COMPUTE on a headless form: the worked examples and edge cases as one table, the band table of
// the correction coefficient, the side length carried between clicks, failures with the exact
// writes they leave, and the order of every read and write.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../../numtext/tests/recording_form.h"
#include "app/memory_form.h"
#include "dimensions/compute.h"
#include "dimensions/tests/worked_examples.h"
#include "numtext/numtext.h"

namespace brimalox {
namespace {

using testing::allTexts;
using testing::RecordingForm;

constexpr Field kResultFields[] = {Field::Text23, Field::Text22, Field::Text13, Field::Text11,
                                   Field::Text17, Field::Text16, Field::Text20, Field::Text19};

struct ComputeCase {
    const char* name;
    const char* frequency;
    const char* diameter;
    std::optional<Option> option;
    std::map<Field, const char*> shown;  // the fields the case pins down
    const char* correctedFrequency;      // the shared design frequency afterwards, as single text
};

using testing::kDefaultFourSided;
using testing::kDefaultThreeSided;

class Compute : public ::testing::TestWithParam<ComputeCase> {};

TEST_P(Compute, ShowsTheDimensionsOfTheCorrectedFrequency) {
    const ComputeCase& c = GetParam();
    MemoryForm form;
    form.setText(Field::Text2, c.frequency);
    form.setText(Field::Text8, c.diameter);
    if (c.option) form.select(*c.option);
    Mod1 shared;
    compute(form, shared);
    for (const auto& [field, text] : c.shown)
        EXPECT_EQ(form.text(field), text) << fieldInfo(field).name;
    for (Field field : kResultFields)  // every result field is written, with a number
        EXPECT_TRUE(parseDouble(form.text(field)).ok()) << fieldInfo(field).name << " " << form.text(field);
    EXPECT_EQ(singleToText(shared.designFrequency), c.correctedFrequency);
    EXPECT_EQ(form.text(Field::Text2), c.frequency);
    EXPECT_EQ(form.text(Field::Text8), c.diameter);
}

INSTANTIATE_TEST_SUITE_P(
    Dimensions, Compute,
    ::testing::Values(
        ComputeCase{"DefaultsThreeSided", "146.00", "1.626", Option::Option1, kDefaultThreeSided, "146"},
        ComputeCase{"DefaultsFourSided", "146.00", "1.626", Option::Option2, kDefaultFourSided, "146"},
        ComputeCase{"Diameter20SecondBand",
                    "146.00",
                    "20",
                    Option::Option1,
                    {{Field::Text23, "421.2329"},
                     {Field::Text22, "16.5839716393178"},
                     {Field::Text13, "712.597"},
                     {Field::Text11, "28.055"},
                     {Field::Text17, "264.625"},
                     {Field::Text16, "10.418"},
                     {Field::Text20, "9.594"},
                     {Field::Text19, "0.378"}},
                    "147.1549"},
        ComputeCase{"Diameter100ExcessCappedAt40",
                    "146.00",
                    "100",
                    Option::Option2,
                    {{Field::Text13, "679.019"}, {Field::Text17, "391.208"}, {Field::Text23, "421.2329"}},
                    "146.0018"},
        ComputeCase{"Diameter0NegativeExcess",
                    "146.00",
                    "0",
                    Option::Option1,
                    {{Field::Text13, "719.673"},
                     {Field::Text17, "267.252"},
                     {Field::Text20, "9.689"},
                     {Field::Text23, "421.2329"}},
                    "145.708"},
        ComputeCase{"NegativeFrequency",
                    "-146",
                    "1.626",
                    Option::Option1,
                    {{Field::Text23, "-421.2329"}, {Field::Text22, "-16.5839716393178"}, {Field::Text13, "-721.118"}},
                    "-145.416"},
        ComputeCase{"LowFrequencyLargeDimensions",
                    "1.8",
                    "131.883",
                    Option::Option1,
                    {{Field::Text13, "58256.731"},  // double: 3 decimals kept
                     {Field::Text17, "21633.79"},   // single: 7 significant digits
                     {Field::Text23, "34166.67"}},
                    "1.8"},
        ComputeCase{"BlanksAroundTheTexts", " 146.00\t", "\t1.626 ", Option::Option1, kDefaultThreeSided, "146"}),
    [](const ::testing::TestParamInfo<ComputeCase>& info) { return std::string(info.param.name); });

TEST(Compute, StoresTheSharedValuesOfTheCalculation) {
    MemoryForm form;
    form.setText(Field::Text8, "100");
    form.select(Option::Option2);
    Mod1 shared;
    compute(form, shared);
    EXPECT_EQ(shared.conductorDiameter, 100.0f);
    EXPECT_EQ(shared.recommendedDiameter, static_cast<float>(300000.0 / 146.0 / 1263.7));
    EXPECT_EQ(shared.diameterExcess, 40.0f);  // 60.5 capped
    EXPECT_EQ(shared.correctionCoefficient, 0.0000003f);
    EXPECT_EQ(singleToText(shared.seriesMatchLength), "421.2329");
    EXPECT_EQ(singleToText(roundPlaces(shared.sideLength, 3)), "391.208");
    EXPECT_EQ(singleToText(roundPlaces(shared.gapLength, 3)), "9.67");
}

// ---- the band table ----

struct BandCase {
    float excess;
    float coefficient;
};

TEST(CorrectionCoefficient, ThresholdBelongsToTheBandBelow) {
    const float thresholds[] = {5.375f, 11.525f, 17.675f, 23.775f, 29.975f, 36.075f, 39.5f};
    const float coefficients[] = {0.002f, 0.0007f, 0.00025f, 0.00009f, 0.00003f, 0.00001f, 0.000004f, 0.000001f};
    for (int band = 0; band < 7; ++band) {
        const float t = thresholds[band];
        EXPECT_EQ(correctionCoefficient(t), coefficients[band]) << "at " << t;
        EXPECT_EQ(correctionCoefficient(std::nextafter(t, 0.0f)), coefficients[band]) << "below " << t;
        EXPECT_EQ(correctionCoefficient(std::nextafter(t, 100.0f)), coefficients[band + 1]) << "above " << t;
    }
    const BandCase cases[] = {
        {-1.0f, 0.002f},      {-500.0f, 0.002f},     {-FLT_MAX, 0.002f},
        {0.0f, 0.002f},       {-0.0000089f, 0.002f}, {8.0f, 0.0007f},
        {11.30001f, 0.0007f}, {11.525f, 0.0007f},    {14.0f, 0.00025f},
        {20.0f, 0.00009f},    {26.0f, 0.00003f},     {33.0f, 0.00001f},
        {39.5f, 0.000004f},   {39.7f, 0.000001f},    {std::nextafter(40.0f, 0.0f), 0.000001f},
        {40.0f, 0.0000003f},
    };
    for (const BandCase& c : cases)
        EXPECT_EQ(correctionCoefficient(c.excess), c.coefficient) << c.excess;
}

// The thresholds compare as singles: 11.525 is held as 11.52499961853027, just below the decimal.
TEST(CorrectionCoefficient, ThresholdsAreTheNearestSingles) {
    EXPECT_LT(static_cast<double>(11.525f), 11.525);
    EXPECT_EQ(correctionCoefficient(static_cast<float>(11.525)), 0.0007f);
    EXPECT_EQ(correctionCoefficient(std::nextafter(11.525f, 12.0f)), 0.00025f);
    EXPECT_GT(static_cast<double>(36.075f), 36.075);
    EXPECT_EQ(correctionCoefficient(36.075f), 0.00001f);
}

// ---- option buttons, repeated clicks, what depends on what ----

TEST(Compute, NeitherOptionShowsZeroHeightAndTheEarlierSide) {
    Mod1 shared;
    MemoryForm none;
    compute(none, shared);
    EXPECT_EQ(none.text(Field::Text13), "0");
    EXPECT_EQ(none.text(Field::Text11), "0");
    EXPECT_EQ(none.text(Field::Text17), "0");  // no side length computed yet in this run
    EXPECT_EQ(none.text(Field::Text16), "0");
    EXPECT_EQ(none.text(Field::Text20), "9.67");
    EXPECT_EQ(none.text(Field::Text19), "0.381");
    EXPECT_EQ(none.text(Field::Text23), "421.2329");
    EXPECT_EQ(none.text(Field::Text22), "16.5839716393178");

    MemoryForm fourSided;
    fourSided.select(Option::Option2);
    compute(fourSided, shared);
    MemoryForm noneAgain;
    noneAgain.setText(Field::Text8, "20");  // a different conductor: the side is still the old one
    compute(noneAgain, shared);
    EXPECT_EQ(noneAgain.text(Field::Text13), "0");
    EXPECT_EQ(noneAgain.text(Field::Text11), "0");
    EXPECT_EQ(noneAgain.text(Field::Text17), "391.212");
    EXPECT_EQ(noneAgain.text(Field::Text16), "15.402");
}

TEST(Compute, TwiceInARowWritesTheSameTexts) {
    for (Option option : {Option::Option1, Option::Option2}) {
        MemoryForm form;
        form.setText(Field::Text8, "20");
        form.select(option);
        Mod1 shared;
        compute(form, shared);
        const std::vector<std::string> first = allTexts(form);
        compute(form, shared);
        EXPECT_EQ(allTexts(form), first);
    }
}

TEST(Compute, SeriesMatchDependsOnlyOnTheFrequency) {
    for (const char* frequency : {"146", "7", "1296", "-50"}) {
        std::optional<std::pair<std::string, std::string>> reference;
        for (const char* diameter : {"1.626", "0", "20", "100", "-3"}) {
            for (int option = 0; option < 3; ++option) {
                MemoryForm form;
                form.setText(Field::Text2, frequency);
                form.setText(Field::Text8, diameter);
                if (option) form.select(option == 1 ? Option::Option1 : Option::Option2);
                Mod1 shared;
                compute(form, shared);
                const std::pair texts{form.text(Field::Text23), form.text(Field::Text22)};
                if (!reference) reference = texts;
                EXPECT_EQ(texts, *reference) << frequency << " " << diameter << " " << option;
            }
        }
    }
}

// A negative conductor can drive k * r + 1 towards 0, but never to exactly 0 (k * r is an exact
// product of two singles and -1/k is no single), so the corrected frequency stays a tiny nonzero
// number: huge dimensions, and no fault.
TEST(Compute, CorrectedFrequencyNearZeroGivesHugeDimensionsNotAFault) {
    for (int option = 0; option < 3; ++option) {
        RecordingForm form;
        form.put(Field::Text8, "-811.381165");
        if (option) form.select(option == 1 ? Option::Option1 : Option::Option2);
        Mod1 shared;
        ASSERT_NO_THROW(compute(form, shared));
        const double factor = static_cast<double>(shared.correctionCoefficient) * shared.diameterExcess + 1;
        ASSERT_NE(factor, 0.0);
        ASSERT_LT(std::fabs(factor), 1e-7) << "the case must come close to 0";
        EXPECT_EQ(form.written().size(), 8u);
        EXPECT_GT(std::fabs(parseDouble(form.peek(Field::Text20)).value), 1e8);
        EXPECT_EQ(form.peek(Field::Text23), "421.2329");
        if (option) {
            EXPECT_GT(std::fabs(parseDouble(form.peek(Field::Text13)).value), 1e10);
        }
    }
}

// ---- failures and the order of accesses ----

using Kind = RecordingForm::Access::Kind;

struct ComputeFailureCase {
    const char* name;
    const char* frequency;
    const char* diameter;
    std::optional<Option> option;
    FailureKind kind;
    const char* stepMentions;
    std::vector<std::string> written;
    std::function<void(const Mod1&)> sharedAfter;
};

class ComputeFailure : public ::testing::TestWithParam<ComputeFailureCase> {};

TEST_P(ComputeFailure, StopsWithExactlyTheEarlierWrites) {
    const ComputeFailureCase& c = GetParam();
    RecordingForm form;
    form.put(Field::Text2, c.frequency);
    form.put(Field::Text8, c.diameter);
    if (c.option) form.select(*c.option);
    const std::vector<std::string> before = allTexts(form.memory());
    Mod1 shared;
    shared.designFrequency = 9;
    try {
        compute(form, shared);
        FAIL() << "no failure";
    } catch (const ClickFailure& failure) {
        EXPECT_EQ(failure.kind(), c.kind);
        const bool conversion = std::string(c.stepMentions).rfind("Text", 0) == 0;  // failed at a read
        EXPECT_EQ(failure.family(), conversion ? FailureFamily::Conversion : FailureFamily::FloatingPoint);
        EXPECT_NE(failure.where().find(c.stepMentions), std::string::npos) << failure.where();
    }
    EXPECT_EQ(form.written(), c.written);
    // Fields not written keep their old text.
    const std::vector<std::string> after = allTexts(form.memory());
    for (int i = 0; i < kFieldCount; ++i) {
        const std::string name(fieldInfo(static_cast<Field>(i + 1)).name);
        if (std::find(c.written.begin(), c.written.end(), name) == c.written.end()) {
            EXPECT_EQ(after[i], before[i]) << name;
        }
    }
    c.sharedAfter(shared);
}

const auto frequencyKept = [](const Mod1& s) { EXPECT_EQ(s.designFrequency, 9.0f); };

INSTANTIATE_TEST_SUITE_P(
    Dimensions, ComputeFailure,
    ::testing::Values(
        ComputeFailureCase{
            "EmptyFrequency", "", "1.626", Option::Option1, FailureKind::TypeMismatch, "Text2", {}, frequencyKept},
        ComputeFailureCase{
            "WordFrequency", "MHz", "1.626", Option::Option1, FailureKind::TypeMismatch, "Text2", {}, frequencyKept},
        ComputeFailureCase{"FrequencyTooLargeForSingle",
                           "1E39",
                           "1.626",
                           Option::Option1,
                           FailureKind::Overflow,
                           "Text2",
                           {},
                           frequencyKept},
        ComputeFailureCase{"ZeroFrequency",
                           "0",
                           "1.626",
                           Option::Option1,
                           FailureKind::DivisionByZero,
                           "series match",
                           {},
                           [](const Mod1& s) { EXPECT_EQ(s.designFrequency, 0.0f); }},
        ComputeFailureCase{"SeriesMatchTooLargeForSingle",
                           "1E-40",
                           "1.626",
                           Option::Option1,
                           FailureKind::Overflow,
                           "series match",
                           {},
                           [](const Mod1& s) { EXPECT_TRUE(std::isinf(s.seriesMatchLength)); }},
        ComputeFailureCase{"EmptyDiameter",
                           "146.00",
                           "",
                           Option::Option1,
                           FailureKind::TypeMismatch,
                           "Text8",
                           {"Text23", "Text22"},
                           [](const Mod1&) {}},
        ComputeFailureCase{"EmptyDiameterNoOption",
                           "146.00",
                           "",
                           std::nullopt,
                           FailureKind::TypeMismatch,
                           "Text8",
                           {"Text23", "Text22"},
                           [](const Mod1&) {}},
        ComputeFailureCase{"DiameterTooLargeForSingle",
                           "146.00",
                           "1E39",
                           Option::Option2,
                           FailureKind::Overflow,
                           "Text8",
                           {"Text23", "Text22"},
                           [](const Mod1&) {}},
        // A frequency near the top of the single range, corrected upwards past it.
        ComputeFailureCase{"CorrectedFrequencyTooLargeForSingle",
                           "3.4028E38",
                           "1",
                           Option::Option1,
                           FailureKind::Overflow,
                           "correcting the frequency",
                           {"Text23", "Text22"},
                           [](const Mod1& s) { EXPECT_TRUE(std::isinf(s.designFrequency)); }},
        // A tiny frequency and a negative conductor that brings k * r + 1 near 0: the corrected
        // frequency is a subnormal single, so the first single computed from it overflows. With an
        // option that is the side length; without one, the gap length after the earlier side is shown.
        ComputeFailureCase{"NearZeroCorrectionThreeSidedSideOverflows",
                           "1E-33",
                           "-1.18461654E+38",
                           Option::Option1,
                           FailureKind::Overflow,
                           "side length",
                           {"Text23", "Text22", "Text13", "Text11"},
                           [](const Mod1& s) { EXPECT_TRUE(std::isinf(s.sideLength)); }},
        ComputeFailureCase{"NearZeroCorrectionFourSidedSideOverflows",
                           "1E-33",
                           "-1.18461654E+38",
                           Option::Option2,
                           FailureKind::Overflow,
                           "side length",
                           {"Text23", "Text22", "Text13", "Text11"},
                           [](const Mod1& s) { EXPECT_TRUE(std::isinf(s.sideLength)); }},
        ComputeFailureCase{"NearZeroCorrectionNoOptionGapOverflows",
                           "1E-33",
                           "-1.18461654E+38",
                           std::nullopt,
                           FailureKind::Overflow,
                           "gap length",
                           {"Text23", "Text22", "Text13", "Text11", "Text17", "Text16"},
                           [](const Mod1& s) {
                               EXPECT_TRUE(std::isinf(s.gapLength));
                               EXPECT_EQ(s.sideLength, 0.0f);
                               EXPECT_GT(s.designFrequency, 0.0f);
                               EXPECT_LT(s.designFrequency, FLT_MIN);
                           }}),
    [](const ::testing::TestParamInfo<ComputeFailureCase>& info) { return std::string(info.param.name); });

const std::vector<std::pair<Kind, std::string>> kComputeAccesses{
    {Kind::Read, "Text2"},     {Kind::Write, "Text23"},   {Kind::Write, "Text22"}, {Kind::Read, "Text8"},
    {Kind::Option, "Option1"}, {Kind::Option, "Option2"}, {Kind::Write, "Text13"}, {Kind::Write, "Text11"},
    {Kind::Option, "Option1"}, {Kind::Option, "Option2"}, {Kind::Write, "Text17"}, {Kind::Write, "Text16"},
    {Kind::Write, "Text20"},   {Kind::Write, "Text19"}};

TEST(ComputeAccessOrder, ReadsAndWritesInTheOrderOfTheSteps) {
    for (int option = 0; option < 3; ++option) {
        RecordingForm form;
        if (option) form.select(option == 1 ? Option::Option1 : Option::Option2);
        Mod1 shared;
        compute(form, shared);
        ASSERT_EQ(form.log().size(), kComputeAccesses.size()) << "option " << option;
        for (std::size_t i = 0; i < kComputeAccesses.size(); ++i) {
            EXPECT_EQ(form.log()[i].kind, kComputeAccesses[i].first) << i;
            EXPECT_EQ(form.log()[i].control, kComputeAccesses[i].second) << i;
        }
    }
}

TEST(ComputeAccessOrder, FailedAccessStopsTheClickAtThatStep) {
    for (int option = 0; option < 3; ++option) {
        SCOPED_TRACE(option);
        testing::expectEachFailedAccessStopsTheClick(
            [option](RecordingForm& form) {
                form.put(Field::Text8, "20");
                if (option) form.select(option == 1 ? Option::Option1 : Option::Option2);
                return Mod1{};
            },
            [](Form& form, Mod1& shared) { compute(form, shared); });
    }
}

}  // namespace
}  // namespace brimalox
