#include "vision/Filter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The two wordings of the kind error, as the setters have always reported them.
constexpr const char* kBadSettingUse = "you use a bad setting for this parameter";
constexpr const char* kBadSettingUsed = "you used a bad setting for this parameter";

// Stored names are upper case already.
bool sameNameIgnoringCase(std::string_view stored, std::string_view name) {
    return std::equal(stored.begin(), stored.end(), name.begin(), name.end(),
                      [](char storedChar, char nameChar) {
                          const bool lower = nameChar >= 'a' && nameChar <= 'z';
                          return storedChar == (lower ? nameChar - 'a' + 'A' : nameChar);
                      });
}

// The parameter as its expected class; a parameter of another kind is refused rather than
// misread.
template <typename P>
P& as(TParameter& parameter, const char* misuse) {
    auto* typed = dynamic_cast<P*>(&parameter);
    if (!typed) {
        throw EParameterInvalidDataType(misuse);
    }
    return *typed;
}

std::string twoDecimals(float value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                      std::chars_format::fixed, 2);
    return std::string(text, result.ptr);
}

}  // namespace

TFilter::~TFilter() {
    Parameters.clear();
    OutputParameters.clear();
}

template <typename P, typename... Args>
P& TFilter::append(ParameterList& list, Args&&... args) {
    auto parameter = std::make_unique<P>(std::forward<Args>(args)...);
    P& added = *parameter;
    list.push_back(std::move(parameter));
    return added;
}

int TFilter::getParameterIndex(const ParameterList& list, std::string_view name) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (sameNameIgnoringCase(list[i]->Name, name)) {
            return static_cast<int>(i);
        }
    }
    throw EParameterNotFound("Unable to found parameter [" + std::string(name) + "]");
}

int TFilter::getParameterIndex(std::string_view name) const {
    return getParameterIndex(Parameters, name);
}

int TFilter::getOutputParameterIndex(std::string_view name) const {
    return getParameterIndex(OutputParameters, name);
}

TParameterBoolean& TFilter::addParameterBoolean(std::string_view name, std::string_view help,
                                                bool value) {
    return append<TParameterBoolean>(Parameters, name, help, value);
}

TParameterInteger& TFilter::addParameterInteger(std::string_view name, std::string_view help,
                                                std::int64_t value, std::int64_t maximum,
                                                std::int64_t minimum) {
    return append<TParameterInteger>(Parameters, name, help, value, minimum, maximum);
}

TParameterSingle& TFilter::addParameterSingle(std::string_view name, std::string_view help,
                                              float value, float maximum, float minimum) {
    return append<TParameterSingle>(Parameters, name, help, value, minimum, maximum);
}

TParameterString& TFilter::addParameterString(std::string_view name, std::string_view help,
                                              std::string_view value) {
    return append<TParameterString>(Parameters, name, help, value);
}

TParameterImage& TFilter::addParameterImage(std::string_view name, std::string_view help) {
    return append<TParameterImage>(Parameters, name, help);
}

TParameterImages& TFilter::addParameterImages(std::string_view name, std::string_view help) {
    return append<TParameterImages>(Parameters, name, help);
}

TParameterPointer& TFilter::addParameterPointer(std::string_view name, std::string_view help) {
    return append<TParameterPointer>(Parameters, name, help);
}

TParameterBoolean& TFilter::getParameterBoolean(std::string_view name) {
    return as<TParameterBoolean>(*Parameters[getParameterIndex(name)], kBadSettingUse);
}

TParameterInteger& TFilter::getParameterInteger(std::string_view name) {
    return as<TParameterInteger>(*Parameters[getParameterIndex(name)], kBadSettingUse);
}

TParameterSingle& TFilter::getParameterSingle(std::string_view name) {
    return as<TParameterSingle>(*Parameters[getParameterIndex(name)], kBadSettingUsed);
}

TParameterString& TFilter::getParameterString(std::string_view name) {
    return as<TParameterString>(*Parameters[getParameterIndex(name)], kBadSettingUsed);
}

TParameterImage& TFilter::getParameterImage(std::string_view name) {
    return as<TParameterImage>(*Parameters[getParameterIndex(name)], kBadSettingUsed);
}

TParameterImages& TFilter::getParameterImages(std::string_view name) {
    return as<TParameterImages>(*Parameters[getParameterIndex(name)], kBadSettingUsed);
}

TParameterPointer& TFilter::getParameterPointer(std::string_view name) {
    return as<TParameterPointer>(*Parameters[getParameterIndex(name)], kBadSettingUsed);
}

void TFilter::setParameterBoolean(std::string_view name, bool value) {
    getParameterBoolean(name).Value = value;
}

void TFilter::setParameterInteger(std::string_view name, std::int64_t value) {
    TParameterInteger& parameter = getParameterInteger(name);
    if (value < parameter.Min || value > parameter.Max) {
        throw EParameterValueOutOfBound("Unable to set value [" + std::to_string(value) +
                                        "] for parameter [" + parameter.Name + "] : Min=[" +
                                        std::to_string(parameter.Min) + "], Max=[" +
                                        std::to_string(parameter.Max) + "]");
    }
    parameter.Value = value;
}

void TFilter::setParameterSingle(std::string_view name, float value) {
    TParameterSingle& parameter = getParameterSingle(name);
    // A NaN passes neither bound: it would reach the pixel arithmetic as garbage coordinates.
    if (!(value >= parameter.Min && value <= parameter.Max)) {
        throw EParameterValueOutOfBound("Unable to set value " + twoDecimals(value) +
                                        " for parameter " + parameter.Name);
    }
    parameter.Value = value;
}

