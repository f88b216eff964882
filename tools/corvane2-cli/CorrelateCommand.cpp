// corvane2-cli correlate: finds a reference image in a saved camera frame, as the machine's
// searches do, and prints the result as one JSON object.
#include <QImage>
#include <cstdio>
#include <exception>
#include <optional>

#include "CliCommand.h"
#include "settings/NumberText.h"
#include "vision/VisualCorrelation.h"

namespace {

constexpr const char* kUsage =
    "--reference REF.bmp --image FRAME.bmp [--up] [--angular] [--angle DEG] [--view-width MM] "
    "[--enlarge MM] [--limit L] [--angle-limit DEG] [--literal]";

// Nobody watches a command-line run: nothing to show, nothing to ask.
class SilentOperatorPort final : public OperatorPort {
public:
    void handlePendingMessages() override {}
    void speak(const QString&) override {}
    void updateStatus() override {}
    void updateButtons() override {}
    void updatePartList() override {}
    void showError(const QString&) override {}
    void showInformation(const QString&) override {}
    Answer ask(const QString&, bool) override { return Answer::No; }
    QString chooseOpenFile(const FileDialogRequest&) override { return {}; }
    QString chooseSaveFile(const FileDialogRequest&) override { return {}; }
    void beep() override {}
};

struct CorrelateOptions {
    QString reference;
    QString image;
    bool up = false;
    bool angular = false;
    // The searches' whole-pixel, whole-step answers instead of the refined ones the machine uses.
    bool literal = false;
    double angle = 0;
    std::optional<double> viewWidth;
    std::optional<int> enlarge;
    MachineSettings settings;  // limits at their defaults unless given
};

int refuse(const QString& problem) {
    std::fprintf(stderr, "corvane2-cli correlate: %s\nusage: corvane2-cli correlate %s\n",
                 qPrintable(problem), kUsage);
    return 2;
}

// Reads the value after option `name`; false (with `problem` set) when it is missing (the end
// of the line or another option follows) or does not parse as `what`.
template <typename T, typename Parse>
bool readValue(const QStringList& arguments, int& i, const QString& name, Parse parse, T& value,
               const char* what, QString& problem) {
    const bool present = i + 1 < arguments.size() && !arguments[i + 1].startsWith("--");
    const auto parsed = present ? parse(arguments[++i]) : std::nullopt;
    if (!parsed) {
        problem = name + " needs " + what;
        return false;
    }
    value = *parsed;
    return true;
}

std::optional<CorrelateOptions> parseOptions(const QStringList& arguments, QString& problem) {
    CorrelateOptions options;
    auto real = [](const QString& text) { return ParseReal(text); };
    auto integer = [](const QString& text) { return ParseInteger(text); };
    auto path = [](const QString& text) { return std::optional(text); };
    constexpr const char* kNumber = "a number";
    constexpr const char* kFile = "a file name";
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        bool ok = true;
        if (name == "--up") {
            options.up = true;
        } else if (name == "--angular") {
            options.angular = true;
        } else if (name == "--literal") {
            options.literal = true;
        } else if (name == "--reference") {
            ok = readValue(arguments, i, name, path, options.reference, kFile, problem);
        } else if (name == "--image") {
            ok = readValue(arguments, i, name, path, options.image, kFile, problem);
        } else if (name == "--angle") {
            ok = readValue(arguments, i, name, real, options.angle, kNumber, problem);
        } else if (name == "--view-width") {
            ok = readValue(arguments, i, name, real, options.viewWidth.emplace(), kNumber, problem);
        } else if (name == "--enlarge") {
            ok =
                readValue(arguments, i, name, integer, options.enlarge.emplace(), kNumber, problem);
        } else if (name == "--limit") {
            ok = readValue(arguments, i, name, real, options.settings.visionCorrelationLimit,
                           kNumber, problem);
        } else if (name == "--angle-limit") {
            ok = readValue(arguments, i, name, integer,
                           options.settings.uplookingCameraAngleTestLimit, kNumber, problem);
        } else {
            problem = "unknown option " + name;
            return std::nullopt;
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (options.reference.isEmpty() || options.image.isEmpty()) {
        problem = "--reference and --image are needed";
        return std::nullopt;
    }
    return options;
}

ImagePtr readImage(const QString& path) {
    const QImage picture(path);
    return picture.isNull() ? nullptr : pictureToImage(picture);
}

QString jsonNumber(double value) {
    return QString::number(value == 0 ? 0.0 : value, 'g', 10);
}

// A search that found nothing prints zeros throughout, as the position search leaves its
// fields: the angle search leaves its last trial's score and pixels, which mean nothing here.
void printResult(bool found, const VisionState& state) {
    const auto shown = [found](double value) { return jsonNumber(found ? value : 0.0); };
    std::printf(
        "{\"found\": %s, \"correlation\": %s, \"x_mm\": %s, \"y_mm\": %s, \"angle_deg\": %s}\n",
        found ? "true" : "false", qPrintable(shown(state.VisionCorrelation)),
        qPrintable(shown(state.VisionCentreX)), qPrintable(shown(state.VisionCentreY)),
        qPrintable(shown(state.VisionAngle)));
}

int correlate(CorrelateOptions options) {
    VisionState state;
    state.ImageReference = readImage(options.reference);
    if (!state.ImageReference) {
        std::fprintf(stderr, "corvane2-cli correlate: cannot read the reference image %s\n",
                     qPrintable(options.reference));
        return 1;
    }
    const bool up = options.up || options.angular;
    ImagePtr& frame = up ? state.ImageUplooking : state.ImageDownlooking;
    frame = readImage(options.image);
    if (!frame) {
        std::fprintf(stderr, "corvane2-cli correlate: cannot read the camera image %s\n",
                     qPrintable(options.image));
        return 1;
    }
    MachineSettings& settings = options.settings;
    if (options.viewWidth) {
        (up ? settings.uplookingCameraViewWidthMM : settings.downlookingCameraViewWidthMM) =
            *options.viewWidth;
    }
    const int enlarge = options.enlarge.value_or(up ? settings.uplookingCameraEnlargementMM
                                                    : settings.downlookingCameraEnlargementMM);
    SilentOperatorPort port;
    const VisionContext vision{
        state,   settings, port,
        nullptr, 0,        options.literal ? SearchPrecision::Literal : SearchPrecision::Refined};
    const bool found = options.angular ? AngularVisualCorrelation(vision, options.angle, enlarge)
                                       : VisualCorrelation(vision, options.angle, enlarge, up);
    printResult(found, state);
    return 0;
}

int runCorrelate(const QStringList& arguments) {
    QString problem;
    const std::optional<CorrelateOptions> options = parseOptions(arguments, problem);
    if (!options) {
        return refuse(problem);
    }
    try {
        return correlate(*options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvane2-cli correlate: %s\n", error.what());
        return 1;
    }
}

const CliRegistration registration({"correlate", kUsage, runCorrelate});

}  // namespace
