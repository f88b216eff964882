// corvane2-cli render: the frame a simulated camera shows with the head at a machine position,
// written as a bitmap. It renders the world itself, without the controller library.
#include <QImage>
#include <QSaveFile>
#include <cstdio>
#include <optional>

#include "CameraRender.h"
#include "CliCommand.h"
#include "SimWorld.h"
#include "WorldJson.h"
#include "settings/NumberText.h"

namespace {

constexpr const char* kUsage =
    "--camera down|up --x MM --y MM [--z MM] [--a DEG] [--world FILE] --out FILE.bmp";

struct RenderOptions {
    int camera = -1;
    std::optional<double> x;
    std::optional<double> y;
    double z = 0;
    double a = 0;
    QString world;  // empty: the built-in world
    QString out;
};

int refuse(const QString& problem) {
    std::fprintf(stderr, "corvane2-cli render: %s\nusage: corvane2-cli render %s\n",
                 qPrintable(problem), kUsage);
    return 2;
}

int fail(const QString& problem) {
    std::fprintf(stderr, "corvane2-cli render: %s\n", qPrintable(problem));
    return 1;
}

// The text after option `name`, or nothing when the option ends the line.
std::optional<QString> valueAfter(const QStringList& arguments, int& i) {
    return i + 1 < arguments.size() ? std::optional(arguments[++i]) : std::nullopt;
}

bool readNumber(const QStringList& arguments, int& i, double& value, QString& problem) {
    const QString& name = arguments[i];
    const std::optional<QString> text = valueAfter(arguments, i);
    const std::optional<double> number = text ? ParseReal(*text) : std::nullopt;
    if (!number) {
        problem = name + " needs a number";
        return false;
    }
    value = *number;
    return true;
}

bool readCamera(const QStringList& arguments, int& i, int& camera, QString& problem) {
    const std::optional<QString> name = valueAfter(arguments, i);
    if (name == "down" || name == "up") {
        camera = *name == "up" ? motrix_sim::kUpCamera : motrix_sim::kDownCamera;
        return true;
    }
    problem = "--camera needs down or up";
    return false;
}

bool readText(const QStringList& arguments, int& i, QString& value, QString& problem) {
    const QString& name = arguments[i];
    const std::optional<QString> text = valueAfter(arguments, i);
    if (!text || text->isEmpty()) {
        problem = name + " needs a file name";
        return false;
    }
    value = *text;
    return true;
}

bool readOption(const QStringList& arguments, int& i, RenderOptions& options, QString& problem) {
    const QString& name = arguments[i];
    if (name == "--camera") {
        return readCamera(arguments, i, options.camera, problem);
    }
    if (name == "--x" || name == "--y") {
        return readNumber(arguments, i, (name == "--x" ? options.x : options.y).emplace(), problem);
    }
    if (name == "--z" || name == "--a") {
        return readNumber(arguments, i, name == "--z" ? options.z : options.a, problem);
    }
    if (name == "--world" || name == "--out") {
        return readText(arguments, i, name == "--world" ? options.world : options.out, problem);
    }
    problem = "unknown option " + name;
    return false;
}

std::optional<RenderOptions> parseOptions(const QStringList& arguments, QString& problem) {
    RenderOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        if (!readOption(arguments, i, options, problem)) {
            return std::nullopt;
        }
    }
    if (options.camera < 0 || !options.x || !options.y || options.out.isEmpty()) {
        problem = "--camera, --x, --y and --out are needed";
        return std::nullopt;
    }
    return options;
}

int render(const RenderOptions& options) {
    motrix_sim::World world;
    try {
        world = options.world.isEmpty() ? motrix_sim::defaultWorld()
                                        : motrix_sim::worldFromFile(options.world.toStdString());
    } catch (const motrix_sim::WorldError& error) {
        return fail(QString::fromStdString(error.what()));
    }
    motrix_sim::SimWorld simulated(std::move(world));
    const motrix_sim::HeadPose pose =
        simulated.poseFromMachine(*options.x, *options.y, options.z, options.a);
    simulated.observe(pose, 0);
    int width = 0;
    int height = 0;
    motrix_sim::cameraSize(simulated.world(), options.camera, width, height);
    // Rows of 32-bit pixels lie end to end in the picture: the frame is drawn straight into it.
    QImage image(width, height, QImage::Format_RGB32);
    if (!motrix_sim::renderFrame(simulated.frameJob(options.camera, pose),
                                 reinterpret_cast<std::uint32_t*>(image.bits()), width, height)) {
        return fail("the world's camera is set to give no frame");
    }
    QSaveFile file(options.out);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP") || !file.commit()) {
        return fail("cannot write " + options.out);
    }
    return 0;
}

int runRender(const QStringList& arguments) {
    QString problem;
    const std::optional<RenderOptions> options = parseOptions(arguments, problem);
    return options ? render(*options) : refuse(problem);
}

const CliRegistration registration({"render", kUsage, runRender});

}  // namespace