void TFilter::setParameterString(std::string_view name, std::string_view value) {
    getParameterString(name).Value = std::string(value);
}

void TFilter::setParameterImage(std::string_view name, TBitmap32* image) {
    getParameterImage(name).Value = image;
}

void TFilter::setParameterImages(std::string_view name, const std::vector<TBitmap32*>& images) {
    getParameterImages(name).Value = images;
}

void TFilter::setParameterPointer(std::string_view name, void* pointer) {
    getParameterPointer(name).Value = pointer;
}

TParameterImage& TFilter::addOutputParameterImage(std::string_view name, std::string_view help) {
    return append<TParameterImage>(OutputParameters, name, help);
}

TParameterImages& TFilter::addOutputParameterImages(std::string_view name, std::string_view help) {
    return append<TParameterImages>(OutputParameters, name, help);
}

TParameterArrayIntegers& TFilter::addOutputParameterArrayIntegers(std::string_view name,
                                                                  std::string_view help) {
    return append<TParameterArrayIntegers>(OutputParameters, name, help);
}

TParameterArraySingles& TFilter::addOutputParameterArraySingles(std::string_view name,
                                                                std::string_view help) {
    return append<TParameterArraySingles>(OutputParameters, name, help);
}

TParameterInteger& TFilter::addOutputParameterInteger(std::string_view name,
                                                      std::string_view help) {
    return append<TParameterInteger>(OutputParameters, name, help, 0, -2147483647, 2147483647);
}

TParameterSingle& TFilter::addOutputParameterSingle(std::string_view name, std::string_view help) {
    return append<TParameterSingle>(OutputParameters, name, help, 0.0f, 0.0f, 0.0f);
}

TParameterArrayPointers& TFilter::addOutputParameterArrayPointers(std::string_view name,
                                                                  std::string_view help) {
    return append<TParameterArrayPointers>(OutputParameters, name, help);
}

TParameterImage& TFilter::getOutputParameterImage(std::string_view name) {
    return as<TParameterImage>(*OutputParameters[getOutputParameterIndex(name)], kBadSettingUsed);
}

TParameterImages& TFilter::getOutputParameterImages(std::string_view name) {
    return as<TParameterImages>(*OutputParameters[getOutputParameterIndex(name)], kBadSettingUsed);
}

TParameterArrayIntegers& TFilter::getOutputParameterArrayIntegers(std::string_view name) {
    return as<TParameterArrayIntegers>(*OutputParameters[getOutputParameterIndex(name)],
                                       kBadSettingUsed);
}

TParameterArraySingles& TFilter::getOutputParameterArraySingles(std::string_view name) {
    return as<TParameterArraySingles>(*OutputParameters[getOutputParameterIndex(name)],
                                      kBadSettingUsed);
}

TParameterInteger& TFilter::getOutputParameterInteger(std::string_view name) {
    return as<TParameterInteger>(*OutputParameters[getOutputParameterIndex(name)], kBadSettingUsed);
}

TParameterSingle& TFilter::getOutputParameterSingle(std::string_view name) {
    return as<TParameterSingle>(*OutputParameters[getOutputParameterIndex(name)], kBadSettingUsed);
}

TParameterArrayPointers& TFilter::getOutputParameterArrayPointers(std::string_view name) {
    return as<TParameterArrayPointers>(*OutputParameters[getOutputParameterIndex(name)],
                                       kBadSettingUsed);
}

void TFilter::setOutputParameterImage(std::string_view name, TBitmap32* image) {
    getOutputParameterImage(name).Value = image;
}

void TFilter::setOutputParameterImages(std::string_view name,
                                       const std::vector<TBitmap32*>& images) {
    getOutputParameterImages(name).Value = images;
}

void TFilter::setOutputParameterArrayIntegers(std::string_view name,
                                              const std::vector<std::int32_t>& values) {
    getOutputParameterArrayIntegers(name).Value = values;
}

void TFilter::setOutputParameterArraySingles(std::string_view name,
                                             const std::vector<float>& values) {
    getOutputParameterArraySingles(name).Value = values;
}

void TFilter::setOutputParameterInteger(std::string_view name, std::int64_t value) {
    getOutputParameterInteger(name).Value = value;
}

void TFilter::setOutputParameterSingle(std::string_view name, float value) {
    getOutputParameterSingle(name).Value = value;
}

void TFilter::setOutputParameterArrayPointers(std::string_view name,
                                              const std::vector<void*>& values) {
    getOutputParameterArrayPointers(name).Value = values;
}

void TFilter::Run(std::string_view command) {
    if (command.empty() || command == "run") {
        Run();
    }
}

TRect32 TFilter::getRegionOfInterest(const TBitmap32& image) const {
    if (RegionOfInterest == TRect32{}) {
        return {0, 0, image.Width - 1, image.Height - 1};
    }
    return RegionOfInterest;
}

int TFilter::scanWidth(const TBitmap32& image) const {
    const int right =
        RegionOfInterest.Right == 0 ? image.Width : std::min(image.Width, RegionOfInterest.Right);
    return right - RegionOfInterest.Left;
}

int TFilter::scanHeight(const TBitmap32& image) const {
    const int bottom = RegionOfInterest.Bottom == 0
                           ? image.Height
                           : std::min(image.Height, RegionOfInterest.Bottom);
    return bottom - RegionOfInterest.Top;
}

TColor32* TFilter::scanline(TBitmap32& image, int row) const {
    const TRect32 region = getRegionOfInterest(image);
    const int y = region.Top + row;
    if (row < 0 || region.Left < 0 || region.Left >= image.Width || y < 0 || y >= image.Height) {
        throw std::out_of_range("scanline outside the image");
    }
    return &image.pixel(region.Left, y);
}
