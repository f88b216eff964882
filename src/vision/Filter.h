#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vision/Image.h"
#include "vision/Parameters.h"

// The three misuses of the parameter protocol.
class EParameterNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EParameterInvalidDataType : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EParameterValueOutOfBound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Left, Top, Right, Bottom in pixels; all four zero means the whole image.
struct TRect32 {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect32&) const = default;
};

// An image-processing step with named, typed inputs and outputs: create it, set its inputs by
// name, Run it, read its outputs by name. Names are found without regard to case, the first
// match in list order wins. The filter owns its parameter objects, never the images or
// pointers handed to it.
class TFilter {
public:
    TFilter() = default;
    virtual ~TFilter();
    TFilter(const TFilter&) = delete;
    TFilter& operator=(const TFilter&) = delete;

    // Integer and single adders take the maximum before the minimum.
    TParameterBoolean& addParameterBoolean(std::string_view name, std::string_view help,
                                           bool value);
    TParameterInteger& addParameterInteger(std::string_view name, std::string_view help,
                                           std::int64_t value, std::int64_t maximum,
                                           std::int64_t minimum);
    TParameterSingle& addParameterSingle(std::string_view name, std::string_view help, float value,
                                         float maximum, float minimum);
    TParameterString& addParameterString(std::string_view name, std::string_view help,
                                         std::string_view value);
    TParameterImage& addParameterImage(std::string_view name, std::string_view help);
    TParameterImages& addParameterImages(std::string_view name, std::string_view help);
    TParameterPointer& addParameterPointer(std::string_view name, std::string_view help);

    // Typed setters check the kind, then the range; on an error the old value stays.
    void setParameterBoolean(std::string_view name, bool value);
    void setParameterInteger(std::string_view name, std::int64_t value);
    void setParameterSingle(std::string_view name, float value);
    void setParameterString(std::string_view name, std::string_view value);
    void setParameterImage(std::string_view name, TBitmap32* image);
    void setParameterImages(std::string_view name, const std::vector<TBitmap32*>& images);
    void setParameterPointer(std::string_view name, void* pointer);

    TParameterBoolean& getParameterBoolean(std::string_view name);
    TParameterInteger& getParameterInteger(std::string_view name);
    TParameterSingle& getParameterSingle(std::string_view name);
    TParameterString& getParameterString(std::string_view name);
    TParameterImage& getParameterImage(std::string_view name);
    TParameterImages& getParameterImages(std::string_view name);
    TParameterPointer& getParameterPointer(std::string_view name);

    TParameterImage& addOutputParameterImage(std::string_view name, std::string_view help);
    TParameterImages& addOutputParameterImages(std::string_view name, std::string_view help);
    TParameterArrayIntegers& addOutputParameterArrayIntegers(std::string_view name,
                                                             std::string_view help);
    TParameterArraySingles& addOutputParameterArraySingles(std::string_view name,
                                                           std::string_view help);
    TParameterInteger& addOutputParameterInteger(std::string_view name, std::string_view help);
    TParameterSingle& addOutputParameterSingle(std::string_view name, std::string_view help);
    TParameterArrayPointers& addOutputParameterArrayPointers(std::string_view name,
                                                             std::string_view help);

    // Output setters store without range checks; array setters store a copy.
    void setOutputParameterImage(std::string_view name, TBitmap32* image);
    void setOutputParameterImages(std::string_view name, const std::vector<TBitmap32*>& images);
    void setOutputParameterArrayIntegers(std::string_view name,
                                         const std::vector<std::int32_t>& values);
    void setOutputParameterArraySingles(std::string_view name, const std::vector<float>& values);
    void setOutputParameterInteger(std::string_view name, std::int64_t value);
    void setOutputParameterSingle(std::string_view name, float value);
    void setOutputParameterArrayPointers(std::string_view name, const std::vector<void*>& values);

    TParameterImage& getOutputParameterImage(std::string_view name);
    TParameterImages& getOutputParameterImages(std::string_view name);
    TParameterArrayIntegers& getOutputParameterArrayIntegers(std::string_view name);
    TParameterArraySingles& getOutputParameterArraySingles(std::string_view name);
    TParameterInteger& getOutputParameterInteger(std::string_view name);
    TParameterSingle& getOutputParameterSingle(std::string_view name);
    TParameterArrayPointers& getOutputParameterArrayPointers(std::string_view name);

    int getParametersCount() const { return static_cast<int>(Parameters.size()); }
    std::string getParameterName(int index) const { return Parameters.at(index)->Name; }
    std::string getParameterHelp(int index) const { return Parameters.at(index)->Help; }
    int getOutputsCount() const { return static_cast<int>(OutputParameters.size()); }
    std::string getOutputName(int index) const { return OutputParameters.at(index)->Name; }
    int getParameterIndex(std::string_view name) const;
    int getOutputParameterIndex(std::string_view name) const;

    // Performs the filter on the current parameter values.
    virtual void Run() = 0;
    // Runs when the command is empty or exactly "run"; any other command does nothing.
    void Run(std::string_view command);

    void setRegionOfInterest(const TRect32& region) { RegionOfInterest = region; }
    void unsetRegionOfInterest() { RegionOfInterest = TRect32{}; }
    // The rectangle the filter works on: the whole image, last column and row inclusive, when
    // no region is set.
    TRect32 getRegionOfInterest(const TBitmap32& image) const;
    // The first pixel of `row` counted from the top of the region; raises std::out_of_range for
    // a row or region outside the image.
    TColor32* scanline(TBitmap32& image, int row) const;
    int scanWidth(const TBitmap32& image) const;
    int scanHeight(const TBitmap32& image) const;

protected:
    using ParameterList = std::vector<std::unique_ptr<TParameter>>;
    // The shared lookup; raises EParameterNotFound.
    static int getParameterIndex(const ParameterList& list, std::string_view name);

private:
    template <typename P, typename... Args>
    P& append(ParameterList& list, Args&&... args);

    ParameterList Parameters;
    ParameterList OutputParameters;
    TRect32 RegionOfInterest;
};
