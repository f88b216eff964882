#include <gtest/gtest.h>

#include <functional>

#include "TestImages.h"
#include "vision/Filter.h"

namespace {

// A filter with one parameter of every kind; it counts its runs.
class ProbeFilter : public TFilter {
public:
    ProbeFilter() {
        addParameterImage("InImage", "input image");
        addParameterInteger("top", "top greater than bottom", 0, 10000, 0);
        addParameterSingle("Angle", "angle in degree", 90.0f, 10000.0f, -10000.0f);
        addParameterBoolean("flag", "a switch", true);
        addParameterString("Mode", "how it works", "mirror");
        addParameterInteger("TOP", "a later parameter of the same name", 5, 5, 5);
        addParameterImages("frames", "several images");
        addParameterPointer("data", "anything");
        addOutputParameterSingle("score", "the score");
        addOutputParameterInteger("count", "how many");
        addOutputParameterImage("outImage", "result");
        addOutputParameterImages("outImages", "results");
        addOutputParameterArrayIntegers("integers", "whole numbers");
        addOutputParameterArraySingles("singles", "reals");
        addOutputParameterArrayPointers("pointers", "addresses");
    }
    using TFilter::Run;
    void Run() override { ++runs; }
    int runs = 0;
};

struct Raised {
    std::string kind;
    std::string text;
};

Raised raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const EParameterNotFound& e) {
        return {"not found", e.what()};
    } catch (const EParameterInvalidDataType& e) {
        return {"kind", e.what()};
    } catch (const EParameterValueOutOfBound& e) {
        return {"range", e.what()};
    }
    return {"none", ""};
}

TEST(FilterProtocolTest, NamesAndHelpAreUpperCasedAndListed) {
    ProbeFilter filter;
    EXPECT_EQ(filter.getParametersCount(), 8);
    EXPECT_EQ(filter.getParameterName(0), "INIMAGE");
    EXPECT_EQ(filter.getParameterHelp(1), "TOP GREATER THAN BOTTOM");
    EXPECT_EQ(filter.getOutputsCount(), 7);
    EXPECT_EQ(filter.getOutputName(0), "SCORE");
    EXPECT_EQ(filter.getParameterString("mode").Value, "MIRROR");
    EXPECT_EQ(filter.getOutputParameterInteger("count").Min, -2147483647);
    EXPECT_EQ(filter.getOutputParameterInteger("count").Max, 2147483647);
    EXPECT_THROW(filter.getParameterName(8), std::out_of_range);
}

TEST(FilterProtocolTest, LookupIgnoresCaseAndTakesTheFirstMatch) {
    ProbeFilter filter;
    EXPECT_EQ(filter.getParameterIndex("inimage"), 0);
    EXPECT_EQ(filter.getParameterIndex("Top"), 1);
    EXPECT_EQ(filter.getOutputParameterIndex("OUTIMAGE"), 2);
    filter.setParameterInteger("TOP", 7);
    EXPECT_EQ(filter.getParameterInteger("top").Value, 7);
    EXPECT_EQ(filter.getParameterInteger("top").Help, "TOP GREATER THAN BOTTOM");

    for (const char* name : {"input image", "in image", "INIMAGE ", ""}) {
        const Raised error = raised([&] { filter.getParameterIndex(name); });
        EXPECT_EQ(error.kind, "not found");
        EXPECT_EQ(error.text, std::string("Unable to found parameter [") + name + "]");
    }
    EXPECT_EQ(raised([&] { filter.setParameterSingle("score", 1); }).kind, "not found");
    EXPECT_EQ(raised([&] { filter.getOutputParameterSingle("angle"); }).kind, "not found");
}

TEST(FilterProtocolTest, SettersCheckTheKindFirstThenTheRangeAndKeepTheOldValue) {
    ProbeFilter filter;
    filter.setParameterInteger("top", 42);
    filter.setParameterSingle("angle", 12.5f);
    const std::string use = "you use a bad setting for this parameter";
    const std::string used = "you used a bad setting for this parameter";
    struct Case {
        std::function<void(ProbeFilter&)> call;
        std::string kind;
        std::string text;
    };
    const std::vector<Case> cases{
        {[](ProbeFilter& f) { f.setParameterInteger("top", -1); }, "range",
         "Unable to set value [-1] for parameter [TOP] : Min=[0], Max=[10000]"},
        {[](ProbeFilter& f) { f.setParameterInteger("top", 10001); }, "range",
         "Unable to set value [10001] for parameter [TOP] : Min=[0], Max=[10000]"},
        {[](ProbeFilter& f) { f.setParameterSingle("angle", 12345.678f); }, "range",
         "Unable to set value 12345.68 for parameter ANGLE"},
        {[](ProbeFilter& f) { f.setParameterSingle("angle", std::nanf("")); }, "range",
         "Unable to set value nan for parameter ANGLE"},
        {[](ProbeFilter& f) { f.setParameterSingle("top", 1.0f); }, "kind", used},
        {[](ProbeFilter& f) { f.setParameterInteger("angle", 100000); }, "kind", use},
        {[](ProbeFilter& f) { f.setParameterBoolean("top", false); }, "kind", use},
        {[](ProbeFilter& f) { f.setParameterString("angle", "x"); }, "kind", used},
        {[](ProbeFilter& f) { f.setParameterImage("top", nullptr); }, "kind", used},
        {[](ProbeFilter& f) { f.getParameterInteger("inimage"); }, "kind", use},
        {[](ProbeFilter& f) { f.setOutputParameterInteger("score", 3); }, "kind", used},
    };
    for (const Case& c : cases) {
        const Raised error = raised([&] { c.call(filter); });
        EXPECT_EQ(error.kind, c.kind) << c.text;
        EXPECT_EQ(error.text, c.text);
    }
    EXPECT_EQ(filter.getParameterInteger("top").Value, 42);
    EXPECT_EQ(filter.getParameterSingle("angle").Value, 12.5f);
}

