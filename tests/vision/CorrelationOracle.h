#pragma once

// The searches written out literally, slow on purpose: a fresh correlation filter for every
// score, the camera image copied, turned, windowed and resized through the filters as the
// algorithms describe. The fast searches must give the same results.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "settings/MachineSettings.h"
#include "vision/FilterNormalisedCrossCorrelation.h"
#include "vision/FilterResize.h"
#include "vision/FilterRotation.h"
#include "vision/FilterWindow.h"

namespace oracle {

inline float score(TBitmap32& search, TBitmap32& find, int x, int y) {
    TFilterNormalisedCrossCorrelation filter;
    filter.setParameterImage("INIMAGETOSEARCH", &search);
    filter.setParameterImage("INIMAGETOFIND", &find);
    filter.setParameterInteger("X", x);
    filter.setParameterInteger("Y", y);
    filter.Run();
    return filter.getOutputParameterSingle("CORRELATION").Value;
}

struct Record {
    double score = 0;
    int x = 0;
    int y = 0;
    int factor = 1;
};

struct Search {
    std::array<Record, 4> history;
    double lowest = 1.0;
};

inline Search positionSearch(TBitmap32& image, TBitmap32& reference, int factor, int reach,
                             bool skipAxes) {
    Search search;
    for (Record& record : search.history) {
        record = {0, 0, 0, factor};
    }
    const int dW = image.Width - reference.Width;
    const int dH = image.Height - reference.Height;
    auto tryOffset = [&](int x, int y) {
        if (x < -dW || x > dW || y < -dH || y > dH) {
            return;
        }
        const double value = score(image, reference, x, y);
        if (value > search.history[0].score) {
            for (int k = 3; k > 0; --k) {
                search.history[k] = search.history[k - 1];
            }
            search.history[0] = {value, x, y, factor};
        }
        if (value < search.lowest) {
            search.lowest = value;
        }
    };
    const int n = std::max(dW, dH) / 8;
    for (int i = -n; i <= n; ++i) {
        for (int j = -n; j <= n; ++j) {
            tryOffset(8 * i, 8 * j);
        }
    }
    const std::array<Record, 4> c = search.history;
    auto fine = [&](const Record& centre) {
        for (int a = -reach; a <= reach; ++a) {
            for (int b = -reach; b <= reach; ++b) {
                if (!skipAxes || (a != 0 && b != 0)) {
                    tryOffset(centre.x + a, centre.y + b);
                }
            }
        }
    };
    auto apart = [&](const Record& p, const Record& q) {
        return std::abs(p.x - q.x) > reach || std::abs(p.y - q.y) > reach;
    };
    fine(c[0]);
    if (apart(c[1], c[0])) {
        fine(c[1]);
    }
    if (apart(c[2], c[0]) && apart(c[2], c[1])) {
        fine(c[2]);
    }
    if (apart(c[3], c[0]) && apart(c[3], c[1]) && apart(c[3], c[2])) {
        fine(c[3]);
    }
    return search;
}

// What the result fields hold after a search.
struct Fields {
    bool found = false;
    double correlation = 0;
    double x = 0;
    double y = 0;
    double angle = 0;
};

struct Scale {
    double mmPerPixel;
    int margin;
};

inline Scale scale(double viewWidth, int imageWidth, int enlargeMM) {
    const double mmPerPixel = viewWidth / imageWidth;
    const double margin = enlargeMM / mmPerPixel;
    if (!std::isfinite(mmPerPixel) || !std::isfinite(margin)) {
        return {0.0625, 100};
    }
    return {mmPerPixel, static_cast<int>(std::nearbyint(margin))};
}

inline ImagePtr window(TBitmap32& image, int size, int sizeY) {
    ImagePtr out = updateOrCreateImageLike(&image);
    TFilterWindow filter;
    filter.setParameterImage("INIMAGE", &image);
    filter.setParameterImage("OUTIMAGE", out.get());
    const int bottom = image.Height / 2 - sizeY / 2;
    const int left = image.Width / 2 - size / 2;
    filter.setParameterInteger("BOTTOM", bottom);
    filter.setParameterInteger("TOP", bottom + sizeY);
    filter.setParameterInteger("LEFT", left);
    filter.setParameterInteger("RIGHT", left + size);
    filter.Run();
    return out;
}

inline ImagePtr resized(TBitmap32& image, int width, int height) {
    ImagePtr out = createImage(width, height);
    TFilterResize filter;
    filter.setParameterImage("INIMAGE", &image);
    filter.setParameterImage("OUTIMAGE", out.get());
    filter.setParameterInteger("MODE", 1);
    filter.Run();
    return out;
}

inline ImagePtr rotated(TBitmap32& image, double angle) {
    TFilterRotation filter;
    filter.setParameterImage("INIMAGE", &image);
    filter.setParameterSingle("ANGLE", static_cast<float>(angle));
    filter.Run();
    return cloneImage(filter.getOutputParameterImage("OUTIMAGE").Value);
}

inline void turn(double& x, double& y, double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    const double turnedX = std::cos(a) * x - std::sin(a) * y;
    y = std::sin(a) * x + std::cos(a) * y;
    x = turnedX;
}

inline Fields visualCorrelation(TBitmap32& camera, TBitmap32& reference,
                                const MachineSettings& settings, double angle, int enlargeMM,
                                bool up) {
    const Scale s =
        scale(up ? settings.uplookingCameraViewWidthMM : settings.downlookingCameraViewWidthMM,
              camera.Width, enlargeMM);
    ImagePtr work = angle != 0 ? rotated(camera, angle) : cloneImage(&camera);
    const int sW = reference.Width + s.margin;
    const int sH = reference.Height + s.margin;
    if (sW < work->Width && sH < work->Height) {
        work = window(*work, sW, sH);
    }
    ImagePtr searchImage = resized(*work, work->Width, work->Height);
    ImagePtr referenceCopy = cloneImage(&reference);
    ImagePtr referenceImage = resized(*referenceCopy, reference.Width, reference.Height);
    const Search search = positionSearch(*searchImage, *referenceImage, 1, 6, false);
    const Record& best = search.history[0];
    Fields fields;
    if (best.score >= settings.visionCorrelationLimit && best.score - search.lowest > 0.05) {
        double x = best.x * best.factor;
        double y = -(best.y * best.factor);
        if (angle != 0) {
            turn(x, y, angle);
        }
        if (up) {
            x = -x;
        }
        fields = {true, best.score, x * s.mmPerPixel, y * s.mmPerPixel, 0};
    }
    return fields;
}

struct Trial {
    double score;
    double x;
    double y;
};

inline Trial correlateAtAngle(TBitmap32& prepared, TBitmap32& reference, int size, int factor,
                              double angle) {
    ImagePtr q = size < prepared.Width && size < prepared.Height ? window(prepared, size, size)
                                                                 : cloneImage(&prepared);
    ImagePtr qd = resized(*q, q->Width / factor, q->Height / factor);
    ImagePtr rd = resized(reference, reference.Width / factor, reference.Height / factor);
    ImagePtr searchImage = angle != 0 ? rotated(*qd, angle) : cloneImage(qd.get());
    const Record best = positionSearch(*searchImage, *rd, factor, 7, true).history[0];
    return {static_cast<float>(best.score), static_cast<double>(best.x * factor),
            -static_cast<double>(best.y * factor)};
}

inline double angleStep(int factor, int width) {
    return std::atan(2.0 * factor / width) * 180 / std::numbers::pi;
}

// `fields` holds the values before the search; they change as the search changes them.
inline void angularVisualCorrelation(TBitmap32& camera, TBitmap32& reference,
                                     const MachineSettings& settings, double angle, int enlargeMM,
                                     Fields& fields) {
    const Scale s = scale(settings.uplookingCameraViewWidthMM, camera.Width, enlargeMM);
    const int maxDim = std::max(reference.Width, reference.Height);
    const int r = std::min(maxDim / 50 + 1, 6);
    const int size = maxDim + s.margin;
    ImagePtr prepared = size < camera.Width && size < camera.Height ? window(camera, size, size)
                                                                    : cloneImage(&camera);
    struct Best {
        double score = 0, angle = 0, x = 0, y = 0;
    } best;
    auto attempt = [&](int factor, double relative) {
        const Trial t = correlateAtAngle(*prepared, reference, size, factor, angle + relative);
        fields.correlation = t.score;
        fields.x = t.x;
        fields.y = t.y;
        if (t.score > best.score) {
            best = {t.score, relative, t.x, t.y};
        }
    };
    const double step = angleStep(r, reference.Width);
    const int limit = settings.uplookingCameraAngleTestLimit;
    const int n = static_cast<int>(std::ceil(limit / step));
    for (int k = n; k >= 0; --k) {
        attempt(r, k * step);
    }
    for (int k = n; k >= 0; --k) {
        attempt(r, -(k * step));
    }
    if (best.score > 0 && limit > std::fabs(best.angle)) {
        const Best coarse = best;
        if (r > 1) {
            const int r2 = std::min(maxDim / 50 + 1, 3);
            const double step2 = angleStep(r2, reference.Width);
            const int n2 = static_cast<int>(std::ceil(step / step2));
            for (int k = n2; k >= 0; --k) {
                attempt(r2, coarse.angle + k * step2);
                attempt(r2, coarse.angle - k * step2);
            }
        }
    } else {
        best = Best{};
    }
    fields.found = best.score >= settings.visionCorrelationLimit;
    if (fields.found) {
        // Found in the frame turned by the base angle plus the trial's: turned back by both.
        double x = best.x;
        double y = best.y;
        turn(x, y, angle + best.angle);
        fields = {true, best.score, -x * s.mmPerPixel, y * s.mmPerPixel, best.angle};
    }
}

}  // namespace oracle
