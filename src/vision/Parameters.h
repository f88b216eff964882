#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vision/Image.h"

// The kind of a filter parameter. dtIntegerArray2D has no parameter class.
enum TDataType {
    dtImage = 0,
    dtInteger = 1,
    dtIntegerArray2D = 2,
    dtString = 3,
    dtBoolean = 4,
    dtSingle = 5,
    dtImages = 6,
    dtArrayIntegers = 7,
    dtArraySingles = 8,
    dtArrayPointers = 9,
    dtPointer = 10,
};

// ASCII upper case: parameter names and help texts are stored and compared this way.
std::string upperCase(std::string_view text);

// A named, documented value of a filter. Name and Help are stored upper-cased.
class TParameter {
public:
    TParameter(TDataType dataType, std::string_view name, std::string_view help)
        : DataType(dataType), Name(upperCase(name)), Help(upperCase(help)) {}
    virtual ~TParameter() = default;
    TParameter(const TParameter&) = delete;
    TParameter& operator=(const TParameter&) = delete;

    const TDataType DataType;
    const std::string Name;
    const std::string Help;
};

// Images, image arrays and pointers are only referred to: the caller keeps owning them.
class TParameterImage final : public TParameter {
public:
    TParameterImage(std::string_view name, std::string_view help)
        : TParameter(dtImage, name, help) {}
    TBitmap32* Value = nullptr;
};

class TParameterImages final : public TParameter {
public:
    TParameterImages(std::string_view name, std::string_view help)
        : TParameter(dtImages, name, help) {}
    std::vector<TBitmap32*> Value;
};

class TParameterInteger final : public TParameter {
public:
    TParameterInteger(std::string_view name, std::string_view help, std::int64_t value,
                      std::int64_t minimum, std::int64_t maximum)
        : TParameter(dtInteger, name, help), Value(value), Min(minimum), Max(maximum) {}
    std::int64_t Value;
    std::int64_t Min;
    std::int64_t Max;
};

class TParameterSingle final : public TParameter {
public:
    TParameterSingle(std::string_view name, std::string_view help, float value, float minimum,
                     float maximum)
        : TParameter(dtSingle, name, help), Value(value), Min(minimum), Max(maximum) {}
    float Value;
    float Min;
    float Max;
};

class TParameterBoolean final : public TParameter {
public:
    TParameterBoolean(std::string_view name, std::string_view help, bool value)
        : TParameter(dtBoolean, name, help), Value(value) {}
    bool Value;
};

class TParameterString final : public TParameter {
public:
    // The default is stored upper-cased; values set later are stored as given.
    TParameterString(std::string_view name, std::string_view help, std::string_view value)
        : TParameter(dtString, name, help), Value(upperCase(value)) {}
    std::string Value;
};

class TParameterArrayIntegers final : public TParameter {
public:
    TParameterArrayIntegers(std::string_view name, std::string_view help)
        : TParameter(dtArrayIntegers, name, help) {}
    std::vector<std::int32_t> Value;
};

class TParameterArraySingles final : public TParameter {
public:
    TParameterArraySingles(std::string_view name, std::string_view help)
        : TParameter(dtArraySingles, name, help) {}
    std::vector<float> Value;
};

class TParameterArrayPointers final : public TParameter {
public:
    TParameterArrayPointers(std::string_view name, std::string_view help)
        : TParameter(dtArrayPointers, name, help) {}
    std::vector<void*> Value;
};

class TParameterPointer final : public TParameter {
public:
    TParameterPointer(std::string_view name, std::string_view help)
        : TParameter(dtPointer, name, help) {}
    void* Value = nullptr;
};