TEST(FilterProtocolTest, ValuesAreStoredAsGiven) {
    ProbeFilter filter;
    ImagePtr image = test_images::uniform(2, 2, 0);
    filter.setParameterImage("inimage", image.get());
    filter.setParameterString("mode", "white");
    filter.setParameterBoolean("flag", false);
    filter.setParameterSingle("angle", -10000.0f);
    filter.setParameterInteger("top", 10000);
    filter.setParameterImages("frames", {image.get(), nullptr});
    filter.setParameterPointer("data", &filter);
    EXPECT_EQ(filter.getParameterImage("INIMAGE").Value, image.get());
    EXPECT_EQ(filter.getParameterString("MODE").Value, "white");
    EXPECT_FALSE(filter.getParameterBoolean("FLAG").Value);
    EXPECT_EQ(filter.getParameterSingle("ANGLE").Value, -10000.0f);
    EXPECT_EQ(filter.getParameterInteger("TOP").Value, 10000);
    EXPECT_EQ(filter.getParameterImages("FRAMES").Value.size(), 2u);
    EXPECT_EQ(filter.getParameterPointer("DATA").Value, &filter);

    std::vector<std::int32_t> integers{1, 2, 3};
    filter.setOutputParameterArrayIntegers("integers", integers);
    integers[0] = 9;
    EXPECT_EQ(filter.getOutputParameterArrayIntegers("INTEGERS").Value[0], 1);
    filter.setOutputParameterArraySingles("singles", {0.5f});
    filter.setOutputParameterArrayPointers("pointers", {nullptr, &filter});
    filter.setOutputParameterSingle("score", 99.0f);
    filter.setOutputParameterInteger("count", -5);
    filter.setOutputParameterImage("outimage", image.get());
    filter.setOutputParameterImages("outimages", {image.get()});
    EXPECT_EQ(filter.getOutputParameterArraySingles("SINGLES").Value, std::vector<float>{0.5f});
    EXPECT_EQ(filter.getOutputParameterArrayPointers("POINTERS").Value[1], &filter);
    EXPECT_EQ(filter.getOutputParameterSingle("SCORE").Value, 99.0f);
    EXPECT_EQ(filter.getOutputParameterInteger("COUNT").Value, -5);
    EXPECT_EQ(filter.getOutputParameterImage("OUTIMAGE").Value, image.get());
    EXPECT_EQ(filter.getOutputParameterImages("OUTIMAGES").Value.size(), 1u);
}

TEST(FilterProtocolTest, RunCommandRunsOnlyForEmptyOrRun) {
    ProbeFilter filter;
    for (const char* command : {"", "run", "RUN", "Run", "go", "run "}) {
        filter.Run(command);
    }
    EXPECT_EQ(filter.runs, 2);
}

TEST(FilterProtocolTest, RegionOfInterestAddressesPixels) {
    ProbeFilter filter;
    ImagePtr image = test_images::noise(20, 10, 3);
    const TRect32 whole{0, 0, 19, 9};
    EXPECT_EQ(filter.getRegionOfInterest(*image), whole);
    EXPECT_EQ(filter.scanWidth(*image), 20);
    EXPECT_EQ(filter.scanHeight(*image), 10);
    EXPECT_EQ(filter.scanline(*image, 3), &image->pixel(0, 3));

    filter.setRegionOfInterest({4, 2, 12, 30});
    EXPECT_EQ(filter.getRegionOfInterest(*image), (TRect32{4, 2, 12, 30}));
    EXPECT_EQ(filter.scanWidth(*image), 8);
    EXPECT_EQ(filter.scanHeight(*image), 8);
    EXPECT_EQ(filter.scanline(*image, 1), &image->pixel(4, 3));
    EXPECT_THROW(filter.scanline(*image, 8), std::out_of_range);

    filter.unsetRegionOfInterest();
    EXPECT_EQ(filter.getRegionOfInterest(*image), whole);
}

}  // namespace
